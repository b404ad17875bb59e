#pragma once
// The control that plays the book's viewer movie inside the main window. The player sets only
// the movie and listens only to the movie's external calls.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform {

class FlashHost {
 public:
  virtual ~FlashHost() = default;

  // Loads and plays the movie at this absolute path; the movie's relative loads resolve
  // against its folder. A missing or unreadable movie leaves the control empty, without error.
  virtual void SetMovie(const std::filesystem::path& movie) = 0;
  // The movie that SetMovie will be given once the book is split: a host may start readying it
  // now, holding back its reads until then. Hosts that cannot ignore it.
  virtual void ExpectMovie(const std::filesystem::path& /*movie*/) {}

  // Folders inside the movie's folder that the movie never reads from (the run's log); for the
  // next SetMovie.
  void SetPrivateFolders(std::vector<std::filesystem::path> folders) {
    privateFolders_ = std::move(folders);
  }
  // The movie's own background colour (0xRRGGBB), shown until it draws its first frame, for the
  // next SetMovie; without one, black.
  void SetStageColour(std::optional<std::uint32_t> rgb) { stageColour_ = rgb; }

  // Raised on the window's thread for each external call of the movie, with the request XML
  // (<invoke name="..." returntype="xml"><arguments>...</arguments></invoke>). The player
  // returns nothing to the movie.
  void SetFlashCallHandler(std::function<void(const std::string& request)> handler) {
    onFlashCall_ = std::move(handler);
  }

 protected:
  void RaiseFlashCall(const std::string& request) {
    if (onFlashCall_) onFlashCall_(request);
  }
  const std::vector<std::filesystem::path>& PrivateFolders() const { return privateFolders_; }
  std::optional<std::uint32_t> StageColour() const { return stageColour_; }

 private:
  std::function<void(const std::string&)> onFlashCall_;
  std::vector<std::filesystem::path> privateFolders_;
  std::optional<std::uint32_t> stageColour_;
};

}  // namespace platform

#pragma once
// The viewer movie's external calls: the request parser and the commands the player accepts.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Xml.h"

// Reads the function name of an external-call request:
// <invoke name="..." returntype="xml"><arguments>...</arguments></invoke>.
// Construction never fails; a request that is not well-formed has no invoke node.
class TFlashParamParser {
 public:
  explicit TFlashParamParser(std::string_view request);
  TFlashParamParser(const TFlashParamParser&) = delete;
  TFlashParamParser& operator=(const TFlashParamParser&) = delete;

  // The invoke element's name attribute; empty when there is none.
  std::string GetFunctionName() const;
  bool HasArguments() const { return static_cast<bool>(argumentsNode_); }
  // The text of the only argument when the call has exactly one and it is a string.
  std::optional<std::string> GetStringArgument() const;

 private:
  std::unique_ptr<platform::XmlDocument> xml_;
  platform::XmlNode invokeNode_;
  platform::XmlNode argumentsNode_;
};

inline constexpr std::string_view kFullscreenCommand = "fullscreen_error";
// Asks the player to save a file of the book for the user; its one string argument names the
// file, relative to the book root.
inline constexpr std::string_view kDownloadCommand = "download_file";

// What the player does with one external call of the movie.
enum class FlashCallAction { Ignore, ToggleFullscreen, SaveDownload };

// Requests that carry script text ("function(") are ignored whatever their name; otherwise only
// the exact, case-sensitive name "fullscreen_error" toggles full screen, and "download_file"
// with one string argument asks for a download (which file may be saved is the player's
// decision).
FlashCallAction DecideFlashCall(std::string_view request);

// The file a download request names (its one string argument), or nothing when `request` is
// not a download request.
std::optional<std::string> DownloadRequestPath(std::string_view request);

#pragma once
// Builds small SWF movies for tests: the header with its stage rectangle, frame rate and frame
// count, then any tags, closed by an End tag. Saved plain ("FWS") or zlib-compressed ("CWS").

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

class SwfWriter {
 public:
  SwfWriter& Version(std::uint8_t version);
  // The stage rectangle in twips (20 per pixel).
  SwfWriter& StageTwips(std::int32_t xmin, std::int32_t xmax, std::int32_t ymin, std::int32_t ymax);
  // A stage of width x height pixels from the origin.
  SwfWriter& StagePixels(std::int32_t width, std::int32_t height);
  SwfWriter& FrameRate(std::uint16_t fixed8_8);
  SwfWriter& FrameCount(std::uint16_t count);
  // Any tag; the long header form is used from 63 bytes of data on.
  SwfWriter& AddTag(std::uint16_t code, const std::string& data);
  SwfWriter& ShowFrame() { return AddTag(1, {}); }

  // Everything after the frame count: the tags and the End tag.
  std::string Body() const;
  std::string Fws() const;
  std::string Cws() const;
  void SaveFws(const std::filesystem::path& file) const;
  void SaveCws(const std::filesystem::path& file) const;

 private:
  std::string Header(const char* signature, std::uint32_t fileLength) const;
  std::string AfterHeader() const;  // RECT, frame rate, frame count, body

  std::uint8_t version_ = 10;
  std::int32_t xmin_ = 0, xmax_ = 11000, ymin_ = 0, ymax_ = 8000;
  std::uint16_t frameRate_ = 24 << 8;
  std::uint16_t frameCount_ = 1;
  std::string tags_;
};

// A RECT record: the fewest bits that hold every field, padded to whole bytes.
std::string EncodeSwfRect(std::int32_t xmin, std::int32_t xmax, std::int32_t ymin,
                          std::int32_t ymax);

// zlib format (with header and checksum), as "CWS" bodies use it.
std::string ZlibCompress(const std::string& data);

}  // namespace testsupport

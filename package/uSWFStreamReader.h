#pragma once
// The header of a SWF movie: signature, version, file length, stage rectangle, frame rate and
// frame count, for plain ("FWS") and zlib-compressed ("CWS") files.
//
// Memory: a compressed file is inflated as a stream through a fixed buffer, never into a buffer
// sized by the header's file length. The body (the bytes after the frame count) is kept only
// when asked for (`TSwfBody::Keep`) and only up to kMaxSwfBodySize bytes; a longer body raises
// Error. Without it, the rest of a compressed stream (up to kMaxSwfCheckSize bytes) is still
// inflated and thrown away, so that a damaged stream, or one shorter than the header's file
// length, fails the load with an Error as it would when the whole file is read. With
// `TSwfBody::Unread` only the header is inflated: damage there still raises Error, damage in the
// body is not looked for.

#include <array>
#include <cstdint>
#include <filesystem>
#include <istream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "package/uBitsEngine.h"

// The most body bytes kept in memory (TSwfBody::Keep).
inline constexpr std::uint64_t kMaxSwfBodySize = 64u * 1024 * 1024;
// The most bytes of a compressed file inflated only to check the stream (TSwfBody::Skip).
inline constexpr std::uint64_t kMaxSwfCheckSize = 256u * 1024 * 1024;

enum class TSwfBody { Skip, Keep, Unread };

class TSWFStreamReader {
 public:
  // Loads `fileName` when it is not empty.
  explicit TSWFStreamReader(const std::filesystem::path& fileName = {},
                            TSwfBody body = TSwfBody::Skip);

  // Raise Error when the file cannot be opened, a header is cut short (kStreamReadError) or the
  // compressed data is damaged.
  void LoadFile(const std::filesystem::path& fileName);
  void LoadFromStream(std::istream& stream);

  // The signature was "FWS" or "CWS".
  bool Valid() const { return valid_; }
  bool Compressed() const { return compressed_; }
  const std::string& Signature() const { return signature_; }
  std::uint8_t Version() const { return header_[3]; }
  // The uncompressed length stated in the header.
  std::uint32_t FileLength() const;
  // Stage rectangle in twips.
  std::int32_t Xmin() const { return rect_.x; }
  std::int32_t Ymin() const { return rect_.y; }
  std::int32_t Xmax() const { return rect_.x + rect_.width; }
  std::int32_t Ymax() const { return rect_.y + rect_.height; }
  // Stage size in pixels (twips div 20).
  int Width() const;
  int Height() const;
  // 8.8 fixed point, as stored.
  std::uint16_t FrameRate() const { return frameRate_; }
  std::uint16_t FrameCount() const { return frameCount_; }
  // The bytes after the frame count (uncompressed); empty unless loaded with TSwfBody::Keep.
  std::string Body() const { return body_ ? body_->str() : std::string(); }

 private:
  void Reset();
  void ReadHeaderFields(std::istream& stream);
  void LoadCompressed(std::istream& stream);
  // Copies the rest of `stream` into the body (Keep only).
  void TakeRest(std::istream& stream);

  bool valid_ = false;
  bool compressed_ = false;
  std::unique_ptr<std::ostringstream> body_;
  std::string signature_;
  std::array<std::uint8_t, 8> header_{0, 0, 0, 8, 0, 0, 0, 0};
  Rect rect_;
  std::uint16_t frameRate_ = 0;
  std::uint16_t frameCount_ = 0;
  TSwfBody bodyMode_;
};

// The stage size in pixels of the SWF movie at `path`. A missing file or a name not ending in
// ".swf" shows a message box (path + " do not exist." / path + " is not a SWF File.") and leaves
// `width` and `height` unchanged; a file with another signature gives 0 x 0. Only the header is
// read (at most one 64 KiB block of a compressed file): a compressed file damaged or cut short
// within its header raises Error, damage further on is left to whatever plays the movie.
void SwfStageSize(const std::filesystem::path& path, int& width, int& height);

// The background colour (0xRRGGBB) the SWF movie at `path` sets before its first frame, for a
// window to show until the movie draws; nothing when the file is missing, not a plain or
// zlib-compressed SWF, damaged, or sets no colour before its first frame. Reads at most the
// first 64 KiB of the movie; never raises.
std::optional<std::uint32_t> SwfBackgroundRgb(const std::filesystem::path& path);

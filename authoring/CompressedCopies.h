#pragma once
// The compressed copies a web server sends in place of a file to a browser that accepts them
// (NAME.gz, NAME.br beside NAME), written where they pay: a file of at least kMinCopiedBytes
// whose copy is at most kMaxCopyShare of its size. Pictures, sounds, videos, archives and
// compressed movies are compressed already and get none; neither do files of more than
// kMaxCopiedBytes, which would have to be held in memory.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

inline constexpr std::size_t kMinCopiedBytes = 1024;
inline constexpr double kMaxCopyShare = 0.9;
inline constexpr std::size_t kMaxCopiedBytes = std::size_t{64} << 20;

struct TCompressedCopies {
  std::string gzip;    // empty when it does not pay
  std::string brotli;  // empty when it does not pay
};

// Whether `file`, beginning with `head` (its first bytes, at least 3 when it has them), is
// worth trying: not compressed already and not too large.
bool WorthCompressing(const std::filesystem::path& file, std::string_view head,
                      std::uintmax_t size);

// The copies of `bytes` that pay. Brotli's quality falls with the size, so that the emulator's
// WebAssembly (14 MB) is compressed in seconds, not minutes.
TCompressedCopies CompressedCopies(std::string_view bytes);

#pragma once
// Compressed copies of files for web servers, which send a ".gz" or ".br" copy in place of the
// file to a browser that accepts it. Implemented per library: gzip in platform/zlib/, brotli in
// platform/brotli/.

#include <string>
#include <string_view>

namespace platform {

// `bytes` as a gzip member (deflate at the best compression, no file name, no time stamp), so
// the same bytes always give the same copy.
std::string GzipBytes(std::string_view bytes);

// The bytes of the gzip data `gzip` (one or more members); raises Error when it is not gzip data
// or holds more than `maxBytes`.
std::string GunzipBytes(std::string_view gzip, std::size_t maxBytes);

// `bytes` as a brotli stream at `quality` (0 to 11; higher is smaller and slower).
std::string BrotliBytes(std::string_view bytes, int quality);

// The bytes of the brotli stream `brotli`; raises Error when it is not a whole brotli stream or
// holds more than `maxBytes`.
std::string UnbrotliBytes(std::string_view brotli, std::size_t maxBytes);

}  // namespace platform

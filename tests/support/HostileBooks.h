#pragma once
// Packages an attacker would send: tiny files that claim or unpack to huge ones, archives with
// very many entries, groups that make the opener repeat work. Each is built in memory in well
// under a second: long runs of zeros are deflated once and the compressed block repeated.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/BookFixture.h"

namespace testsupport {

// Raw deflate data (no header) of `size` zero bytes, about size / 1000 bytes long.
std::string DeflatedZeros(std::uint64_t size);

// A zlib stream (header and checksum) of `prefix` followed by `zeros` zero bytes.
std::string ZlibWithZeros(const std::string& prefix, std::uint64_t zeros);

// A 69-byte PNG whose header claims width x height RGB pixels; its data holds four bytes.
std::string PngClaiming(std::uint32_t width, std::uint32_t height);

// A complete black 1-bit greyscale PNG of width x height pixels (small: the rows are zeros).
std::string BlackPng(std::uint32_t width, std::uint32_t height);

// A compressed movie of width x height pixels whose body is `bodyZeros` zero bytes.
std::string CompressedMovieWithZeros(int width, int height, std::uint64_t bodyZeros);

struct HostileBook {
  std::string name;
  BookSpec book;
};

// The hostile packages the opener must split within bounded memory, disk and time.
std::vector<std::string> HostileBookNames();
HostileBook BuildHostileBook(const std::string& name);

}  // namespace testsupport

#include "platform/Compression.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "util/Error.h"

namespace {

std::string TextOf(std::size_t size) {
  std::string text;
  while (text.size() < size)
    text += "The page turns; the page turns again. " + std::to_string(text.size());
  text.resize(size);
  return text;
}

std::string NoiseOf(std::size_t size) {
  std::mt19937 random(7);
  std::string noise(size, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  return noise;
}

// What a server sends must be exactly the file once the browser has decoded it.
TEST(CompressionTest, CopiesDecodeToTheSameBytes) {
  for (const std::string& bytes : {std::string(), std::string("x"), TextOf(300000), NoiseOf(200000),
                                   std::string(3 << 20, '\0')}) {
    const std::string gzip = platform::GzipBytes(bytes);
    EXPECT_EQ(platform::GunzipBytes(gzip, bytes.size()), bytes) << bytes.size();
    for (const int quality : {1, 9}) {
      const std::string brotli = platform::BrotliBytes(bytes, quality);
      EXPECT_EQ(platform::UnbrotliBytes(brotli, bytes.size()), bytes) << bytes.size();
    }
  }
  // The same bytes give the same copy (no time stamp): an export can be compared with another.
  EXPECT_EQ(platform::GzipBytes(TextOf(1000)), platform::GzipBytes(TextOf(1000)));
  EXPECT_LT(platform::GzipBytes(TextOf(300000)).size(), 300000u / 10);
}

TEST(CompressionTest, RefusesDataThatIsNotACopyOrTooLarge) {
  const std::string text = TextOf(100000);
  const std::string gzip = platform::GzipBytes(text);
  const std::string brotli = platform::BrotliBytes(text, 5);
  EXPECT_THROW(platform::GunzipBytes(gzip, text.size() - 1), Error);
  EXPECT_THROW(platform::UnbrotliBytes(brotli, text.size() - 1), Error);
  EXPECT_THROW(platform::GunzipBytes(gzip.substr(0, gzip.size() / 2), text.size()), Error);
  EXPECT_THROW(platform::UnbrotliBytes(brotli.substr(0, brotli.size() / 2), text.size()), Error);
  EXPECT_THROW(platform::GunzipBytes("", 10), Error);
  EXPECT_THROW(platform::GunzipBytes(text, text.size()), Error);
  EXPECT_THROW(platform::UnbrotliBytes(brotli + "x", text.size()), Error);
  // Two members read as one file, as gzip itself reads them.
  EXPECT_EQ(platform::GunzipBytes(platform::GzipBytes("ab") + platform::GzipBytes("cd"), 4),
            "abcd");
}

}  // namespace

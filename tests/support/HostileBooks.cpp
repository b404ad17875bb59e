#include "tests/support/HostileBooks.h"

#include <zlib.h>

#include <cstdio>
#include <stdexcept>

#include "tests/support/SwfWriter.h"
#include "tests/support/ZipWriter.h"
#include "util/LittleEndian.h"

namespace testsupport {
namespace {

constexpr std::size_t kZeroChunk = 1 << 20;

// Raw deflate, fed piece by piece. After a full flush nothing refers back to earlier data, so
// the block made from one chunk of zeros can be repeated as often as wanted.
class Deflater {
 public:
  Deflater() {
    if (deflateInit2(&z_, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
      throw std::runtime_error("deflateInit2 failed");
  }
  ~Deflater() { deflateEnd(&z_); }
  Deflater(const Deflater&) = delete;
  Deflater& operator=(const Deflater&) = delete;

  std::string Run(const std::string& data, int flush) {
    std::string out;
    z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z_.avail_in = static_cast<uInt>(data.size());
    char buffer[1 << 16];
    do {
      z_.next_out = reinterpret_cast<Bytef*>(buffer);
      z_.avail_out = sizeof buffer;
      const int status = deflate(&z_, flush);
      if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
        throw std::runtime_error("deflate failed");
      out.append(buffer, sizeof buffer - z_.avail_out);
    } while (z_.avail_out == 0 || z_.avail_in > 0);
    return out;
  }

 private:
  z_stream z_{};
};

std::string DeflateWithZeros(const std::string& prefix, std::uint64_t zeros) {
  Deflater deflater;
  std::string out = prefix.empty() ? std::string() : deflater.Run(prefix, Z_FULL_FLUSH);
  if (zeros >= kZeroChunk) {
    const std::string block = deflater.Run(std::string(kZeroChunk, '\0'), Z_FULL_FLUSH);
    for (std::uint64_t i = 0; i < zeros / kZeroChunk; ++i) out += block;
  }
  out += deflater.Run(std::string(zeros % kZeroChunk, '\0'), Z_FINISH);
  return out;
}

std::uint32_t CrcOfZeros(std::uint64_t size) {
  const std::string chunk(kZeroChunk, '\0');
  const uLong chunkCrc =
      crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), static_cast<uInt>(chunk.size()));
  uLong crc =
      crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), static_cast<uInt>(size % kZeroChunk));
  for (std::uint64_t i = 0; i < size / kZeroChunk; ++i)
    crc = crc32_combine(chunkCrc, crc, static_cast<z_off_t>(size % kZeroChunk + i * kZeroChunk));
  return static_cast<std::uint32_t>(crc);
}

void PutBigEndian32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

std::string PngChunk(const std::string& type, const std::string& data) {
  std::string chunk;
  PutBigEndian32(chunk, static_cast<std::uint32_t>(data.size()));
  const std::string body = type + data;
  chunk += body;
  PutBigEndian32(chunk, static_cast<std::uint32_t>(
                            crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
  return chunk;
}

std::string Png(std::uint32_t width, std::uint32_t height, char bitDepth, char colourType,
                const std::string& zlibData) {
  std::string header;
  PutBigEndian32(header, width);
  PutBigEndian32(header, height);
  header += {bitDepth, colourType, 0, 0, 0};
  return "\x89PNG\r\n\x1a\n" + PngChunk("IHDR", header) + PngChunk("IDAT", zlibData) +
         PngChunk("IEND", "");
}

PageSpec PageWithMobile(ElementSpec first, std::string mobileBytes) {
  PageSpec page({std::move(first)});
  page.mobile = FileSpec{"res/mobile/m.png", std::move(mobileBytes)};
  page.mobilefile1 = "m1.png";
  page.photoviewthumb = "pv.png";
  return page;
}

ElementSpec Sound() {
  return ElementSpec{"snd", {"res/pages/s.mp3", "SOUND"}};
}

BookSpec PicturesClaimingHugeSizes() {
  BookSpec book;
  book.pages = {PageWithMobile({"img", {"res/pages/claims.png", PngClaiming(60000, 60000)}},
                               PictureBytes(30, 40)),
                PageWithMobile(Sound(), PngClaiming(60000, 60000))};
  return book;
}

BookSpec HugeRealPicture() {
  BookSpec book;
  book.pages = {PageWithMobile(Sound(), BlackPng(20000, 20000))};
  return book;
}

// 2 GiB of zeros in one entry, announcing its size or only 1 KiB (then only counting while
// writing catches it).
BookSpec ZipBomb(bool announced) {
  constexpr std::uint64_t kSize = 2ull << 30;
  BookSpec book;
  book.langs = FileSpec{"langs.zip", ZipWriter()
                                         .AddFile("en/lang.xml", "<lang>en</lang>")
                                         .AddDeflated("zeros.xml", DeflatedZeros(kSize),
                                                      CrcOfZeros(kSize), announced ? kSize : 1024)
                                         .Bytes()};
  return book;
}

BookSpec ZipWithManyFiles() {
  ZipWriter zip;
  for (int i = 0; i < 100'000; ++i)
    zip.AddFile("flags/" + std::to_string(i) + ".png", "F", ZipWriter::Method::Stored);
  BookSpec book;
  book.flag = FileSpec{"flag.zip", zip.Bytes()};
  return book;
}

// 20,000 empty files, each at the end of a chain of 30 folders of its own: "e00000/a/.../a/f",
// 31 parts. Every entry is within the entry, name and depth limits, and the whole is 4 MiB; it
// would make 600,000 folders.
BookSpec ZipFolderBomb() {
  std::string chain;
  for (int i = 0; i < 29; ++i) chain += "/a";
  ZipWriter zip;
  char first[8];
  for (int i = 0; i < 20'000; ++i) {
    std::snprintf(first, sizeof first, "e%05d", i);
    zip.AddFile(first + chain + "/f", "", ZipWriter::Method::Stored);
  }
  BookSpec book;
  book.langs = FileSpec{"langs.zip", zip.Bytes()};
  return book;
}

// A 2 MiB info.ini naming every button at its end, and 150,000 small members.
BookSpec ButtonGroupWithManyMembers() {
  std::string ini = "[info]\r\n";
  for (int i = 0; ini.size() < (2u << 20); ++i) ini += "unused" + std::to_string(i) + "=x\r\n";
  static const char* const kKeys[] = {
      "firstpage",  "lastpage",       "previous", "next",      "play",     "stop",  "thumbnail",
      "fullscreen", "exitfullscreen", "music",    "mute",      "download", "print", "toc",
      "zoomin",     "zoomout",        "share",    "bookmarks", "search"};
  for (const char* key : kKeys) ini += std::string(key) + "=" + key + ".png\r\n";
  std::vector<TypedBlob> members;
  for (std::uint32_t i = 0; i < 150'000; ++i)
    members.push_back({i % 19, "B" + std::to_string(i % 1000)});
  BookSpec book;
  book.navbtn = GroupSpec{ini, std::move(members)};
  return book;
}

BookSpec MovieNamedByManyPages() {
  BookSpec book;
  const std::string mobile = PictureBytes(10, 14);
  for (int i = 0; i < 30; ++i) {
    ElementSpec movie{
        "img",
        {"res/pages/shared.swf", i == 0 ? CompressedMovieWithZeros(500, 700, 256u << 20) : ""}};
    movie.width = 250;
    movie.height = 350;
    book.pages.push_back(PageWithMobile(movie, mobile));
  }
  return book;
}

}  // namespace

std::string DeflatedZeros(std::uint64_t size) {
  return DeflateWithZeros({}, size);
}

std::string ZlibWithZeros(const std::string& prefix, std::uint64_t zeros) {
  const uLong prefixAdler =
      adler32(adler32(0, nullptr, 0), reinterpret_cast<const Bytef*>(prefix.data()),
              static_cast<uInt>(prefix.size()));
  const uLong zerosAdler = ((zeros % 65521) << 16) | 1;
  const auto adler = static_cast<std::uint32_t>(
      adler32_combine(prefixAdler, zerosAdler, static_cast<z_off_t>(zeros)));
  std::string out = "\x78\xDA" + DeflateWithZeros(prefix, zeros);
  PutBigEndian32(out, adler);
  return out;
}

std::string PngClaiming(std::uint32_t width, std::uint32_t height) {
  const std::string zeros(4, '\0');
  std::string data(compressBound(zeros.size()), '\0');
  uLongf length = data.size();
  compress(reinterpret_cast<Bytef*>(data.data()), &length,
           reinterpret_cast<const Bytef*>(zeros.data()), zeros.size());
  data.resize(length);
  return Png(width, height, 8, 2, data);
}

std::string BlackPng(std::uint32_t width, std::uint32_t height) {
  const std::uint64_t rowBytes = 1 + (std::uint64_t{width} + 7) / 8;
  return Png(width, height, 1, 0, ZlibWithZeros({}, rowBytes * height));
}

std::string CompressedMovieWithZeros(int width, int height, std::uint64_t bodyZeros) {
  std::string header = EncodeSwfRect(0, width * 20, 0, height * 20);
  Put16(header, 24 << 8);  // frame rate
  Put16(header, 1);        // frame count
  std::string movie = "CWS\x0A";
  Put32(movie, static_cast<std::uint32_t>(8 + header.size() + bodyZeros));
  return movie + ZlibWithZeros(header, bodyZeros);
}

std::vector<std::string> HostileBookNames() {
  return {"PicturesClaiming60000x60000",
          "Picture20000x20000",
          "ZipBomb2GiB",
          "ZipBomb2GiBAnnouncing1KiB",
          "ZipWith100000Files",
          "ZipMaking600000Folders",
          "ButtonGroup4MB",
          "MovieNamedBy30Pages"};
}

HostileBook BuildHostileBook(const std::string& name) {
  if (name == "PicturesClaiming60000x60000") return {name, PicturesClaimingHugeSizes()};
  if (name == "Picture20000x20000") return {name, HugeRealPicture()};
  if (name == "ZipBomb2GiB") return {name, ZipBomb(true)};
  if (name == "ZipBomb2GiBAnnouncing1KiB") return {name, ZipBomb(false)};
  if (name == "ZipWith100000Files") return {name, ZipWithManyFiles()};
  if (name == "ZipMaking600000Folders") return {name, ZipFolderBomb()};
  if (name == "ButtonGroup4MB") return {name, ButtonGroupWithManyMembers()};
  if (name == "MovieNamedBy30Pages") return {name, MovieNamedByManyPages()};
  throw std::invalid_argument("no hostile book named " + name);
}

}  // namespace testsupport

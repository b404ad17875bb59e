// Fuzz harness of zip unpacking (platform::UnzipAll) into a scratch folder. The input is the
// archive. Each run unpacks into a fresh folder that holds a link to a sibling folder with one
// file in it, then checks that the unpacking stayed inside: the sibling's file is intact, nothing
// new appeared next to the folder, and no link was created in it. The folder is removed after
// each run. Seeds are archives of the test zip writer, well-formed, hostile and damaged.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "fuzz/FuzzHarness.h"
#include "platform/Zip.h"
#include "tests/support/ZipWriter.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kCanaryText = "outside the folder";

[[noreturn]] void Finding(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The scratch area of this process: archive.zip, the unpack folder "in" (made for each run)
// and the sibling "outside" with its canary file. Removed at exit.
class Scratch {
 public:
  Scratch() {
    std::random_device random;
    root_ = fs::temp_directory_path() /
            ("bookstub-fuzz-unzip-" + std::to_string(random()) + std::to_string(random()));
    fs::create_directories(root_ / "outside");
    std::ofstream(Canary(), std::ios::binary) << kCanaryText;
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  fs::path Archive() const { return root_ / "archive.zip"; }
  fs::path Folder() const { return root_ / "in"; }
  fs::path Canary() const { return root_ / "outside" / "canary"; }

  void Prepare(std::string_view bytes) const {
    std::ofstream(Archive(), std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    fs::create_directories(Folder());
    fs::create_directory_symlink(root_ / "outside", Folder() / "link");
  }

  void CheckAndClean() const {
    std::error_code ec;
    if (ReadAll(Canary()) != kCanaryText) Finding("the file outside the folder was changed");
    for (const fs::directory_entry& entry : fs::directory_iterator(root_)) {
      const std::string name = entry.path().filename().string();
      if (name != "archive.zip" && name != "in" && name != "outside")
        Finding("written next to the folder: " + name);
    }
    if (fs::directory_iterator(root_ / "outside", ec) != fs::directory_iterator() &&
        std::next(fs::directory_iterator(root_ / "outside")) != fs::directory_iterator())
      Finding("written into the linked folder");
    for (auto it = fs::recursive_directory_iterator(Folder()); it != fs::end(it); ++it)
      if (it->is_symlink() && it->path() != Folder() / "link")
        Finding("link created: " + it->path().string());
    fs::remove_all(Folder(), ec);
    if (ec) Finding("cannot remove the folder: " + ec.message());
  }

 private:
  fs::path root_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Scratch scratch;
  scratch.Prepare(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    platform::UnzipAll(scratch.Archive(), scratch.Folder());
  } catch (const Error&) {
    // A damaged archive: entries written before the damage stay, which the checks allow.
  }
  scratch.CheckAndClean();
  return 0;
}

std::vector<std::string> FuzzSeeds() {
  using testsupport::ZipWriter;
  constexpr auto kStored = ZipWriter::Method::Stored;
  const std::string plain = ZipWriter()
                                .AddFolder("lang/")
                                .AddFile("lang/en.xml", "<lang name=\"en\"/>")
                                .AddFile("lang\\de.xml", std::string(300, 'd'), kStored)
                                .AddFile("flag.png", "\x89PNG", kStored)
                                .AddFile(
                                    "B\xC3\xBC"
                                    "cher/\xC3\xA9t\xC3\xA9.txt",
                                    "utf-8")
                                .Bytes();
  std::vector<std::string> seeds = {
      plain,
      ZipWriter()
          .AddFile("../escape.txt", "x")
          .AddFile("/absolute.txt", "x")
          .AddFile("C:drive.txt", "x")
          .AddFile("a/./b/../../c.txt", "x")
          .AddFile("link/through.txt", "x")
          .AddFile("link/canary", "replaced through the link")
          .AddFile("link", "replaces the link", kStored)
          .Bytes(),
      ZipWriter()
          .AddSymlink("up", "..")
          .AddFile("up/escape.txt", "x")
          .AddSymlink("abs", "/tmp")
          .AddFile("same.txt", "first")
          .AddFile("same.txt", "second")
          .AddFolder("same.txt/")
          .Bytes(),
      ZipWriter().AddFile("", "no name").AddFolder("/").AddFile(".", "dot").Bytes(),
      ZipWriter().Bytes(),
      plain.substr(0, plain.size() / 2),
      "PK\x03\x04",
      "",
  };
  std::string damaged = plain;
  damaged[40] = static_cast<char>(damaged[40] ^ 0x55);  // inside the first entry's data
  seeds.push_back(damaged);
  return seeds;
}

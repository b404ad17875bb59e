// Fuzz harness of the package reader. The input is a whole package file; the harness reads it
// the way the package splitting does: the two documents from the end, then every address pair
// of the project settings, plain blobs by size and by length suffix, the two blob groups member
// by member. Seeds are packages laid out by the test package builder.

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/FuzzHarness.h"
#include "model/settings/LMProjects.h"
#include "package/PackageReader.h"
#include "tests/support/PackageBuilder.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace {

// The reader works on files: each input is written to one file of this process, removed at exit.
class InputFile {
 public:
  InputFile() {
    std::random_device random;
    path_ = fs::temp_directory_path() /
            ("bookstub-fuzz-package-" + std::to_string(random()) + std::to_string(random()));
  }
  ~InputFile() {
    std::error_code ec;
    fs::remove(path_, ec);
  }
  const fs::path& Write(std::string_view bytes) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path_;
  }

 private:
  fs::path path_;
};

std::uint32_t AsUInt32(const TPropValue& value) {
  if (const auto* card = std::get_if<std::uint32_t>(&value)) return *card;
  if (const auto* integer = std::get_if<std::int32_t>(&value))
    return static_cast<std::uint32_t>(*integer);
  return 0;
}

template <typename Action>
void Attempt(Action action) {
  try {
    action();
  } catch (const Error&) {
    // An address outside the file: the reader reports it, the splitting skips the file.
  }
}

void ReadGroup(TPackageReader& reader, std::uint32_t pos, std::uint32_t size) {
  Attempt([&] {
    TGroupWalker walker = reader.WalkGroup(pos, size);
    reader.ReadBytes(walker.Head());
    GroupMember member;
    while (walker.Next(member)) reader.ReadBytes(member.data);
  });
}

// Every pos_X/size_X pair of `object` and its sub-objects.
void ReadAddressedBlobs(TPackageReader& reader, const TLMBasicProject& object) {
  const TLMClassInfo& info = object.ClassInfo();
  for (const TLMPropertyInfo* property : info.Properties()) {
    if (property->kind == TPropKind::Object) {
      ReadAddressedBlobs(reader, *property->object(object));
      continue;
    }
    if (!property->name.starts_with("pos_")) continue;
    const TLMPropertyInfo* sizeProperty =
        info.Find("size_" + std::string(property->name.substr(4)));
    if (sizeProperty == nullptr) continue;
    const std::uint32_t pos = AsUInt32(property->get(object));
    const std::uint32_t size = AsUInt32(sizeProperty->get(object));
    Attempt([&] { reader.ReadBytes(reader.BySize(pos, size)); });
    Attempt([&] { reader.ReadBytes(reader.BySuffix(pos)); });
    ReadGroup(reader, pos, size);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static InputFile file;
  const fs::path& path = file.Write(std::string_view(reinterpret_cast<const char*>(data), size));
  try {
    TPackageReader reader(path);
    const DocumentRanges documents = reader.LocateDocuments();
    reader.ReadBytes(documents.book);
    TLMProject project;
    project.LoadFromStream(reader.ReadBytes(documents.project));
    ReadAddressedBlobs(reader, project);
  } catch (const Error&) {
    // A package whose documents cannot be located or whose settings do not load.
  }
  return 0;
}

namespace {

std::string Pair(const std::string& suffix, BlobAddress address) {
  return "<pos_" + suffix + ">" + std::to_string(address.pos) + "</pos_" + suffix + "><size_" +
         suffix + ">" + std::to_string(address.size) + "</size_" + suffix + ">";
}

std::string Object(const std::string& name, const std::string& body) {
  return "<" + name + ">" + body + "</" + name + ">";
}

std::string FullPackage() {
  PackageBuilder builder;
  const BlobAddress background = builder.AddBlob("background picture bytes");
  const BlobAddress navbtn = builder.AddGroup(
      "[buttons]\nnext=1\n", {{1, "first button picture"}, {2, "second button picture"}});
  const BlobAddress navbar = builder.AddGroup("[bar]\n", {{7, "top bar"}, {8, ""}});
  const BlobAddress preloader = builder.AddBlob("FWS start movie");
  const BlobAddress logo = builder.AddBlob("logo picture");
  const BlobAddress toc = builder.AddBlob("<toc/>");
  const BlobAddress mag = builder.AddBlob("FWS magnifier");
  const BlobAddress empty = builder.AddBlob("");
  const std::string project =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><project><exetitle>Seed</exetitle>" +
      Object("navbar", Pair("", navbar)) + Object("navbtn", Pair("", navbtn)) +
      Object("background", "<filename>bg.jpg</filename>" + Pair("", background)) +
      Object("preloader", "<filename>p.swf</filename>" + Pair("", preloader)) +
      Object("logo", "<filename>l.png</filename>" + Pair("", logo)) +
      Object("toc", "<filename>toc.xml</filename>" + Pair("", toc)) + Pair("mag_", mag) +
      Pair("input_", empty) + "</project>";
  return builder.Finish(project, "<book title=\"Seed\"/>");
}

std::string DamagedPackage() {
  PackageBuilder builder;
  builder.AddRaw(EncodeUInt32(0xFFFFFFFF));  // a length field reaching before the file
  const std::uint32_t badSuffix = builder.Offset();
  const BlobAddress blob = builder.AddBlob("blob");
  const std::string project = "<project>" + Object("navbtn", Pair("", {badSuffix, 4})) +
                              Object("navbar", Pair("", {blob.pos, blob.pos + 1})) +
                              Object("logo", Pair("", {0xFFFFFFF0u, 0x10})) +
                              Pair("mag_", {blob.pos, 3}) +
                              Pair("vs_", {blob.pos + 1000, blob.size}) + "</project>";
  return builder.Finish(project, "");
}

}  // namespace

std::vector<std::string> FuzzSeeds() {
  std::vector<std::string> seeds = {FullPackage(), DamagedPackage()};
  seeds.push_back(PackageBuilder().Finish("<project/>", "<book/>"));
  seeds.push_back(PackageBuilder("").Finish("", ""));
  seeds.push_back("");
  seeds.push_back("MZ");
  seeds.push_back(EncodeUInt32(0xFFFFFFFF));
  seeds.push_back("stub" + EncodeUInt32(0xFFFFFFF0) + "<project/>" + EncodeUInt32(10));
  return seeds;
}

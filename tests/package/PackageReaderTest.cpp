#include "package/PackageReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "platform/Os.h"
#include "tests/support/PackageBuilder.h"
#include "util/Error.h"
#include "util/ZanUtils.h"

namespace fs = std::filesystem;

namespace {

const char kProject[] = "<?xml version=\"1.0\"?><project exetitle=\"Demo\"/>";
const char kBook[] = "<?xml version=\"1.0\"?><book title=\"Demo\"/>";

class PackageReaderTest : public ::testing::Test {
 protected:
  PackageReaderTest()
      : folder_(fs::temp_directory_path() / ("bookstub-pkg-" + platform::NewGuid())) {
    fs::create_directories(folder_);
  }
  ~PackageReaderTest() override { DeleteFolderTree(folder_); }

  fs::path Save(const std::string& bytes, const char* name = "player.bin") {
    const fs::path file = folder_ / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  fs::path Save(const PackageBuilder& builder) { return Save(builder.Bytes()); }

  static std::string Slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

  static void ExpectStreamReadError(const std::function<void()>& action) {
    try {
      action();
      ADD_FAILURE() << "no error raised";
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), kStreamReadError);
    }
  }

  fs::path folder_;
};

TEST_F(PackageReaderTest, DocumentsOnly) {
  PackageBuilder builder;
  builder.Finish(kProject, kBook);
  TPackageReader reader(Save(builder));
  EXPECT_EQ(reader.FileSize(), builder.Bytes().size());
  const DocumentRanges documents = reader.LocateDocuments();
  EXPECT_EQ(reader.ReadBytes(documents.project), kProject);
  EXPECT_EQ(reader.ReadBytes(documents.book), kBook);
}

TEST_F(PackageReaderTest, LargeProjectDocumentIsFoundFromTheLastFourBytes) {
  std::string project = "<project>";
  project.append(70 * 1024, 'x');
  project += "</project>";
  PackageBuilder builder;
  builder.AddBlob("blob");
  builder.Finish(project, kBook);
  TPackageReader reader(Save(builder));
  const DocumentRanges documents = reader.LocateDocuments();
  EXPECT_EQ(documents.project.length, project.size());
  EXPECT_EQ(reader.ReadBytes(documents.project), project);
  EXPECT_EQ(reader.ReadBytes(documents.book), kBook);
}

TEST_F(PackageReaderTest, EmptyDocumentsAreLocated) {
  PackageBuilder builder("");
  builder.Finish("", "");
  TPackageReader reader(Save(builder));
  const DocumentRanges documents = reader.LocateDocuments();
  EXPECT_EQ(documents.project, (BlobRange{4, 0}));
  EXPECT_EQ(documents.book, (BlobRange{0, 0}));
}

TEST_F(PackageReaderTest, BlobsReadBySuffixAndBySizeAgree) {
  PackageBuilder builder;
  const BlobAddress first = builder.AddBlob("first file");
  const BlobAddress empty = builder.AddBlob("");
  const BlobAddress third = builder.AddBlob(std::string("bin\0ary", 7));
  builder.Finish(kProject, kBook);
  TPackageReader reader(Save(builder));

  EXPECT_EQ(empty.size, 4u);
  for (const BlobAddress& address : {first, empty, third})
    EXPECT_EQ(reader.BySuffix(address.pos), reader.BySize(address.pos, address.size));
  EXPECT_EQ(reader.ReadBytes(reader.BySuffix(first.pos)), "first file");
  EXPECT_EQ(reader.ReadBytes(reader.BySize(empty.pos, empty.size)), "");
  EXPECT_EQ(reader.ReadBytes(reader.BySize(third.pos, third.size)), std::string("bin\0ary", 7));
}

TEST_F(PackageReaderTest, ZeroLengthBlobCopiesToAnEmptyFile) {
  PackageBuilder builder;
  const BlobAddress empty = builder.AddBlob("");
  builder.Finish(kProject, kBook);
  TPackageReader reader(Save(builder));
  const fs::path out = folder_ / "empty.dat";
  reader.CopyToFile(reader.BySize(empty.pos, empty.size), out);
  ASSERT_TRUE(fs::exists(out));
  EXPECT_EQ(fs::file_size(out), 0u);
}

TEST_F(PackageReaderTest, CopyIsByteIdenticalAcrossBufferBoundaries) {
  std::string big(TPackageReader::kCopyBufferSize * 2 + 12345, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 7919) >> 3);
  PackageBuilder builder;
  const BlobAddress address = builder.AddBlob(big);
  builder.Finish(kProject, kBook);
  TPackageReader reader(Save(builder));
  const fs::path out = Save("stale longer content that must be replaced", "out.bin");
  reader.CopyToFile(reader.BySize(address.pos, address.size), out);
  EXPECT_EQ(Slurp(out), big);
}

// What the kernel copies of a blob before it refuses: a share of the bytes, the rest is left to
// the reader's buffer.
struct KernelShareCase {
  const char* label;
  int percent;  // of the blob the kernel copies; -1: the real kernel call
};

void PrintTo(const KernelShareCase& c, std::ostream* out) {
  *out << c.label;
}

class KernelCopyShareTest : public PackageReaderTest,
                            public ::testing::WithParamInterface<KernelShareCase> {};

// The kernel writes the first `percent` of the range itself, as copy_file_range does up to a
// refusal.
TPackageReader::KernelCopy PartialKernel(int percent) {
  return [percent](const fs::path& source, std::uint64_t offset, std::uint64_t length,
                   const fs::path& destination) {
    const std::uint64_t share = length * static_cast<std::uint64_t>(percent) / 100;
    std::string bytes(share, '\0');
    std::ifstream in(source, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(bytes.data(), static_cast<std::streamsize>(share));
    std::ofstream(destination, std::ios::binary | std::ios::trunc) << bytes;
    return share;
  };
}

// The blob starts mid-page and spans several buffers: the buffer's reads, moved onto page
// boundaries of the package, must still put every byte in its place.
TEST_P(KernelCopyShareTest, BlobArrivesWholeWhateverTheKernelCopied) {
  std::string big(TPackageReader::kCopyBufferSize * 2 + 4321, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 7919) >> 3);
  PackageBuilder builder;
  builder.AddBlob("before");
  const BlobAddress address = builder.AddBlob(big);
  builder.Finish(kProject, kBook);
  const fs::path package = Save(builder);
  TPackageReader reader = GetParam().percent < 0
                              ? TPackageReader(package)
                              : TPackageReader(package, PartialKernel(GetParam().percent));
  const fs::path out = Save(std::string(big.size() + 99, 'x'), "out.bin");
  reader.CopyToFile(reader.BySize(address.pos, address.size), out);
  EXPECT_EQ(Slurp(out), big);
}

INSTANTIATE_TEST_SUITE_P(Shares, KernelCopyShareTest,
                         ::testing::Values(KernelShareCase{"RefusedAtOnce", 0},
                                           KernelShareCase{"RefusedHalfWay", 50},
                                           KernelShareCase{"CopiedAll", 100},
                                           KernelShareCase{"RealKernel", -1}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(PackageReaderTest, FailedKernelCopyLeavesNoFile) {
  PackageBuilder builder;
  const BlobAddress address = builder.AddBlob("bytes");
  builder.Finish(kProject, kBook);
  TPackageReader reader(Save(builder),
                        [](const fs::path&, std::uint64_t, std::uint64_t,
                           const fs::path& destination) -> std::uint64_t {
                          std::ofstream(destination) << "part";
                          throw Error("Cannot write file");
                        });
  const fs::path out = folder_ / "out.bin";
  EXPECT_THROW(reader.CopyToFile(reader.BySize(address.pos, address.size), out), Error);
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(PackageReaderTest, GroupMembersComeFromTheHighestOffsetDown) {
  PackageBuilder builder;
  builder.AddBlob("background");
  const BlobAddress group =
      builder.AddGroup("[info]\nfile0=a.png\n", {{0, "zero"}, {1, "one!"}, {2, ""}, {7, "seven"}});
  builder.Finish(kProject, kBook);
  TPackageReader reader(Save(builder));

  TGroupWalker walker = reader.WalkGroup(group.pos, group.size);
  EXPECT_EQ(reader.ReadBytes(walker.Head()), "[info]\nfile0=a.png\n");
  std::vector<std::pair<std::uint32_t, std::string>> members;
  GroupMember member;
  while (walker.Next(member)) members.emplace_back(member.type, reader.ReadBytes(member.data));
  const std::vector<std::pair<std::uint32_t, std::string>> expected{
      {7, "seven"}, {2, ""}, {1, "one!"}, {0, "zero"}};
  EXPECT_EQ(members, expected);
}

TEST_F(PackageReaderTest, GroupWithoutMembersYieldsOnlyItsHead) {
  PackageBuilder builder;
  builder.AddBlob("before");
  const BlobAddress group = builder.AddGroup("[info]\n", {});
  builder.Finish(kProject, kBook);
  TPackageReader reader(Save(builder));
  TGroupWalker walker = reader.WalkGroup(group.pos, group.size);
  EXPECT_EQ(reader.ReadBytes(walker.Head()), "[info]\n");
  GroupMember member;
  EXPECT_FALSE(walker.Next(member));
}

TEST_F(PackageReaderTest, BadGroupMemberFailsOnlyWhenReached) {
  PackageBuilder builder("");
  builder.AddRaw("m0");
  builder.AddRaw(EncodeUInt32(0));
  builder.AddRaw(EncodeUInt32(1000));  // claims more bytes than lie before it
  builder.AddRaw("m1");
  builder.AddRaw(EncodeUInt32(1));
  builder.AddRaw(EncodeUInt32(2));
  const std::uint32_t start = 0;
  const BlobAddress head = builder.AddBlob("head");
  builder.Finish(kProject, kBook);
  TPackageReader reader(Save(builder));
  TGroupWalker walker = reader.WalkGroup(head.pos, head.pos - start);
  GroupMember member;
  ASSERT_TRUE(walker.Next(member));
  EXPECT_EQ(member.type, 1u);
  EXPECT_EQ(reader.ReadBytes(member.data), "m1");
  ExpectStreamReadError([&] { walker.Next(member); });
}

TEST_F(PackageReaderTest, FilesTooShortForTheDocumentsFail) {
  for (const std::string& bytes :
       {std::string(), std::string("ab"), std::string("abc"), EncodeUInt32(0)}) {
    TPackageReader reader(Save(bytes));
    ExpectStreamReadError([&] { reader.LocateDocuments(); });
  }
}

TEST_F(PackageReaderTest, DocumentLengthsReachingBeforeTheStartFail) {
  // Project length larger than the file.
  TPackageReader tooLong(Save("stub" + EncodeUInt32(0xFFFFFFF0u), "a.bin"));
  ExpectStreamReadError([&] { tooLong.LocateDocuments(); });
  // Book length larger than what lies before the project document.
  TPackageReader bookTooLong(Save("xy" + EncodeUInt32(500) + "<p/>" + EncodeUInt32(4), "b.bin"));
  ExpectStreamReadError([&] { bookTooLong.LocateDocuments(); });
}

TEST_F(PackageReaderTest, TruncatedPackageFails) {
  PackageBuilder builder;
  const BlobAddress blob = builder.AddBlob(std::string(1000, 'z'));
  builder.Finish(kProject, kBook);
  const std::string& whole = builder.Bytes();

  // The front cut off: the documents are still found, the blob now lies past the end.
  const std::size_t documents = sizeof kProject - 1 + sizeof kBook - 1 + 8;
  TPackageReader frontCut(Save(whole.substr(whole.size() - documents), "front.bin"));
  EXPECT_NO_THROW(frontCut.LocateDocuments());
  ExpectStreamReadError([&] { frontCut.BySuffix(blob.pos); });
  ExpectStreamReadError([&] { frontCut.BySize(blob.pos, blob.size); });

  // The end cut off: the last four bytes are document text, a length far beyond the file.
  TPackageReader endCut(Save(whole.substr(0, whole.size() - 10), "end.bin"));
  ExpectStreamReadError([&] { endCut.LocateDocuments(); });
}

struct AddressCase {
  const char* name;
  std::uint32_t pos;
  std::uint32_t size;
};

// Test listings show the case's name, not the struct's raw bytes.
void PrintTo(const AddressCase& c, std::ostream* os) {
  *os << c.name;
}

class BadAddressTest : public PackageReaderTest,
                       public ::testing::WithParamInterface<AddressCase> {};

TEST_P(BadAddressTest, RaisesStreamReadError) {
  PackageBuilder builder("");
  builder.AddBlob("0123456789");                     // pos 14, size 14
  builder.AddRaw("ab" + EncodeUInt32(0xFFFFFFFFu));  // a blob claiming 4 GiB, pos 20
  builder.Finish(kProject, kBook);
  TPackageReader reader(Save(builder));
  const AddressCase& c = GetParam();
  ExpectStreamReadError([&] { reader.BySize(c.pos, c.size); });
  if (c.size == 0 || c.pos < 4 || c.pos > reader.FileSize() || c.pos == 20)
    ExpectStreamReadError([&] { reader.BySuffix(c.pos); });
  ExpectStreamReadError([&] { reader.WalkGroup(c.pos, c.size); });
}

INSTANTIATE_TEST_SUITE_P(Addresses, BadAddressTest,
                         ::testing::Values(AddressCase{"PosBelowLengthField", 3, 2},
                                           AddressCase{"SizeLargerThanPos", 14, 15},
                                           AddressCase{"PosPastTheEnd", 0xFFFFFF00u, 8},
                                           AddressCase{"HugeSizePastTheEnd", 0xFFFFFFFFu,
                                                       0xFFFFFFF0u},
                                           AddressCase{"SuffixLengthBeforeTheStart", 20, 30}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PackageReaderTest, SizeBelowTheLengthFieldFails) {
  PackageBuilder builder;
  const BlobAddress blob = builder.AddBlob("abc");
  builder.Finish(kProject, kBook);
  TPackageReader reader(Save(builder));
  ExpectStreamReadError([&] { reader.BySize(blob.pos, 3); });
  ExpectStreamReadError([&] { reader.BySize(blob.pos, 0); });
}

TEST_F(PackageReaderTest, RangesOutsideTheFileAreRefusedBeforeReading) {
  PackageBuilder builder;
  builder.Finish(kProject, kBook);
  TPackageReader reader(Save(builder));
  const std::uint64_t size = reader.FileSize();
  ExpectStreamReadError([&] { reader.ReadBytes({size - 1, 2}); });
  ExpectStreamReadError([&] { reader.ReadBytes({size + 1, 0}); });
  ExpectStreamReadError([&] { reader.ReadBytes({0, 0xFFFFFFFFFFFFFFFFull}); });
  const fs::path out = folder_ / "never.bin";
  ExpectStreamReadError([&] { reader.CopyToFile({1, size}, out); });
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(PackageReaderTest, MissingFileIsNamedInTheError) {
  const fs::path missing = folder_ / "no-such-player";
  try {
    TPackageReader reader(missing);
    FAIL() << "opened a missing file";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find(missing.string()), std::string::npos) << e.what();
  }
  EXPECT_THROW(TPackageReader{folder_}, Error);  // a folder is not a package
}

TEST_F(PackageReaderTest, CopyToAnUncreatableFileRaises) {
  PackageBuilder builder;
  const BlobAddress blob = builder.AddBlob("x");
  builder.Finish(kProject, kBook);
  TPackageReader reader(Save(builder));
  EXPECT_THROW(reader.CopyToFile(reader.BySuffix(blob.pos), folder_ / "missing" / "x.bin"), Error);
}

}  // namespace

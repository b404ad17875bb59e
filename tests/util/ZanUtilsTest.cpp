#include "platform/FatalSignal.h"
#include "platform/Os.h"
#include "util/ZanUtils.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

class ScratchFolder {
 public:
  ScratchFolder() : path_(fs::temp_directory_path() / ("bookstub-util-" + platform::NewGuid())) {
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

void WriteFile(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

// The tree removals: the usual one, and the one a crash runs inside its signal handler, with the
// same guarantees.
struct Removal {
  const char* name;
  bool (*remove)(const fs::path& folder);
};

const Removal kRemovals[] = {
    {"DeleteFolderTree", [](const fs::path& folder) { return DeleteFolderTree(folder); }},
    {"SignalSafe",
     [](const fs::path& folder) {
       return platform::PrepareSignalSafeFolderRemoval(folder)->Remove();
     }},
};

void PrintTo(const Removal& removal, std::ostream* out) {
  *out << removal.name;
}

std::string RemovalName(const ::testing::TestParamInfo<Removal>& info) {
  return info.param.name;
}

class FolderRemovalTest : public ::testing::TestWithParam<Removal> {
 protected:
  static bool Remove(const fs::path& folder) { return GetParam().remove(folder); }
};

TEST_P(FolderRemovalTest, DeletesNestedTreeWithReadOnlyFile) {
  ScratchFolder scratch;
  const fs::path tree = scratch.path() / "run";
  WriteFile(tree / "files" / "res" / "pages" / "page.swf", "swf");
  WriteFile(tree / "files" / "book.swf", "swf");
  const fs::path locked = tree / "files" / "Log" / "log1.txt";
  WriteFile(locked, "line");
  fs::permissions(locked, fs::perms::all, fs::perm_options::remove);
  EXPECT_TRUE(Remove(tree));
  EXPECT_FALSE(fs::exists(tree));
}

TEST_P(FolderRemovalTest, ReadOnlySubfolderIsDeletedToo) {
  ScratchFolder scratch;
  const fs::path tree = scratch.path() / "run";
  WriteFile(tree / "sealed" / "a.txt", "a");
  fs::permissions(tree / "sealed", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_TRUE(Remove(tree));
  EXPECT_FALSE(fs::exists(tree));
}

TEST_P(FolderRemovalTest, SymbolicLinksAreRemovedNotFollowed) {
  ScratchFolder scratch;
  const fs::path outside = scratch.path() / "outside";
  WriteFile(outside / "keep.txt", "precious");
  fs::permissions(outside / "keep.txt", fs::perms::owner_read);
  const fs::path tree = scratch.path() / "run";
  fs::create_directories(tree / "files");
  fs::create_directory_symlink(outside, tree / "files" / "linkdir");
  fs::create_symlink(outside / "keep.txt", tree / "linkfile");
  EXPECT_TRUE(Remove(tree));
  EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
  ASSERT_TRUE(fs::exists(outside / "keep.txt"));
  // The target's permissions were not touched through the link either.
  EXPECT_EQ(fs::status(outside / "keep.txt").permissions(), fs::perms::owner_read);
}

// What a link given as the folder points to.
enum class LinkTarget { Folder, File, Nothing };

void PrintTo(LinkTarget target, std::ostream* out) {
  *out << (target == LinkTarget::Folder ? "Folder"
           : target == LinkTarget::File ? "File"
                                        : "Nothing");
}

// "link/" names the folder the link points to; the link alone goes, however it is written and
// whatever it points to (a folder, a file, or nothing), and its target stays as it was.
class LinkGivenAsTheFolder
    : public ::testing::TestWithParam<std::tuple<Removal, const char*, LinkTarget>> {};

TEST_P(LinkGivenAsTheFolder, IsRemovedAsALink) {
  const auto& [removal, spelling, target] = GetParam();
  ScratchFolder scratch;
  const fs::path outside = scratch.path() / "outside";
  WriteFile(outside / "keep.txt", "x");
  const fs::path link = scratch.path() / "link";
  if (target == LinkTarget::Folder) fs::create_directory_symlink(outside, link);
  if (target == LinkTarget::File) fs::create_symlink(outside / "keep.txt", link);
  if (target == LinkTarget::Nothing) fs::create_symlink(scratch.path() / "absent", link);
  EXPECT_TRUE(removal.remove(link.string() + spelling));
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  std::ifstream kept(outside / "keep.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "x");
  EXPECT_FALSE(fs::exists(scratch.path() / "absent"));
}

std::string LinkCaseName(
    const ::testing::TestParamInfo<std::tuple<Removal, const char*, LinkTarget>>& info) {
  std::ostringstream name;
  name << std::get<0>(info.param).name << "_" << std::string(std::get<1>(info.param)).size()
       << "Slashes_";
  PrintTo(std::get<2>(info.param), &name);
  return name.str();
}

INSTANTIATE_TEST_SUITE_P(Spellings, LinkGivenAsTheFolder,
                         ::testing::Combine(::testing::ValuesIn(kRemovals),
                                            ::testing::Values("", "/", "//"),
                                            ::testing::Values(LinkTarget::Folder, LinkTarget::File,
                                                              LinkTarget::Nothing)),
                         LinkCaseName);

// More entries than one read of a folder's listing takes.
TEST_P(FolderRemovalTest, FolderOfManyEntriesIsDeleted) {
  ScratchFolder scratch;
  const fs::path tree = scratch.path() / "run";
  fs::create_directories(tree / "pages");
  for (int i = 0; i < 1000; ++i)
    std::ofstream(tree / "pages" / ("entry-with-a-longish-name-" + std::to_string(i))) << "x";
  EXPECT_TRUE(Remove(tree));
  EXPECT_FALSE(fs::exists(tree));
}

// Made level by level relative to the folder above, as no path can name the deepest levels.
void MakeDeepTree(const fs::path& top, int levels, const std::string& name) {
  fs::create_directories(top);
  int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int level = 0; level < levels; ++level) {
    const int file = ::openat(fd, "f", O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(file, 0);
    ::close(file);
    ASSERT_EQ(::mkdirat(fd, name.c_str(), 0700), 0) << level;
    const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    ASSERT_GE(child, 0);
    fd = child;
  }
  ::close(fd);
}

TEST_P(FolderRemovalTest, TreeDeeperThanThePathLimitIsDeleted) {
  ScratchFolder scratch;
  const fs::path tree = scratch.path() / "run";
  MakeDeepTree(tree, 40, std::string(200, 'd'));  // 8,040 characters below `tree`
  EXPECT_TRUE(Remove(tree));
  EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
}

constexpr uid_t kNobody = 65534;

// Permissions do not hold for root: the tree goes to an ordinary user, who runs the test.
void HandToOrdinaryUser(const fs::path& tree) {
  if (::geteuid() != 0) return;
  for (const auto& entry : fs::recursive_directory_iterator(tree))
    ASSERT_EQ(::lchown(entry.path().c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chown(tree.c_str(), kNobody, kNobody), 0);
}

// Runs `body` in a child process, as the ordinary user when the test runs as root. The child's
// exit code, or -1 when it died.
int RunAsOrdinaryUser(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(100);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_P(FolderRemovalTest, FoldersClosedToTheirOwnerAreOpenedUpAndDeleted) {
  ScratchFolder scratch;
  fs::permissions(scratch.path(), fs::perms::all);  // reachable by the ordinary user
  const fs::path tree = scratch.path() / "run";
  WriteFile(tree / "shut" / "inner" / "a.txt", "a");
  WriteFile(tree / "readonly" / "b.txt", "b");
  WriteFile(tree / "c.txt", "c");
  fs::permissions(tree / "c.txt", fs::perms::none);
  HandToOrdinaryUser(tree);
  const int code = RunAsOrdinaryUser([&] {
    fs::permissions(tree / "shut" / "inner", fs::perms::none);
    fs::permissions(tree / "shut", fs::perms::none);
    fs::permissions(tree / "readonly", fs::perms::owner_read | fs::perms::owner_exec);
    return Remove(tree) ? 0 : 1;
  });
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(fs::exists(tree));
}

// Runs `body` in a child process with a mount namespace of its own (and a user namespace
// mapping this user to root when it is not root), where `folder` is a mount point: no user can
// delete it there, and what it held before is hidden by the mount. The child's exit code;
// kNoNamespace when the system allows no such namespace.
constexpr int kNoNamespace = 99;

bool WriteProcFile(const char* file, const std::string& text) {
  std::ofstream out(file);
  return static_cast<bool>(out << text << std::flush);
}

int RunWithFolderMountedOver(const fs::path& folder, const std::function<int()>& body) {
  const uid_t uid = ::geteuid();
  const gid_t gid = ::getegid();
  const pid_t child = ::fork();
  if (child == 0) {
    const bool root = uid == 0;
    if (::unshare(root ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS) != 0) ::_exit(kNoNamespace);
    if (!root && (!WriteProcFile("/proc/self/setgroups", "deny") ||
                  !WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
                  !WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")))
      ::_exit(kNoNamespace);
    // Private first: the mount must not reach the namespace the tests run in.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("none", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
      ::_exit(kNoNamespace);
    ::alarm(120);  // a removal that never ends fails the test
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// An entry that cannot be removed stays, and so do the folders above it, but nothing else:
// the walk neither stops in the folder that holds it nor in any folder above. Runs as any user
// where the system allows mount namespaces (the folder that stays is a mount point), else as
// root only (the folder that stays is root's, in a tree of an ordinary user).
TEST_P(FolderRemovalTest, AnEntryThatCannotBeDeletedIsPassedOver) {
  ScratchFolder scratch;
  fs::permissions(scratch.path(), fs::perms::all);
  const fs::path tree = scratch.path() / "run";
  for (const char* file : {"a.txt", "m/a.txt", "m/sub/a.txt", "m/sub/z.txt", "m/z.txt",
                           "m/zz/a.txt", "z/a.txt", "z.txt"})
    WriteFile(tree / file, "x");
  WriteFile(tree / "m" / "sub" / "stuck" / "held.txt", "x");
  int code =
      RunWithFolderMountedOver(tree / "m" / "sub" / "stuck", [&] { return Remove(tree) ? 0 : 1; });
  if (code == kNoNamespace) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs a mount namespace or root";
    fs::remove(tree / "m" / "sub" / "stuck" / "held.txt");
    fs::remove(tree / "m" / "sub" / "stuck");
    HandToOrdinaryUser(tree);
    WriteFile(tree / "m" / "sub" / "stuck" / "held.txt", "x");  // root's own
    code = RunAsOrdinaryUser([&] { return Remove(tree) ? 0 : 1; });
  }
  EXPECT_EQ(code, 1) << "a tree that stays in part is not reported as deleted";
  std::vector<std::string> left;
  for (const auto& entry : fs::recursive_directory_iterator(tree))
    left.push_back(entry.path().lexically_relative(tree).string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"m", "m/sub", "m/sub/stuck", "m/sub/stuck/held.txt"}));
}

TEST_P(FolderRemovalTest, MissingFolderIsSuccess) {
  ScratchFolder scratch;
  EXPECT_TRUE(Remove(scratch.path() / "absent"));
}

INSTANTIATE_TEST_SUITE_P(Removals, FolderRemovalTest, ::testing::ValuesIn(kRemovals), RemovalName);

TEST(SwapRedBlueTest, SwapsLowAndThirdByteAndClearsHighest) {
  EXPECT_EQ(SwapRedBlue(3355443u), 3355443u);
  EXPECT_EQ(SwapRedBlue(16777215u), 16777215u);
  EXPECT_EQ(SwapRedBlue(0xFF0000u), 0x0000FFu);
  EXPECT_EQ(SwapRedBlue(0x0000FFu), 0xFF0000u);
  EXPECT_EQ(SwapRedBlue(0xAA123456u), 0x00563412u);
}

TEST(ReadIniTextTest, MissingFileGivesDefault) {
  ScratchFolder scratch;
  EXPECT_EQ(ReadIniText(scratch.path() / "none.ini", "info", "file", "dflt"), "dflt");
  WriteFile(scratch.path() / "info.ini", "[Info]\r\n  File = top.png \r\n");
  EXPECT_EQ(ReadIniText(scratch.path() / "info.ini", "info", "file", "dflt"), "top.png");
  EXPECT_EQ(ReadIniText(scratch.path() / "info.ini", "info", "other", "dflt"), "dflt");
}

TEST(ReadIniTextTest, FileInAMissingFolderGivesDefault) {
  EXPECT_EQ(ReadIniText("/nonexistent/bookstub/info.ini", "info", "file", "dflt"), "dflt");
}

struct RoundCase {
  double value;
  int expected;
};

// Test listings show the value, not the struct's raw bytes.
void PrintTo(const RoundCase& c, std::ostream* os) {
  *os << c.value;
}

class RoundHalfEvenTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundHalfEvenTest, HalvesGoToEven) {
  EXPECT_EQ(RoundHalfEven(GetParam().value), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Values, RoundHalfEvenTest,
                         ::testing::Values(RoundCase{0.5, 0}, RoundCase{1.5, 2}, RoundCase{2.5, 2},
                                           RoundCase{3.5, 4}, RoundCase{-0.5, 0},
                                           RoundCase{-1.5, -2}, RoundCase{-2.5, -2},
                                           RoundCase{2.4999, 2}, RoundCase{2.5001, 3},
                                           RoundCase{-2.6, -3}, RoundCase{7.0, 7},
                                           RoundCase{1e12, 2147483647}));

}  // namespace

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/Os.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace {

class ScratchFolder {
 public:
  ScratchFolder() : path_(fs::temp_directory_path() / ("bookstub-os-" + platform::NewGuid())) {
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  fs::path Write(const std::string& name, const std::string& bytes) const {
    const fs::path file = path_ / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

 private:
  fs::path path_;
};

TEST(NewGuidTest, HasRegistryFormAndIsVersion4) {
  const std::regex form(
      "^\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}$");
  std::set<std::string> seen;
  for (int i = 0; i < 100; ++i) {
    const std::string guid = platform::NewGuid();
    EXPECT_EQ(guid.size(), 38u);
    EXPECT_TRUE(std::regex_match(guid, form)) << guid;
    seen.insert(guid);
  }
  EXPECT_EQ(seen.size(), 100u);
}

TEST(ReadOnlyTest, FlagRoundTrips) {
  ScratchFolder folder;
  const fs::path file = folder.Write("a.txt", "x");
  EXPECT_FALSE(platform::IsReadOnly(file));
  platform::SetReadOnly(file, true);
  EXPECT_TRUE(platform::IsReadOnly(file));
  platform::SetReadOnly(file, false);
  EXPECT_FALSE(platform::IsReadOnly(file));
}

std::string UniqueLockName() {
  return "test-lock-" + platform::NewGuid();
}

TEST(NamedLockTest, SecondHolderSeesAlreadyExists) {
  const std::string name = UniqueLockName();
  auto first = platform::CreateNamedLock(name);
  EXPECT_FALSE(first->AlreadyExists());
  EXPECT_TRUE(platform::CreateNamedLock(name)->AlreadyExists());
  first.reset();
  EXPECT_FALSE(platform::CreateNamedLock(name)->AlreadyExists());
}

TEST(NamedLockTest, ReleasedWhenHoldingProcessDies) {
  const std::string name = UniqueLockName();
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto lock = platform::CreateNamedLock(name);
    const char state = lock->AlreadyExists() ? 'x' : 'k';
    (void)!::write(ready[1], &state, 1);
    for (;;) ::pause();  // held until killed
  }
  ::close(ready[1]);
  char state = 0;
  ASSERT_EQ(::read(ready[0], &state, 1), 1);
  ::close(ready[0]);
  EXPECT_EQ(state, 'k');
  EXPECT_TRUE(platform::CreateNamedLock(name)->AlreadyExists());
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_FALSE(platform::CreateNamedLock(name)->AlreadyExists());
}

// A test name made of a case's description.
std::string TestNameOf(const ::testing::TestParamInfo<const char*>& info) {
  std::string name = info.param;
  std::replace_if(
      name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
  return name;
}

// Points the temporary folder and the cache folder at folders of the test's own, without a
// runtime folder, and puts the variables back afterwards.
class LockFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kVariables)
      if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
    fs::permissions(scratch_.path(), fs::perms::all | fs::perms::sticky_bit);  // as /tmp is
    ::setenv("TMPDIR", scratch_.path().c_str(), 1);
    ::setenv("XDG_CACHE_HOME", Cache().c_str(), 1);
    ::unsetenv("XDG_RUNTIME_DIR");
  }
  void TearDown() override {
    for (const char* name : kVariables) ::unsetenv(name);
    for (const auto& [name, value] : saved_) ::setenv(name.c_str(), value.c_str(), 1);
  }

  static constexpr const char* kVariables[] = {"TMPDIR", "XDG_RUNTIME_DIR", "XDG_CACHE_HOME",
                                               "HOME"};

  fs::path Cache() const { return scratch_.path() / "home" / ".cache"; }
  fs::path OwnFolder() const { return Cache() / "bookstub"; }
  // The name the lock folder had in the shared temporary folder, where anyone could take it.
  fs::path SharedName() const {
    return scratch_.path() / ("bookstub-" + std::to_string(::geteuid()));
  }
  bool LockIsSingle() {
    const std::string name = UniqueLockName();
    auto first = platform::CreateNamedLock(name);
    return !first->AlreadyExists() && platform::CreateNamedLock(name)->AlreadyExists();
  }

  ScratchFolder scratch_;
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(LockFolderTest, WithoutARuntimeFolderTheLockIsInAFolderOfTheUsersOwnInTheCache) {
  EXPECT_TRUE(LockIsSingle());
  EXPECT_EQ(fs::symlink_status(OwnFolder()).type(), fs::file_type::directory);
  EXPECT_EQ(fs::status(OwnFolder()).permissions(), fs::perms::owner_all);
  EXPECT_EQ(fs::status(Cache()).permissions(), fs::perms::owner_all) << "made private too";
  EXPECT_TRUE(LockIsSingle()) << "the folder made by an earlier lock is taken again";
  EXPECT_FALSE(fs::exists(fs::symlink_status(SharedName())));
}

TEST_F(LockFolderTest, WithoutACacheVariableTheHomeFoldersCacheIsUsed) {
  ::unsetenv("XDG_CACHE_HOME");
  ::setenv("HOME", (scratch_.path() / "home").c_str(), 1);
  EXPECT_TRUE(LockIsSingle());
  EXPECT_TRUE(fs::is_directory(OwnFolder()));
}

TEST_F(LockFolderTest, ARuntimeFolderOpenToOthersIsNotUsed) {
  const fs::path shared = scratch_.path() / "runtime";
  fs::create_directory(shared);
  fs::permissions(shared, fs::perms::all);
  ::setenv("XDG_RUNTIME_DIR", shared.c_str(), 1);
  EXPECT_TRUE(LockIsSingle());
  EXPECT_TRUE(fs::is_empty(shared));
  EXPECT_TRUE(fs::is_directory(OwnFolder()));
}

// What another user plants in the shared temporary folder under the name the lock folder once
// had (a folder, a link) changes nothing: the lock still keeps a second screen saver out, and
// nothing is written there.
class PlantedInTheSharedFolder : public LockFolderTest,
                                 public ::testing::WithParamInterface<const char*> {};

TEST_P(PlantedInTheSharedFolder, DoesNotDisableTheLock) {
  const std::string planted = GetParam();
  const fs::path target = scratch_.path() / "target";
  fs::create_directory(target);
  if (planted == "link") {
    fs::create_directory_symlink(target, SharedName());
  } else {
    fs::create_directory(SharedName());
    fs::permissions(SharedName(), fs::perms::all);
    if (planted == "other user's folder" && ::geteuid() == 0) {
      ASSERT_EQ(::chown(SharedName().c_str(), 65534, 65534), 0);
    }
  }
  EXPECT_TRUE(LockIsSingle());
  EXPECT_TRUE(fs::is_empty(target));
  if (fs::symlink_status(SharedName()).type() == fs::file_type::directory) {
    EXPECT_TRUE(fs::is_empty(SharedName()));
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, PlantedInTheSharedFolder,
                         ::testing::Values("open folder", "link", "other user's folder"),
                         TestNameOf);

// Whatever stands in the place of the user's own folder and is not that folder is refused: the
// screen saver then runs without its lock rather than trusting it, and nothing is written there.
class PlantedLockFolder : public LockFolderTest,
                          public ::testing::WithParamInterface<const char*> {};

TEST_P(PlantedLockFolder, IsRefusedAndLeftAlone) {
  const std::string planted = GetParam();
  const fs::path target = scratch_.path() / "target";
  fs::create_directory(target);
  fs::permissions(target, fs::perms::owner_all);
  fs::create_directories(Cache());
  if (planted == "open folder") {
    fs::create_directory(OwnFolder());
    fs::permissions(OwnFolder(), fs::perms::all);
  } else if (planted == "link") {
    fs::create_directory_symlink(target, OwnFolder());
  } else if (planted == "other user's folder") {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a folder of another user";
    fs::create_directory(OwnFolder());
    fs::permissions(OwnFolder(), fs::perms::owner_all);
    ASSERT_EQ(::chown(OwnFolder().c_str(), 65534, 65534), 0);
  }
  const std::string name = UniqueLockName();
  auto first = platform::CreateNamedLock(name);
  EXPECT_FALSE(first->AlreadyExists());
  EXPECT_FALSE(platform::CreateNamedLock(name)->AlreadyExists());
  EXPECT_TRUE(fs::is_empty(target));
  if (fs::symlink_status(OwnFolder()).type() == fs::file_type::directory) {
    EXPECT_TRUE(fs::is_empty(OwnFolder()));
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, PlantedLockFolder,
                         ::testing::Values("open folder", "link", "other user's folder"),
                         TestNameOf);

class PrivateFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { previousMask_ = ::umask(0); }  // the widest mask: nothing taken away
  void TearDown() override { ::umask(previousMask_); }
  ScratchFolder scratch_;
  mode_t previousMask_ = 0;
};

TEST_F(PrivateFolderTest, IsOpenToItsOwnerOnly) {
  const fs::path folder = scratch_.path() / "run";
  platform::CreatePrivateFolder(folder);
  EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
}

TEST_F(PrivateFolderTest, AnythingInItsPlaceIsAnError) {
  const fs::path target = scratch_.path() / "target";
  fs::create_directory(target);
  fs::create_directory(scratch_.path() / "folder");
  fs::create_directory_symlink(target, scratch_.path() / "link");
  fs::create_directory_symlink(target / "absent", scratch_.path() / "dangling");
  for (const char* name : {"folder", "link", "dangling"})
    EXPECT_THROW(platform::CreatePrivateFolder(scratch_.path() / name), Error) << name;
  EXPECT_TRUE(fs::is_empty(target)) << "no folder made through a link";
}

TEST_F(PrivateFolderTest, FilesCreatedAfterwardsArePrivate) {
  const pid_t child = ::fork();
  if (child == 0) {
    platform::KeepNewFilesPrivate();
    std::ofstream(scratch_.path() / "file") << "x";
    fs::create_directory(scratch_.path() / "folder");
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(fs::status(scratch_.path() / "file").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::status(scratch_.path() / "folder").permissions(), fs::perms::owner_all);
}

TEST(BrokenPipeTest, AWriteNobodyReadsFailsInsteadOfEndingTheProcess) {
  const pid_t child = ::fork();
  if (child == 0) {
    platform::IgnoreBrokenPipes();
    int ends[2];
    if (::pipe(ends) != 0) ::_exit(2);
    ::close(ends[0]);
    const bool failed = ::write(ends[1], "a", 1) == -1 && errno == EPIPE;
    ::_exit(failed ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A run folder whose process is gone is told from everything else by its lock: only a private
// folder of this user's, holding a lock file nobody holds, is taken; anything else is left
// alone untouched.
class AbandonedFolderTest : public ::testing::Test {
 protected:
  static constexpr const char* kLock = "run.lock";

  fs::path MakeRunFolder(const std::string& name) const {
    const fs::path folder = scratch_.path() / name;
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::owner_all);
    std::ofstream(folder / "page.swf") << "page";
    return folder;
  }
  std::unique_ptr<platform::FileLock> Take(const std::string& name) const {
    return platform::TakeAbandonedFolder(scratch_.path(), name, kLock);
  }

  ScratchFolder scratch_;
};

TEST_F(AbandonedFolderTest, TakenOnceItsLockIsFreeAndHeldByWhoeverTookIt) {
  const fs::path folder = MakeRunFolder("run");
  {
    const auto held = platform::HoldFolderLock(folder, kLock);
    EXPECT_EQ(Take("run"), nullptr) << "held in this very process";
  }
  const auto taken = Take("run");
  EXPECT_NE(taken, nullptr);
  EXPECT_EQ(Take("run"), nullptr) << "held by whoever took it";
  EXPECT_TRUE(fs::exists(folder / "page.swf")) << "taking removes nothing";
}

TEST_F(AbandonedFolderTest, HeldByAnotherProcessUntilItIsKilled) {
  const fs::path folder = MakeRunFolder("run");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const auto held = platform::HoldFolderLock(folder, kLock);
    (void)!::write(ready[1], "k", 1);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char state = 0;
  ASSERT_EQ(::read(ready[0], &state, 1), 1);
  ::close(ready[0]);
  EXPECT_EQ(Take("run"), nullptr);
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_NE(Take("run"), nullptr);
}

TEST_F(AbandonedFolderTest, TheLockIsAlwaysANewFile) {
  const fs::path folder = MakeRunFolder("run");
  const fs::path target = scratch_.path() / "target";
  std::ofstream(target) << "kept";
  fs::create_symlink(target, folder / kLock);
  EXPECT_THROW(platform::HoldFolderLock(folder, kLock), Error);
  EXPECT_EQ(fs::file_size(target), 4u);
}

class NotAbandoned : public AbandonedFolderTest,
                     public ::testing::WithParamInterface<const char*> {};

TEST_P(NotAbandoned, IsLeftAlone) {
  const std::string kind = GetParam();
  const fs::path folder = MakeRunFolder(kind == "link to a folder" ? "target" : "run");
  if (kind != "no lock file" && kind != "lock file is a link" && kind != "lock file is a pipe")
    platform::HoldFolderLock(folder, kLock);
  if (kind == "lock file is a link") {
    std::ofstream(scratch_.path() / "free") << "";
    fs::create_symlink(scratch_.path() / "free", folder / kLock);
  } else if (kind == "lock file is a pipe") {
    ASSERT_EQ(::mkfifo((folder / kLock).c_str(), 0600), 0);
  } else if (kind == "folder open to others") {
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  } else if (kind == "link to a folder") {
    fs::create_directory_symlink(folder, scratch_.path() / "run");
  } else if (kind == "other user's folder") {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a folder of another user";
    ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
  }
  EXPECT_EQ(Take("run"), nullptr);
  EXPECT_TRUE(fs::exists(folder / "page.swf"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, NotAbandoned,
                         ::testing::Values("no lock file", "lock file is a link",
                                           "lock file is a pipe", "folder open to others",
                                           "link to a folder", "other user's folder"),
                         TestNameOf);

TEST(TempPathTest, IsAFolder) {
  EXPECT_TRUE(fs::is_directory(platform::TempPath()));
}

TEST(RunningExecutablePathTest, PointsToThisTest) {
  const fs::path exe = platform::RunningExecutablePath();
  EXPECT_TRUE(exe.is_absolute());
  EXPECT_TRUE(fs::exists(exe));
  EXPECT_EQ(exe.filename(), "test_platform_posix");
}

TEST(LocalTimeNowTest, FieldsAreInRange) {
  const std::tm now = platform::LocalTimeNow();
  EXPECT_GE(now.tm_year, 100);
  EXPECT_GE(now.tm_mon, 0);
  EXPECT_LE(now.tm_mon, 11);
  EXPECT_GE(now.tm_mday, 1);
}

TEST(ShowMessageBoxTest, WritesTitleAndTextToStderr) {
  ::testing::internal::CaptureStderr();
  platform::ShowMessageBox("Something failed", "Application Error");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Application Error: Something failed\n");
}

}  // namespace

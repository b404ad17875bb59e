#include "platform/ruffle/BookFileResolver.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ruffle/BookFileLookup.h"

namespace {

namespace fs = std::filesystem;

class BookFileResolverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ =
        fs::temp_directory_path() /
        ("bookstub-resolver-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(base_);
    root_ = base_ / "files";
    Write(root_ / "book.swf");
    Write(root_ / "res" / "pages" / "page_0000.png");
    Write(root_ / "Res" / "Other" / "Logo.PNG");
    Write(root_ / "res" / "exact" / "Page.png");
    Write(root_ / "res" / "exact" / "page.png");
    Write(base_ / "secret.txt");
    fs::create_directories(base_ / "outside");
    Write(base_ / "outside" / "x.png");
    fs::create_symlink(base_ / "secret.txt", root_ / "escape.txt");
    fs::create_directory_symlink(base_ / "outside", root_ / "linked");
    fs::create_symlink(root_ / "book.swf", root_ / "alias.swf");
  }
  void TearDown() override { fs::remove_all(base_); }

  static void Write(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << file.filename().string();
  }

  fs::path base_;
  fs::path root_;
};

TEST_F(BookFileResolverTest, FindsFilesInsideTheRootWhateverTheLetterCase) {
  const std::pair<std::string, fs::path> cases[] = {
      {"book.swf", "book.swf"},
      {"res/pages/page_0000.png", "res/pages/page_0000.png"},
      {"RES/Pages/PAGE_0000.png", "res/pages/page_0000.png"},
      {"res/other/logo.png", "Res/Other/Logo.PNG"},
      {"res\\pages\\page_0000.png", "res/pages/page_0000.png"},
      {"//res///pages/page_0000.png", "res/pages/page_0000.png"},
      {"res/exact/Page.png", "res/exact/Page.png"},
      {"res/exact/page.png", "res/exact/page.png"},
      {"res/exact/PAGE.png", "res/exact/Page.png"},
      {"alias.swf", "book.swf"},
  };
  for (const auto& [request, expected] : cases) {
    const auto file = platform::ResolveBookFile(root_, request);
    ASSERT_TRUE(file) << request;
    EXPECT_EQ(*file, fs::canonical(root_ / expected)) << request;
  }
}

TEST_F(BookFileResolverTest, RefusesWhatIsMissingOrOutsideTheRoot) {
  // A sibling whose name starts with the root's name is still outside it.
  Write(base_ / "files-shared" / "x.png");
  fs::create_directory_symlink(base_ / "files-shared", root_ / "shared");
  const std::string cases[] = {
      "shared/x.png",
      "",
      "/",
      "res/pages",
      "res/pages/missing.png",
      "../secret.txt",
      "res/../book.swf",
      "res/pages/../../../secret.txt",
      "res\\..\\..\\secret.txt",
      "./book.swf",
      "escape.txt",
      "linked/x.png",
      "LINKED/X.PNG",
      std::string("book.swf\0.png", 13),
  };
  for (const std::string& request : cases) {
    EXPECT_FALSE(platform::ResolveBookFile(root_, request)) << request;
  }
}

TEST_F(BookFileResolverTest, AMissingRootServesNothing) {
  EXPECT_FALSE(platform::ResolveBookFile(base_ / "nowhere", "book.swf"));
}

// The run's log lies inside the book root; it is the player's, not the book's.
TEST_F(BookFileResolverTest, PrivateFoldersServeNothingByAnyName) {
  Write(root_ / "Log" / "log1.txt");
  Write(root_ / "res" / "Log.png");
  fs::create_symlink(root_ / "Log" / "log1.txt", root_ / "res" / "notes.txt");
  platform::BookFileResolver resolver(root_, {root_ / "Log"});
  for (const char* request :
       {"Log/log1.txt", "log/LOG1.TXT", "LOG\\log1.txt", "res/notes.txt", "Log"}) {
    EXPECT_FALSE(resolver.Resolve(request)) << request;
  }
  for (const char* request : {"book.swf", "res/Log.png", "RES/LOG.PNG"}) {
    EXPECT_TRUE(resolver.Resolve(request)) << request;
  }
}

// A movie asking for missing names as fast as it can: each folder is listed once, and files
// found by their exact names need no listing at all.
TEST_F(BookFileResolverTest, ListsEachFolderOnceWhateverIsAskedFor) {
  const fs::path crowded = root_ / "res" / "crowded";
  fs::create_directories(crowded);
  for (int i = 0; i < 2000; ++i) std::ofstream(crowded / ("f" + std::to_string(i) + ".png"));
  platform::BookFileResolver resolver(root_);
  EXPECT_TRUE(resolver.Resolve("res/pages/page_0000.png"));
  EXPECT_TRUE(resolver.Resolve("res/crowded/f1999.png"));
  EXPECT_EQ(resolver.Listings(), 0u);

  for (int i = 0; i < 500; ++i) {
    EXPECT_FALSE(resolver.Resolve("res/crowded/missing" + std::to_string(i) + ".png"));
  }
  ASSERT_TRUE(resolver.Resolve("res/crowded/F7.PNG"));
  EXPECT_EQ(*resolver.Resolve("RES/CROWDED/F7.PNG"), fs::canonical(crowded / "f7.png"));
  // The root, res, Res (the root holds both) and res/crowded.
  EXPECT_EQ(resolver.Listings(), 4u);
}

// Answers come from the lookup's own thread, in order; a full queue refuses at once instead of
// growing.
TEST_F(BookFileResolverTest, LookupAnswersOnItsOwnThreadAndRefusesBeyondItsQueue) {
  std::mutex mutex;
  std::condition_variable changed;
  bool release = false;
  std::vector<std::string> answers;
  std::vector<std::thread::id> threads;
  {
    platform::BookFileLookup lookup(root_, {});
    const auto record = [&](std::optional<fs::path> file) {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] { return release; });
      answers.push_back(file ? file->filename().string() : "-");
      threads.push_back(std::this_thread::get_id());
      changed.notify_all();
    };
    ASSERT_TRUE(lookup.Find("book.swf", record));
    ASSERT_TRUE(lookup.Find("missing.swf", record));
    // The worker holds the first request while the rest fill the queue.
    std::size_t queued = 2;
    while (lookup.Find("RES/Other/logo.png", record)) ++queued;
    EXPECT_LE(queued, platform::BookFileLookup::kMaxWaiting + 2);
    EXPECT_GE(queued, platform::BookFileLookup::kMaxWaiting);
    {
      std::unique_lock lock(mutex);
      release = true;
      changed.notify_all();
      changed.wait(lock, [&] { return answers.size() == queued; });
    }
  }
  ASSERT_GE(answers.size(), 3u);
  EXPECT_EQ(answers[0], "book.swf");
  EXPECT_EQ(answers[1], "-");
  EXPECT_EQ(answers[2], "Logo.PNG");
  for (const auto& thread : threads) EXPECT_NE(thread, std::this_thread::get_id());
}

TEST(MimeTypeForFile, ChoosesByExtensionInAnyLetterCase) {
  const std::pair<const char*, const char*> cases[] = {
      {"book.swf", "application/x-shockwave-flash"},
      {"BOOK.SWF", "application/x-shockwave-flash"},
      {"ruffle/core.wasm", "application/wasm"},
      {"a.PNG", "image/png"},
      {"a.jpeg", "image/jpeg"},
      {"toc.xml", "text/xml"},
      {"search.txt", "text/plain"},
      {"host.js", "text/javascript"},
      {"index.html", "text/html"},
      {"bg.mp3", "audio/mpeg"},
      {"noextension", "application/octet-stream"},
      {"a.unknown", "application/octet-stream"},
  };
  for (const auto& [file, type] : cases) {
    EXPECT_EQ(platform::MimeTypeForFile(file), type) << file;
  }
}

// A lookup made while its book is being written answers nothing, and queues no more than its
// bound, until it is opened; then it answers what waited from the book. It opens once.
TEST_F(BookFileResolverTest, LookupMadeBeforeItsBookWaitsForIt) {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> answers;
  platform::BookFileLookup lookup;
  const auto record = [&](std::optional<fs::path> file) {
    const std::lock_guard lock(mutex);
    answers.push_back(file ? file->filename().string() : "-");
    changed.notify_all();
  };
  ASSERT_TRUE(lookup.Find("book.swf", record));
  ASSERT_TRUE(lookup.Find("RES/Other/logo.png", record));
  std::size_t queued = 2;
  while (lookup.Find("missing.swf", record)) ++queued;
  EXPECT_EQ(queued, platform::BookFileLookup::kMaxWaiting);
  {
    const std::lock_guard lock(mutex);
    EXPECT_TRUE(answers.empty());
  }
  ASSERT_TRUE(lookup.Open(root_, {}));
  EXPECT_FALSE(lookup.Open(root_ / "res", {}));
  std::unique_lock lock(mutex);
  changed.wait(lock, [&] { return answers.size() == queued; });
  EXPECT_EQ(answers[0], "book.swf");
  EXPECT_EQ(answers[1], "Logo.PNG");
  EXPECT_EQ(answers.back(), "-");
}

}  // namespace

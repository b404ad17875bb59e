// TMainForm with its real loading thread splitting a real package: the title, the rising
// progress, the book window, and closing while the split runs.

#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/Main.h"
#include "log/ZanLog.h"
#include "tests/app/FormTestSupport.h"
#include "tests/support/BookFixture.h"

namespace fs = std::filesystem;

namespace {

using formtest::ProcessEventsUntil;

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

testsupport::BookSpec Book(int pageCount) {
  testsupport::BookSpec bookSpec;
  bookSpec.exetitle = "Loading Test Book";
  bookSpec.preloader = testsupport::FileSpec{"viewer.swf", "VIEWER MOVIE"};
  for (int i = 0; i < pageCount; ++i) {
    const std::string name = "res\\pages\\page_" + std::to_string(i) + ".swf";
    testsupport::PageSpec page;
    page.elements.emplace_back("img", testsupport::FileSpec{name, "PAGE" + std::to_string(i)});
    bookSpec.pages.push_back(std::move(page));
  }
  return bookSpec;
}

class BookLoadingTest : public testing::Test {
 protected:
  void SetUp() override { AppLog.reset(); }
  void TearDown() override {
    form_.reset();
    AppLog.reset();
  }

  TMainForm& StartLoading(const testsupport::BookSpec& bookSpec,
                          FlashHostFactory makeHost = formtest::MakeFakeFlashHost) {
    const fs::path package = packages_.Folder() / "book.bin";
    testsupport::BuildBook(bookSpec).WriteTo(package);
    form_ = std::make_unique<TMainForm>(
        TMainFormOptions{package, RunMode::Window, std::move(makeHost)});
    QObject::connect(&form_->ProgressBar(), &QProgressBar::valueChanged,
                     [this](int value) { progress_.push_back(value); });
    form_->show();
    return *form_;
  }

  formtest::TemporaryFolderEnvironment packages_{"package"};  // outside the watched folder
  formtest::TemporaryFolderEnvironment tmp_{"loading"};
  std::unique_ptr<TMainForm> form_;
  std::vector<int> progress_;
};

TEST_F(BookLoadingTest, ReportsTitleAndRisingProgressThenShowsTheBookFullScreen) {
  TMainForm& form = StartLoading(Book(9));
  ASSERT_TRUE(ProcessEventsUntil([&] { return form.BookShown(); }));
  EXPECT_EQ(form.windowTitle(), "Loading Test Book");
  ASSERT_FALSE(progress_.empty());
  EXPECT_EQ(progress_.front(), 5);
  EXPECT_EQ(progress_.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress_.begin(), progress_.end())) << "never moves backwards";
  EXPECT_FALSE(form.IsBordered());
  EXPECT_EQ(form.geometry(), QGuiApplication::primaryScreen()->geometry());

  ASSERT_EQ(tmp_.Subfolders().size(), 1u);
  const fs::path movie = tmp_.Subfolders().front() / "files" / "book.swf";
  EXPECT_EQ(static_cast<formtest::FakeFlashHost&>(form.FlashHost()).Movie(), movie);
  EXPECT_EQ(ReadFile(movie), "VIEWER MOVIE");

  ASSERT_TRUE(ProcessEventsUntil([&] { return form.LoaderFinished(); }));
  form.close();
  form_.reset();
  EXPECT_TRUE(tmp_.Subfolders().empty());
}

TEST_F(BookLoadingTest, TheEngineStartsDuringTheSplitWhichGoesOnMeanwhile) {
  // The engine's start holds the window's thread for seconds: the split must not wait for it.
  constexpr int kPages = 60;
  std::optional<bool> bookShownAtStart;
  bool splitWentOn = false;
  const auto pagesWritten = [&] {
    int pages = 0;
    for (const fs::path& folder : tmp_.Subfolders())
      for (const auto& entry : fs::recursive_directory_iterator(folder))
        pages += entry.path().filename().string().starts_with("page_") ? 1 : 0;
    return pages;
  };
  TMainForm& form = StartLoading(Book(kPages), [&](QWidget* parent, QMenu* menu) {
    bookShownAtStart = form_->BookShown();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!splitWentOn && std::chrono::steady_clock::now() < giveUp) {
      splitWentOn = pagesWritten() == kPages;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return formtest::MakeFakeFlashHost(parent, menu);
  });
  ASSERT_TRUE(ProcessEventsUntil([&] { return form.BookShown(); }));
  EXPECT_EQ(bookShownAtStart, false) << "started while the book was split";
  EXPECT_TRUE(splitWentOn);
  EXPECT_EQ(progress_.back(), 100);
}

TEST_F(BookLoadingTest, ClosingWhenTheTitleArrivesStopsTheSplitAndLeavesNothing) {
  TMainForm& form = StartLoading(Book(200));
  QObject::connect(&form, &QWidget::windowTitleChanged, [&] { form.close(); });
  ASSERT_TRUE(ProcessEventsUntil([&] { return !form.isVisible(); }));
  EXPECT_TRUE(form.LoaderFinished()) << "the window closes only after the loader has ended";
  EXPECT_FALSE(form.BookShown());
  form_.reset();
  EXPECT_TRUE(tmp_.Subfolders().empty());
}

TEST_F(BookLoadingTest, ClosingDuringThePagesStopsTheSplitAndLeavesNothing) {
  TMainForm& form = StartLoading(Book(400));
  QObject::connect(&form.ProgressBar(), &QProgressBar::valueChanged, [&](int value) {
    if (value >= 20) form.close();
  });
  ASSERT_TRUE(ProcessEventsUntil([&] { return !form.isVisible(); }));
  EXPECT_TRUE(form.LoaderFinished());
  EXPECT_FALSE(form.BookShown());
  EXPECT_LT(progress_.back(), 100) << "messages after the close request are skipped";
  form_.reset();
  EXPECT_TRUE(tmp_.Subfolders().empty());
}

TEST_F(BookLoadingTest, DestroyingTheWindowMidSplitWaitsForTheLoaderThenDeletesTheFolder) {
  TMainForm& form = StartLoading(Book(400));
  ASSERT_TRUE(ProcessEventsUntil([&] { return !progress_.empty() && progress_.back() >= 15; }));
  ASSERT_LT(progress_.back(), 100);
  EXPECT_FALSE(form.LoaderFinished());
  form_.reset();  // no close first: the destructor stops the loader itself
  EXPECT_TRUE(tmp_.Subfolders().empty());
}

}  // namespace

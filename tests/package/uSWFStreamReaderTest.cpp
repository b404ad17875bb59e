#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "package/uSWFStreamReader.h"
#include "platform/Os.h"
#include "tests/support/HostileBooks.h"
#include "tests/support/SwfWriter.h"
#include "util/Error.h"

namespace fs = std::filesystem;
using testsupport::SwfWriter;

// Found by argument-dependent lookup, so beside the enumeration's (global) namespace.
void PrintTo(TSwfBody body, std::ostream* out) {
  *out << (body == TSwfBody::Keep ? "Keep" : body == TSwfBody::Skip ? "Skip" : "Unread");
}

namespace {

// ---------------------------------------------------------------------------------------------
// Header reading, plain and compressed

class SwfFiles : public testing::Test {
 protected:
  SwfFiles() : folder_(fs::temp_directory_path() / ("bookstub-swf-" + platform::NewGuid())) {
    fs::create_directories(folder_);
  }
  ~SwfFiles() override {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  fs::path Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
    return folder_ / name;
  }
  fs::path folder_;
};

struct StageCase {
  std::string label;
  std::int32_t xmin, xmax, ymin, ymax;
  int width, height;
};

void PrintTo(const StageCase& c, std::ostream* out) {
  *out << c.label;
}

class StageSizeTest : public SwfFiles,
                      public testing::WithParamInterface<std::tuple<StageCase, bool>> {};

TEST_P(StageSizeTest, GivesThePixelSizeOfTheRectangle) {
  const auto& [stage, compressed] = GetParam();
  const SwfWriter writer = SwfWriter().StageTwips(stage.xmin, stage.xmax, stage.ymin, stage.ymax);
  const fs::path file = Write("page.swf", compressed ? writer.Cws() : writer.Fws());

  int width = -1, height = -1;
  SwfStageSize(file, width, height);
  EXPECT_EQ(width, stage.width);
  EXPECT_EQ(height, stage.height);
}

INSTANTIATE_TEST_SUITE_P(
    Stages, StageSizeTest,
    testing::Combine(testing::Values(StageCase{"Page565x800", 0, 565 * 20, 0, 800 * 20, 565, 800},
                                     StageCase{"OffsetOrigin", 2000, 2000 + 300 * 20, 400,
                                               400 + 200 * 20, 300, 200},
                                     StageCase{"NegativeOrigin", -200, 1800, -40, 960, 100, 50},
                                     StageCase{"PartialPixelsDropped", 0, 1019, 0, 39, 50, 1},
                                     StageCase{"Empty", 0, 0, 0, 0, 0, 0},
                                     StageCase{"Wide", 0, 1 << 29, 0, 20, (1 << 29) / 20, 1}),
                     testing::Bool()),
    [](const auto& info) {
      return std::get<0>(info.param).label + (std::get<1>(info.param) ? "Cws" : "Fws");
    });

TEST_F(SwfFiles, CompressedFileReadsLikeItsPlainForm) {
  const SwfWriter writer = SwfWriter()
                               .Version(9)
                               .StageTwips(100, 15000, -20, 12000)
                               .FrameRate(0x1E80)
                               .FrameCount(42)
                               .AddTag(9, "\x10\x20\x30")
                               .AddTag(12, std::string(500, 'x'))
                               .ShowFrame();
  const TSWFStreamReader plain(Write("plain.swf", writer.Fws()), TSwfBody::Keep);
  const TSWFStreamReader packed(Write("packed.swf", writer.Cws()), TSwfBody::Keep);

  EXPECT_TRUE(plain.Valid());
  EXPECT_FALSE(plain.Compressed());
  EXPECT_TRUE(packed.Compressed());
  EXPECT_EQ(plain.Signature(), "FWS");
  EXPECT_EQ(packed.Signature(), "CWS");
  for (const TSWFStreamReader* reader : {&plain, &packed}) {
    EXPECT_TRUE(reader->Valid());
    EXPECT_EQ(reader->Version(), 9);
    EXPECT_EQ(reader->FileLength(), writer.Fws().size());
    EXPECT_EQ(reader->Xmin(), 100);
    EXPECT_EQ(reader->Xmax(), 15000);
    EXPECT_EQ(reader->Ymin(), -20);
    EXPECT_EQ(reader->Ymax(), 12000);
    EXPECT_EQ(reader->Width(), 745);
    EXPECT_EQ(reader->Height(), 601);
    EXPECT_EQ(reader->FrameRate(), 0x1E80);
    EXPECT_EQ(reader->FrameCount(), 42);
    EXPECT_EQ(reader->Body(), writer.Body());
  }
}

TEST_F(SwfFiles, ReaderWithoutFileHasTheDefaults) {
  const TSWFStreamReader reader;
  EXPECT_FALSE(reader.Valid());
  EXPECT_EQ(reader.Version(), 8);
  EXPECT_EQ(reader.Width(), 0);
  EXPECT_TRUE(reader.Body().empty());
}

struct NotSwfCase {
  std::string label;
  std::string bytes;
};

void PrintTo(const NotSwfCase& c, std::ostream* out) {
  *out << c.label;
}

class NotSwfTest : public SwfFiles, public testing::WithParamInterface<NotSwfCase> {};

TEST_P(NotSwfTest, IsNotValidAndGivesZeroByZero) {
  const fs::path file = Write("odd.swf", GetParam().bytes);
  EXPECT_FALSE(TSWFStreamReader(file).Valid());
  int width = 7, height = 9;
  SwfStageSize(file, width, height);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, 0);
}

INSTANTIATE_TEST_SUITE_P(Files, NotSwfTest,
                         testing::Values(NotSwfCase{"ThreeBytes", "FWS"}, NotSwfCase{"Empty", ""},
                                         NotSwfCase{"OtherSignature", "ZWS\x0A\x20\x10\x50"},
                                         NotSwfCase{"LowerCase", "fws\x0A\x20\x10\x50"}),
                         [](const auto& info) { return info.param.label; });

TEST_F(SwfFiles, StageSizeShowsAMessageAndKeepsTheSizeForAMissingOrMisnamedFile) {
  const fs::path missing = folder_ / "missing.swf";
  const fs::path misnamed = Write("page.png", SwfWriter().StagePixels(10, 10).Fws());
  const fs::path upperCase = Write("PAGE.SWF", SwfWriter().StagePixels(10, 20).Fws());

  int width = 3, height = 4;
  testing::internal::CaptureStderr();
  SwfStageSize(missing, width, height);
  SwfStageSize(misnamed, width, height);
  SwfStageSize(folder_, width, height);  // a folder is no file
  const std::string messages = testing::internal::GetCapturedStderr();

  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 4);
  EXPECT_NE(messages.find(missing.string() + " do not exist."), std::string::npos) << messages;
  EXPECT_NE(messages.find(misnamed.string() + " is not a SWF File."), std::string::npos)
      << messages;
  EXPECT_NE(messages.find(folder_.string() + " do not exist."), std::string::npos) << messages;

  SwfStageSize(upperCase, width, height);
  EXPECT_EQ(width, 10);
  EXPECT_EQ(height, 20);
}

// ---------------------------------------------------------------------------------------------
// Damaged files

std::string WithFileLength(std::string swf, std::uint32_t length) {
  for (int i = 0; i < 4; ++i) swf[4 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  return swf;
}

struct DamageCase {
  std::string label;
  std::string bytes;
  std::string message;  // empty: any message
};

void PrintTo(const DamageCase& c, std::ostream* out) {
  *out << c.label;
}

class DamagedSwfTest : public SwfFiles,
                       public testing::WithParamInterface<std::tuple<DamageCase, TSwfBody>> {};

TEST_P(DamagedSwfTest, RaisesError) {
  const auto& [damage, body] = GetParam();
  const fs::path file = Write("bad.swf", damage.bytes);
  try {
    TSWFStreamReader reader(file, body);
    FAIL() << "loaded";
  } catch (const Error& e) {
    if (!damage.message.empty()) {
      EXPECT_EQ(std::string(e.what()), damage.message);
    }
  }
}

std::string Noise(size_t size) {
  std::string data(size, '\0');
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * i * 7919 + i / 3) % 251);
  return data;
}

const SwfWriter kMovie = SwfWriter().StagePixels(565, 800).AddTag(12, Noise(20000));

std::string Garbled(std::string swf, size_t from, size_t count) {
  for (size_t i = from; i < from + count && i < swf.size(); ++i) swf[i] = static_cast<char>(0xFF);
  return swf;
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedSwfTest,
    testing::Combine(
        testing::Values(
            DamageCase{"GarbageAfterHeader", Garbled(kMovie.Cws(), 8, 40), ""},
            DamageCase{"GarbageInBody", Garbled(kMovie.Cws(), 20, 6), ""},
            DamageCase{"GarbageNearTheEnd", Garbled(kMovie.Cws(), kMovie.Cws().size() - 60, 8), ""},
            DamageCase{"CutShort", kMovie.Cws().substr(0, kMovie.Cws().size() / 2), ""},
            DamageCase{"CutInHeader", kMovie.Cws().substr(0, 10), ""},
            DamageCase{"LongerThanItsData", WithFileLength(kMovie.Cws(), kMovie.Fws().size() + 100),
                       kStreamReadError},
            DamageCase{"AbsurdLength", WithFileLength(kMovie.Cws(), 0xFFFFFFFF), kStreamReadError},
            DamageCase{"PlainCutInRect", kMovie.Fws().substr(0, 9), kStreamReadError}),
        testing::Values(TSwfBody::Skip, TSwfBody::Keep)),
    [](const auto& info) {
      return std::get<0>(info.param).label +
             (std::get<1>(info.param) == TSwfBody::Keep ? "Keep" : "Skip");
    });

// The stage-size probe inflates the header only: damage there still fails it, damage further on
// is not looked for.
TEST_F(SwfFiles, StageSizeReportsDamageInTheHeaderOnly) {
  const std::pair<std::string, bool> cases[] = {
      {Garbled(kMovie.Cws(), 8, 40), true},
      {kMovie.Cws().substr(0, 10), true},
      {kMovie.Fws().substr(0, 9), true},
      {Garbled(kMovie.Cws(), kMovie.Cws().size() - 60, 8), false},
      {kMovie.Cws().substr(0, kMovie.Cws().size() / 2), false},
      {WithFileLength(kMovie.Cws(), 0xFFFFFFFF), false},
  };
  for (const auto& [bytes, raises] : cases) {
    const fs::path file = Write("probe.swf", bytes);
    int width = 0, height = 0;
    if (raises) {
      EXPECT_THROW(SwfStageSize(file, width, height), Error) << bytes.size();
      continue;
    }
    SwfStageSize(file, width, height);
    EXPECT_EQ(std::pair(width, height), std::pair(565, 800)) << bytes.size();
  }
}

TEST(SwfProbe, ReadsOneBlockOfALongCompressedMovie) {
  std::istringstream movie(testsupport::CompressedMovieWithZeros(500, 700, 256u << 20));
  TSWFStreamReader reader({}, TSwfBody::Unread);
  reader.LoadFromStream(movie);
  EXPECT_EQ(std::pair(reader.Width(), reader.Height()), std::pair(500, 700));
  const std::streamoff consumed = movie.tellg();
  EXPECT_GT(consumed, 8);
  EXPECT_LE(consumed, 8 + 64 * 1024);
}

TEST_F(SwfFiles, KeptBodyIsBoundedButTheHeaderStillReads) {
  const SwfWriter writer = SwfWriter().StagePixels(640, 480).AddTag(
      12, std::string(static_cast<size_t>(kMaxSwfBodySize), '\0'));
  const fs::path file = Write("big.swf", writer.Cws());

  EXPECT_THROW(TSWFStreamReader(file, TSwfBody::Keep), Error);
  int width = 0, height = 0;
  SwfStageSize(file, width, height);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 480);
}

// ---------------------------------------------------------------------------------------------
// The colour a window shows until the movie draws

TEST_F(SwfFiles, BackgroundIsTheColourSetBeforeTheFirstFrame) {
  const std::string rgb("\x2B\x3A\x4A", 3);
  // A long tag (the long header form) before the colour is skipped.
  const auto movie = [&] {
    return SwfWriter().AddTag(69, std::string(4, '\0')).AddTag(77, std::string(100, 'x'));
  };
  const SwfWriter coloured = movie().AddTag(9, rgb).ShowFrame();
  EXPECT_EQ(SwfBackgroundRgb(Write("plain.swf", coloured.Fws())), 0x2B3A4Au);
  EXPECT_EQ(SwfBackgroundRgb(Write("packed.swf", coloured.Cws())), 0x2B3A4Au);

  // A colour set only in a later frame, none at all, or a tag cut short: nothing.
  const std::string late = movie().ShowFrame().AddTag(9, rgb).Fws();
  const std::string none = movie().ShowFrame().Fws();
  const std::string full = coloured.Fws();
  const std::string cut = full.substr(0, full.find(rgb) + 1);
  for (const auto& [name, bytes] : {std::pair<const char*, std::string>{"late.swf", late},
                                    {"none.swf", none},
                                    {"cut.swf", cut},
                                    {"text.swf", "not a movie"},
                                    {"lzma.swf", "ZWS" + coloured.Fws().substr(3)},
                                    {"empty.swf", ""}}) {
    EXPECT_FALSE(SwfBackgroundRgb(Write(name, bytes))) << name;
  }
  EXPECT_FALSE(SwfBackgroundRgb(folder_ / "missing.swf"));
  // Damaged compressed data gives nothing rather than an error.
  std::string damaged = coloured.Cws();
  for (std::size_t i = 10; i < damaged.size(); ++i) damaged[i] = static_cast<char>(0xA5);
  EXPECT_FALSE(SwfBackgroundRgb(Write("damaged.swf", damaged)));
}

}  // namespace

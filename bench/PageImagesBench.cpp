// Deriving a page's three images (the 800 box copy, the 200 box photo-view thumbnail and a
// stretched page thumbnail) from one large JPEG: one decode with shrink-on-load against the
// baseline of one full decode per derived image. Prints the time ratio of the two from the
// same run, and the peak resident memory of each way, measured in a child process apiece.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vips/vips8>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <string>

#include "platform/Image.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSourceWidth = 3000;
constexpr int kSourceHeight = 4000;

struct Target {
  const char* name;
  int width;
  int height;
};
// 3000 x 4000 scaled into the 800 box, into the 200 box, and a 120 x 160 page thumbnail.
constexpr Target kTargets[] = {
    {"copy.jpg", 600, 800}, {"photo.jpg", 150, 200}, {"thumb.png", 120, 160}};

fs::path& SourcePath() {
  static fs::path source =
      fs::temp_directory_path() / ("bookstub-bench-" + std::to_string(getpid())) / "page.jpg";
  return source;
}
void SetSource(const fs::path& source) {
  SourcePath() = source;
}
const fs::path& Source() {
  return SourcePath();
}
fs::path Folder() {
  return Source().parent_path();
}

void MakeSource() {
  fs::create_directories(Folder());
  // A smooth colour pattern with some detail, streamed to disk without holding the picture.
  const vips::VImage xy = vips::VImage::xyz(kSourceWidth, kSourceHeight);
  const vips::VImage x = xy.extract_band(0), y = xy.extract_band(1);
  const vips::VImage picture =
      (x * 255 / kSourceWidth)
          .bandjoin(y * 255 / kSourceHeight)
          .bandjoin(((x + y) % 97) * 2)
          .cast(VIPS_FORMAT_UCHAR)
          .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
  picture.jpegsave(Source().c_str(), vips::VImage::option()->set("Q", 85));
}

void Derive(const platform::Picture& picture, const Target& target) {
  auto canvas = platform::CreateCanvas(target.width, target.height);
  canvas->DrawStretched(picture, 0, 0, target.width, target.height);
  canvas->SaveToFile(Folder() / (std::to_string(getpid()) + target.name));
}

void ThreeFullDecodes() {
  for (const Target& target : kTargets) Derive(*platform::LoadPicture(Source()), target);
}

void OneShrunkDecode() {
  const auto picture = platform::LoadPictureForBox(Source(), 600, 800);
  for (const Target& target : kTargets) Derive(*picture, target);
}

void BM_ThreeFullDecodes(benchmark::State& state) {
  for (auto _ : state) ThreeFullDecodes();
}
void BM_OneShrunkDecode(benchmark::State& state) {
  for (auto _ : state) OneShrunkDecode();
}
BENCHMARK(BM_ThreeFullDecodes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OneShrunkDecode)->Unit(benchmark::kMillisecond)->UseRealTime();

// Peak resident set, in MiB, of this program started again to run one way a few times. A
// fresh process (not a fork: libvips' threads do not survive one) measures that way alone.
double PeakMemoryMiB(const char* way) {
  const pid_t child = fork();
  if (child == 0) {
    execl("/proc/self/exe", "bench_page_images", "--peak-of", way, Source().c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child || status != 0) return -1;
  return usage.ru_maxrss / 1024.0;
}

int RunForPeak(const std::string& way) {
  for (int i = 0; i < 3; ++i) way == "full" ? ThreeFullDecodes() : OneShrunkDecode();
  return 0;
}

// Prints as usual and keeps each benchmark's real time per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration || run.aggregate_name == "mean")
        times_[run.run_name.function_name] = run.GetAdjustedRealTime();
  }
  double Time(const std::string& name) const {
    const auto found = times_.find(name);
    return found == times_.end() ? 0 : found->second;
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  if (VIPS_INIT(argv[0]) != 0) return 1;
  if (argc == 4 && std::string(argv[1]) == "--peak-of") {
    SetSource(argv[3]);
    return RunForPeak(argv[2]);
  }
  benchmark::Initialize(&argc, argv);
  MakeSource();
  const double fullPeak = PeakMemoryMiB("full");
  const double shrunkPeak = PeakMemoryMiB("shrunk");

  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double baseline = reporter.Time("BM_ThreeFullDecodes");
  const double shrunk = reporter.Time("BM_OneShrunkDecode");
  if (baseline > 0 && shrunk > 0)
    std::printf("\nOne shrunk decode / three full decodes (time): %.3f  (%.1fx faster)\n",
                shrunk / baseline, baseline / shrunk);
  std::printf(
      "Peak resident memory, %d x %d JPEG: three full decodes %.0f MiB, one shrunk decode %.0f "
      "MiB\n",
      kSourceWidth, kSourceHeight, fullPeak, shrunkPeak);

  benchmark::Shutdown();
  std::error_code ec;
  fs::remove_all(Folder(), ec);
  return 0;
}

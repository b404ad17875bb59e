#include "platform/posix/FileCopyPosix.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/FileCopy.h"
#include "platform/Os.h"
#include "util/Error.h"

namespace fs = std::filesystem;

namespace {

class KernelCopyTest : public ::testing::Test {
 protected:
  KernelCopyTest() : folder_(fs::temp_directory_path() / ("bookstub-copy-" + platform::NewGuid())) {
    fs::create_directories(folder_);
    std::ofstream(source_, std::ios::binary) << "0123456789abcdefghij";
    std::ofstream(destination_, std::ios::binary) << "an older, longer file in the way";
  }
  ~KernelCopyTest() override { fs::remove_all(folder_); }

  static std::string Slurp(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
  }

  fs::path folder_;
  fs::path source_ = folder_ / "source.bin";
  fs::path destination_ = folder_ / "destination.bin";
};

// A kernel that copies `copies` bytes per call for its first `calls` calls, then fails with
// `error` (0: keeps copying).
struct FakeKernel {
  static inline int calls = 0;
  static inline int error = 0;
  static ssize_t Call(int in, off64_t* inOffset, int out, off64_t*, size_t length, unsigned) {
    if (calls-- <= 0 && error != 0) {
      errno = error;
      return -1;
    }
    char bytes[3];
    const ssize_t got = pread(in, bytes, std::min<size_t>(length, sizeof bytes), *inOffset);
    if (got > 0) {
      *inOffset += got;
      if (write(out, bytes, static_cast<size_t>(got)) != got) return -1;
    }
    return got;
  }
};

struct RefusalCase {
  const char* label;
  int error;
  int callsBefore;  // calls that copy 3 bytes each before the refusal
};

class KernelRefusalTest : public KernelCopyTest,
                          public ::testing::WithParamInterface<RefusalCase> {};

// A kernel that will not copy between the files stops the copy where it is, without an error:
// the caller copies the rest.
TEST_P(KernelRefusalTest, StopsWithTheBytesCopiedSoFar) {
  FakeKernel::calls = GetParam().callsBefore;
  FakeKernel::error = GetParam().error;
  const std::uint64_t done =
      platform::posix::KernelCopyRange(source_, 2, 12, destination_, FakeKernel::Call);
  const std::string expected = std::string("23456789abcd").substr(0, done);
  EXPECT_EQ(done, 3u * static_cast<unsigned>(GetParam().callsBefore));
  EXPECT_EQ(Slurp(destination_), expected);
}

INSTANTIATE_TEST_SUITE_P(Refusals, KernelRefusalTest,
                         ::testing::Values(RefusalCase{"OtherFileSystem", EXDEV, 0},
                                           RefusalCase{"Unsupported", EINVAL, 0},
                                           RefusalCase{"OldKernel", ENOSYS, 0},
                                           RefusalCase{"NotSupported", EOPNOTSUPP, 0},
                                           RefusalCase{"HalfWay", EXDEV, 2}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(KernelCopyTest, ReadOrWriteFailureRaises) {
  FakeKernel::calls = 1;
  FakeKernel::error = EIO;
  EXPECT_THROW(platform::posix::KernelCopyRange(source_, 0, 12, destination_, FakeKernel::Call),
               Error);
}

TEST_F(KernelCopyTest, SourceEndingBeforeTheRangeRaises) {
  FakeKernel::error = 0;
  EXPECT_THROW(platform::posix::KernelCopyRange(source_, 15, 10, destination_, FakeKernel::Call),
               Error);
}

// Whatever this kernel does (copy or refuse), the bytes it reports are the range's start.
TEST_F(KernelCopyTest, RealKernelCopiesTheRangeOrRefuses) {
  const std::uint64_t done = platform::KernelCopyRange(source_, 5, 10, destination_);
  EXPECT_EQ(Slurp(destination_), std::string("56789abcde").substr(0, done));
}

}  // namespace

// Copies one byte range of a file (a blob of a package) into a new file by one of the ways the
// split could, and prints the wall time and the processor time it took:
//   bench_blob_copy METHOD SOURCE OFFSET LENGTH DESTINATION
// METHOD: kernel   copy_file_range from OFFSET
//         map      the range mapped, written out with write()
//         aligned  pread/write through a 1 MiB page-aligned buffer, the reads on page boundaries
//                  of the source (the first one short)
//         plain    pread/write through a 1 MiB buffer from OFFSET on
// scripts/bench runs each method on a blob that starts on a page boundary and on one that does
// not, alternating with cp of the same bytes, and compares the medians.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {
    if (fd_ < 0) Fail("open");
  }
  ~Fd() { ::close(fd_); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

void WriteAll(int fd, const char* bytes, std::size_t length) {
  while (length > 0) {
    const ssize_t done = ::write(fd, bytes, length);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) Fail("write");
    bytes += done;
    length -= static_cast<std::size_t>(done);
  }
}

void KernelCopy(int in, std::uint64_t offset, std::uint64_t length, int out) {
  auto from = static_cast<off64_t>(offset);
  while (length > 0) {
    const ssize_t done =
        ::copy_file_range(in, &from, out, nullptr, std::min<std::uint64_t>(length, 1u << 30), 0);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) Fail("copy_file_range");
    length -= static_cast<std::uint64_t>(done);
  }
}

void MapCopy(int in, std::uint64_t offset, std::uint64_t length, int out) {
  const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
  const std::uint64_t skip = offset % page;
  const std::size_t mapped = length + skip;
  void* map =
      ::mmap(nullptr, mapped, PROT_READ, MAP_PRIVATE, in, static_cast<off_t>(offset - skip));
  if (map == MAP_FAILED) Fail("mmap");
  ::madvise(map, mapped, MADV_SEQUENTIAL);
  const char* bytes = static_cast<const char*>(map) + skip;
  for (std::uint64_t done = 0; done < length;) {
    const auto chunk =
        static_cast<std::size_t>(std::min<std::uint64_t>(length - done, kBufferSize));
    WriteAll(out, bytes + done, chunk);
    done += chunk;
  }
  ::munmap(map, mapped);
}

// `alignReads`: the first read ends on a page boundary of the source, so every later one starts
// on one.
void BufferCopy(int in, std::uint64_t offset, std::uint64_t length, int out, bool alignReads) {
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  void* memory = nullptr;
  if (::posix_memalign(&memory, page, kBufferSize) != 0) Fail("posix_memalign");
  const std::unique_ptr<char, decltype(&std::free)> buffer(static_cast<char*>(memory), &std::free);
  std::uint64_t done = 0;
  while (done < length) {
    std::size_t chunk = std::min<std::uint64_t>(length - done, kBufferSize);
    if (alignReads && done == 0 && offset % page != 0)
      chunk = std::min<std::uint64_t>(chunk, page - offset % page);
    const ssize_t got = ::pread(in, buffer.get(), chunk, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) Fail("pread");
    WriteAll(out, buffer.get(), static_cast<std::size_t>(got));
    done += static_cast<std::uint64_t>(got);
  }
}

double Seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: %s kernel|map|aligned|plain SOURCE OFFSET LENGTH DESTINATION\n",
                 argv[0]);
    return 2;
  }
  try {
    const std::string_view method = argv[1];
    const std::uint64_t offset = std::stoull(argv[3]);
    const std::uint64_t length = std::stoull(argv[4]);
    const Fd in(::open(argv[2], O_RDONLY | O_CLOEXEC));
    const Fd out(::open(argv[5], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    const auto start = std::chrono::steady_clock::now();
    if (method == "kernel") {
      KernelCopy(in.Get(), offset, length, out.Get());
    } else if (method == "map") {
      MapCopy(in.Get(), offset, length, out.Get());
    } else if (method == "aligned" || method == "plain") {
      BufferCopy(in.Get(), offset, length, out.Get(), method == "aligned");
    } else {
      std::fprintf(stderr, "unknown method %s\n", argv[1]);
      return 2;
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%.4f %.4f %.4f\n", wall.count(), Seconds(usage.ru_utime), Seconds(usage.ru_stime));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_blob_copy: %s\n", e.what());
    return 1;
  }
  return 0;
}

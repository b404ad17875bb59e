// POSIX back-end of platform/Os.h.
// Implements: temporary folder, random v4 GUID text, the read-only flag as "no write permission
// for anyone", INI value reading with the profile-reading rules (ASCII case folding, blanks
// trimmed, one pair of matching quotes around a value removed, CRLF and a UTF-8 byte-order mark
// accepted, first matching section and key win), a named lock held with flock(2) on a file in
// $XDG_RUNTIME_DIR or, failing that, in a folder of the user's own (mode 0700, owner checked)
// in the temporary folder, opened without following links, a headless message box (one line
// on stderr),
// the running executable from /proc/self/exe and the local time from localtime_r.
// Does not implement: a graphical message box, system-wide named objects other than files, the
// system code page (every text is UTF-8), or INI writing.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>

#include "platform/Os.h"
#include "util/AsciiCase.h"
#include "util/StrUtils_zan.h"

namespace fs = std::filesystem;

namespace platform {

fs::path TempPath() {
  return fs::temp_directory_path();
}

std::string NewGuid() {
  std::random_device device;
  std::array<unsigned char, 16> bytes{};
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    const std::uint32_t word = device();
    for (std::size_t j = 0; j < 4; ++j) bytes[i + j] = static_cast<unsigned char>(word >> (8 * j));
  }
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  char text[39];
  std::snprintf(text, sizeof text,
                "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", bytes[0],
                bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8],
                bytes[9], bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
  return text;
}

namespace {

constexpr fs::perms kAnyWrite =
    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

}  // namespace

bool IsReadOnly(const fs::path& file) {
  return (fs::status(file).permissions() & kAnyWrite) == fs::perms::none;
}

void SetReadOnly(const fs::path& file, bool readOnly) {
  if (readOnly)
    fs::permissions(file, kAnyWrite, fs::perm_options::remove);
  else
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
}

namespace {

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Windows editors save INI files as UTF-16LE with a byte-order mark; the profile reader takes
// them as well as 8-bit ones. Unpaired surrogates become U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  const auto unit = [&](std::size_t i) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t first = unit(i);
    if (first >= 0xD800 && first < 0xDC00 && i + 3 < bytes.size()) {
      const char16_t second = unit(i + 2);
      if (second >= 0xDC00 && second < 0xE000) {
        AppendUtf8(out, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(out, first >= 0xD800 && first < 0xE000 ? char32_t{0xFFFD} : char32_t{first});
  }
  return out;
}

// The file's text as UTF-8, without a byte-order mark.
std::string IniText(std::string bytes) {
  if (bytes.starts_with("\xFF\xFE")) return Utf16LeToUtf8(std::string_view(bytes).substr(2));
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  return bytes;
}

}  // namespace

std::vector<std::string> ReadIniValues(const fs::path& file, std::string_view section,
                                       std::span<const std::string_view> keys,
                                       std::string_view fallback) {
  std::vector<std::string> values(keys.size(), std::string(fallback));
  std::ifstream in(file, std::ios::binary);
  if (!in) return values;
  std::ostringstream content;
  content << in.rdbuf();
  const std::string decoded = IniText(std::move(content).str());
  std::string_view text = decoded;

  const std::string_view wantedSection = TrimBlanks(section);
  std::vector<bool> found(keys.size(), false);
  std::size_t missing = keys.size();
  bool inSection = false;
  while (!text.empty() && missing > 0) {
    const std::size_t end = text.find('\n');
    const std::string_view line = TrimBlanks(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      if (inSection) break;  // only the first matching section is searched
      inSection = SameTextAscii(TrimBlanks(line.substr(1, close - 1)), wantedSection);
      continue;
    }
    if (!inSection) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view lineKey = TrimBlanks(line.substr(0, equals));
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (found[i] || !SameTextAscii(lineKey, TrimBlanks(keys[i]))) continue;
      values[i] = std::string(Unquote(TrimBlanks(line.substr(equals + 1))));
      found[i] = true;
      --missing;
    }
  }
  return values;
}

std::string ReadIniValue(const fs::path& file, std::string_view section, std::string_view key,
                         std::string_view fallback) {
  return ReadIniValues(file, section, std::span(&key, 1), fallback).front();
}

namespace {

class FlockNamedLock : public NamedLock {
 public:
  FlockNamedLock(int fd, bool alreadyExists) : fd_(fd), alreadyExists_(alreadyExists) {}
  ~FlockNamedLock() override {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  FlockNamedLock(const FlockNamedLock&) = delete;
  FlockNamedLock& operator=(const FlockNamedLock&) = delete;
  bool AlreadyExists() const override { return alreadyExists_; }

 private:
  int fd_;
  bool alreadyExists_;
};

// A folder that only the current user can reach: a real folder (not a link), owned by the
// user, with no access for anyone else. Returns an open descriptor of it, or -1.
int OpenPrivateFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat status {};
  if (::fstat(fd, &status) == 0 && status.st_uid == ::geteuid() && (status.st_mode & 077) == 0)
    return fd;
  ::close(fd);
  return -1;
}

// The user's runtime folder when it is private; otherwise bookstub-<uid> in the temporary
// folder, made when missing. Another user's entry of that name (a folder, a link) is refused:
// -1, with the reason on stderr.
int OpenLockFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime == '/') {
    const int fd = OpenPrivateFolder(runtime);
    if (fd >= 0) return fd;
  }
  const fs::path own = TempPath() / ("bookstub-" + std::to_string(::geteuid()));
  ::mkdir(own.c_str(), 0700);  // an existing one is checked below like a new one
  const int fd = OpenPrivateFolder(own);
  if (fd < 0)
    std::cerr << "Bookstub: " << own.string()
              << " is not a folder of this user's alone; no lock is taken" << std::endl;
  return fd;
}

std::string LockFileName(std::string_view name) {
  std::string safe;
  for (const char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.';
    safe += plain ? c : '_';
  }
  return "bookstub-" + safe + ".lock";
}

}  // namespace

std::unique_ptr<NamedLock> CreateNamedLock(std::string_view name) {
  const int folder = OpenLockFolder();
  if (folder < 0) return std::make_unique<FlockNamedLock>(-1, false);
  const int fd =
      ::openat(folder, LockFileName(name).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  ::close(folder);
  if (fd < 0) return std::make_unique<FlockNamedLock>(-1, false);
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0 && errno == EWOULDBLOCK) {
    ::close(fd);
    return std::make_unique<FlockNamedLock>(-1, true);
  }
  return std::make_unique<FlockNamedLock>(fd, false);
}

void ShowMessageBox(std::string_view text, std::string_view title) {
  std::cerr << title << ": " << text << std::endl;
}

std::tm LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

fs::path RunningExecutablePath() {
  return fs::read_symlink("/proc/self/exe");
}

}  // namespace platform

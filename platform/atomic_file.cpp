#include "platform/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <random>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessel::platform {

namespace fs = std::filesystem;

namespace {

std::atomic<int> gFailAt{0}, gFailError{0}, gCalls{0};

// Counts one of the writer's system calls; true (errno set) when a test asked this one to fail.
bool injectedFailure() {
  const int n = gCalls.fetch_add(1) + 1;
  if (gFailAt.load() != n) return false;
  errno = gFailError.load();
  return true;
}

std::string errnoText(int error) { return std::generic_category().message(error); }

}  // namespace

namespace test_seam {
void injectFailure(int nth, int error) {
  gFailError = error;
  gFailAt = nth;
  gCalls = 0;
}
int callsMade() { return gCalls.load(); }
}  // namespace test_seam

namespace {

// A temporary is ".NAME.PID.XXXXXX.tmp" beside NAME: hidden from file dialogs, and telling
// which process writes it, so a later writer can see that process is gone.
constexpr std::string_view kSuffix = ".tmp";
constexpr std::size_t kRandomChars = 6;

std::string temporaryName(const std::string& name, std::mt19937_64& random) {
  static constexpr char kChars[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::string out = ".";
  out += name;
  out += '.';
  out += std::to_string(::getpid());
  out += '.';
  for (std::size_t i = 0; i < kRandomChars; ++i) out += kChars[random() % (sizeof kChars - 1)];
  out += kSuffix;
  return out;
}

bool allDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// The pid a temporary of `name` records, 0 for a temporary of an earlier version that records
// none, or -1 when `entry` is not one of ours.
long temporaryOwner(std::string_view entry, const std::string& name) {
  auto pidOf = [](std::string_view digits) -> long {
    long pid = -1;
    if (!allDigits(digits)) return -1;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    return ec == std::errc() && end == digits.data() + digits.size() && pid > 0 ? pid : -1;
  };
  // .NAME.PID.XXXXXX.tmp
  if (entry.size() > name.size() + 2 && entry[0] == '.' &&
      entry.substr(1, name.size()) == name && entry[1 + name.size()] == '.' &&
      entry.ends_with(kSuffix)) {
    std::string_view middle = entry.substr(name.size() + 2);
    middle.remove_suffix(kSuffix.size());
    const std::size_t dot = middle.rfind('.');
    if (dot != std::string_view::npos && middle.size() - dot - 1 == kRandomChars)
      return pidOf(middle.substr(0, dot));
    return -1;
  }
  // Earlier settings writes: NAME.tmp.PID.
  const std::string settingsPrefix = name + ".tmp.";
  if (entry.starts_with(settingsPrefix)) return pidOf(entry.substr(settingsPrefix.size()));
  // Earlier mesh saves: .STEM.saving.EXT, with no pid.
  const fs::path path(name);
  std::string saving = ".";
  saving += path.stem().string();
  saving += ".saving";
  saving += path.extension().string();
  return entry == saving ? 0 : -1;
}

bool processIsGone(long pid) {
  // EPERM: alive, and another user's.
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

fs::path resolveLinks(const fs::path& file, int* error) {
  fs::path at = file;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
    std::error_code ec;
    fs::path to = fs::read_symlink(at, ec);
    if (ec) {
      if (error) *error = ec.value();
      return at;
    }
    at = to.is_absolute() ? to : at.parent_path() / to;
  }
  if (error) *error = ELOOP;
  return at;
}

AtomicFile::AtomicFile(fs::path target, bool followLinks) : destination_(std::move(target)) {
  if (followLinks) {
    int error = 0;
    destination_ = resolveLinks(destination_, &error);
    if (error) {
      fail(error);
      return;
    }
  }
  struct stat old {};
  const bool existed = ::stat(destination_.c_str(), &old) == 0;
  if (existed && S_ISDIR(old.st_mode)) {
    fail(EISDIR);
    return;
  }
  removeStaleTemporaries(destination_);

  const fs::path folder = destination_.has_parent_path() ? destination_.parent_path() : ".";
  const std::string name = destination_.filename().string();
  std::random_device seed;
  std::mt19937_64 random((static_cast<std::uint64_t>(seed()) << 32) ^ seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary_ = folder / temporaryName(name, random);
    // O_EXCL: a name someone else made, a planted link included, is never opened.
    fd_ = injectedFailure()
              ? -1
              : ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                       0666);
    if (fd_ >= 0 || errno != EEXIST) break;
  }
  if (fd_ < 0) {
    const int error = errno;
    temporary_.clear();
    fail(error, "a new file cannot be made beside it (" + errnoText(error) + ")");
    return;
  }
  // A file the user kept private stays private; a new one takes the umask as any new file does.
  if (existed && S_ISREG(old.st_mode)) (void)::fchmod(fd_, old.st_mode & 07777);
}

AtomicFile::~AtomicFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

void AtomicFile::fail(int error, std::string problem) {
  if (failed()) return;
  error_ = error;
  problem_ = problem.empty() ? errnoText(error) : std::move(problem);
}

namespace {
bool writeAll(int fd, const char* data, std::size_t size, int& error) {
  while (size > 0) {
    const ssize_t n = injectedFailure() ? -1 : ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}
}  // namespace

bool AtomicFile::flushBuffer() {
  if (failed()) return false;
  int error = 0;
  const bool ok = writeAll(fd_, buffer_.data(), used_, error);
  used_ = 0;
  if (!ok) fail(error);
  return ok;
}

void AtomicFile::write(const void* data, std::size_t size) {
  if (failed()) return;
  // Large enough that a scan's positions or faces go out in a few hundred calls.
  constexpr std::size_t kBuffer = std::size_t{1} << 20;
  if (buffer_.empty()) buffer_.resize(kBuffer);
  const char* bytes = static_cast<const char*>(data);
  if (used_ + size > buffer_.size()) {
    if (!flushBuffer()) return;
    if (size >= buffer_.size()) {
      int error = 0;
      if (!writeAll(fd_, bytes, size, error)) fail(error);
      return;
    }
  }
  std::memcpy(buffer_.data() + used_, bytes, size);
  used_ += size;
}

std::string AtomicFile::commit() {
  if (committed_) return {};
  if (!failed()) flushBuffer();
  if (!failed() && (injectedFailure() || ::fsync(fd_) != 0)) fail(errno);
  if (fd_ >= 0) {
    // The close can report a write the flush did not (NFS); the descriptor is gone either way.
    const bool injected = injectedFailure();
    const int error = injected ? errno : 0;
    if ((::close(fd_) != 0 || injected) && !failed()) fail(injected ? error : errno);
    fd_ = -1;
  }
  if (!failed() && (injectedFailure() || ::rename(temporary_.c_str(), destination_.c_str()) != 0))
    fail(errno);
  if (failed()) {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    return problem_;
  }
  committed_ = true;
  // The rename itself reaches the disk with the folder's own flush. The file is in place
  // whatever this says, and some file systems cannot flush a folder, so it is not a failure.
  const fs::path folder = destination_.has_parent_path() ? destination_.parent_path() : ".";
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
  return {};
}

int removeStaleTemporaries(const fs::path& target) {
  const fs::path folder = target.has_parent_path() ? target.parent_path() : ".";
  const std::string name = target.filename().string();
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return 0;
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const long owner = temporaryOwner(entry->d_name, name);
    if (owner < 0 || (owner > 0 && !processIsGone(owner))) continue;
    struct stat st {};
    if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode))
      continue;
    if (now.tv_sec - st.st_mtim.tv_sec < 60L * kStaleTemporaryMinutes) continue;
    removed += ::unlinkat(::dirfd(dir), entry->d_name, 0) == 0;
  }
  ::closedir(dir);
  return removed;
}

}  // namespace tessel::platform

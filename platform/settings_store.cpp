#include "platform/settings_store.h"

#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessel::platform {

namespace fs = std::filesystem;

fs::path userSettingsPath() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
    return fs::path(xdg) / "tessel" / "registry.json";
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : ".") / ".config" / "tessel" / "registry.json";
}

namespace {

// Each problem is told once a process: every settings read and write comes back to a file that
// stays broken, and a user reads one line, not one per panel.
void sayOnce(const std::string& what, const std::string& message) {
  static std::mutex mutex;
  static std::set<std::string> said;
  std::lock_guard<std::mutex> lock(mutex);
  if (said.insert(what).second) std::fprintf(stderr, "tessel: %s\n", message.c_str());
}

std::string errnoText(int error) { return std::generic_category().message(error); }

// True when the JSON text opens more than `limit` arrays or objects inside each other (strings
// skipped), which the recursive parser would follow down to a stack overflow.
bool nestsDeeperThan(std::string_view text, int limit) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

// Reads a whole regular file of at most `limit` bytes. Empty on success, else the problem.
// `tooLarge` tells a file too large to be ours from one that cannot be read.
std::string readSmallFile(int fd, std::uintmax_t limit, std::string& text, bool& tooLarge) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return "cannot be read (" + errnoText(errno) + ")";
  if (S_ISDIR(st.st_mode)) return "is a folder, not a file";
  // Opened without blocking, but a FIFO or a device would still be read until its writer stops.
  if (!S_ISREG(st.st_mode)) return "is not a regular file";
  tooLarge = true;
  if (static_cast<std::uintmax_t>(st.st_size) > limit)
    return "is larger than " + std::to_string(limit >> 20) + " MB";
  tooLarge = false;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return "cannot be read (" + errnoText(errno) + ")";
    if (n == 0) return {};
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.size() > limit) {  // grew since, or a special file that reports no size
      tooLarge = true;
      return "is larger than " + std::to_string(limit >> 20) + " MB";
    }
  }
}

// Moves `file` to the first free FILE.corrupt, FILE.corrupt.2, ... without replacing any: each
// corrupt file stays for the user to recover. The name used, or empty with `error` set.
fs::path moveAside(const fs::path& file, int& error) {
  for (int n = 1; n <= 1000; ++n) {
    fs::path aside = file;
    aside += n == 1 ? std::string(".corrupt") : ".corrupt." + std::to_string(n);
    if (::renameat2(AT_FDCWD, file.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0)
      return aside;
    if (errno == EINVAL || errno == ENOSYS) {  // a file system without no-replace renames
      std::error_code ec;
      if (fs::exists(aside, ec)) continue;
      if (::rename(file.c_str(), aside.c_str()) == 0) return aside;
    }
    if (errno != EEXIST) break;
  }
  error = errno;
  return {};
}

// Holds an exclusive lock on the settings folder while one process rereads, changes and
// replaces the file; a folder that cannot be opened (or locked) goes unlocked, and the write
// then fails or succeeds on its own.
class FolderLock {
 public:
  explicit FolderLock(const fs::path& folder)
      : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ >= 0)
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // closing drops the lock
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

}  // namespace

SettingsStore::SettingsStore(fs::path file) : file_(std::move(file)) {}

SettingsStore::Loaded SettingsStore::load(nlohmann::json& root) const {
  root = nlohmann::json::object();
  // A FIFO in its place would hold open() until a writer came: Studio would hang before its
  // first line.
  const int fd = ::open(file_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) return Loaded::Missing;
  std::string text, problem;
  bool corrupt = false;  // readable, but not settings of ours: moved aside
  if (fd < 0) {
    problem = "cannot be opened (" + errnoText(errno) + ")";
  } else {
    problem = readSmallFile(fd, kMaxBytes, text, corrupt);
    ::close(fd);
  }
  if (problem.empty()) {
    corrupt = true;
    if (nestsDeeperThan(text, kMaxDepth)) {
      problem = "nests values deeper than " + std::to_string(kMaxDepth) + " levels";
    } else {
      nlohmann::json parsed = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
      if (parsed.is_discarded())
        problem = "is not valid JSON";
      else if (!parsed.is_object())
        problem = "does not hold a JSON object";
      else
        root = std::move(parsed);
    }
  }
  if (problem.empty()) return Loaded::Ok;
  if (corrupt) {
    // Behind a link, the file the link leads to is moved aside, and the link kept for the
    // next write to go through.
    int error = 0;
    fs::path aside = moveAside(resolveLinks(file_, nullptr), error);
    if (!aside.empty()) {
      sayOnce("aside " + aside.string(), "settings file " + file_.string() + " " + problem +
                                             "; kept as " + aside.string() + ", using defaults");
      return Loaded::SetAside;
    }
    std::error_code ec;
    if (error == ENOENT && !fs::exists(file_, ec)) return Loaded::Missing;  // moved by another
    sayOnce("stuck " + file_.string(),
            "settings file " + file_.string() + " " + problem + " and could not be moved aside (" +
                errnoText(error) + "); using defaults, and leaving the file as it is");
    return Loaded::Stuck;
  }
  // One we cannot read may be fine for its owner: it stays where it is.
  sayOnce("stuck " + file_.string(), "settings file " + file_.string() + " " + problem +
                                         "; using defaults, and leaving the file as it is");
  return Loaded::Stuck;
}

std::string SettingsStore::store(const nlohmann::json& root) const {
  std::error_code ec;
  fs::create_directories(file_.parent_path(), ec);
  if (ec) return "the folder cannot be created (" + ec.message() + ")";
  // A registry.json linked elsewhere (a dotfiles folder) stays a link: the file it leads to is
  // replaced, atomically there.
  AtomicFile out(file_, /*followLinks=*/true);
  // Invalid UTF-8 in a name is replaced rather than thrown across the module boundary.
  out.write(root.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n");
  return out.commit();
}

std::optional<nlohmann::json> SettingsStore::read(const std::string& key,
                                                  const std::string& name) const {
  nlohmann::json root;
  load(root);
  auto k = root.find(key);
  if (k == root.end() || !k->is_object()) return std::nullopt;
  auto v = k->find(name);
  if (v == k->end()) return std::nullopt;
  return *v;
}

bool SettingsStore::write(const std::string& key, const std::string& name,
                          const nlohmann::json& value) const {
  return writeAll(key, nlohmann::json{{name, value}});
}

bool SettingsStore::writeAll(const std::string& key, const nlohmann::json& values) const {
  std::string why;
  {
    std::error_code ec;
    fs::create_directories(file_.parent_path(), ec);
    FolderLock lock(file_.parent_path());
    nlohmann::json root;
    if (load(root) == Loaded::Stuck) {
      why = "the file there is unreadable and is not written over";
    } else {
      nlohmann::json& k = root[key];
      if (!k.is_object()) k = nlohmann::json::object();
      for (auto it = values.begin(); it != values.end(); ++it) k[it.key()] = it.value();
      why = store(root);
    }
  }
  if (why.empty()) return true;
  sayOnce("save " + file_.string(),
          "settings cannot be saved to " + file_.string() + ": " + why +
              ". Nothing was lost: the file keeps what it held; changes from now on are not saved "
              "until this is mended.");
  return false;
}

}  // namespace tessel::platform

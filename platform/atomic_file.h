// Replacing a file so that it is always wholly the old one or wholly the new one: the new bytes go
// to a temporary of our own beside the target, created exclusively (a link planted at its name is
// never followed), and are renamed over the target only once every write, the flush to disk and
// the close have succeeded. A failure at any step removes the temporary and keeps the first
// error, so a full disk reports "No space left on device" and the target keeps what it held.
// Mesh saves, view shots and the settings file all write through this one class.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::platform {

class AtomicFile {
 public:
  // With `followLinks`, a target that is a symbolic link keeps its link: the new bytes replace
  // the file the link leads to (as editors save through one); without, the link is replaced.
  // Stale temporaries a killed writer left beside the target are removed first.
  explicit AtomicFile(std::filesystem::path target, bool followLinks = false);
  // A temporary not committed is removed: leaving before commit() abandons the new bytes.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Buffered. Once a step has failed, further writes do nothing and the first error stays.
  void write(const void* data, std::size_t size);
  void write(std::string_view text) { write(text.data(), text.size()); }
  // Writes out the buffer, flushes the file to disk, closes it and renames it over the target.
  // Empty on success, else the first problem, e.g. "No space left on device".
  std::string commit();

  bool failed() const { return error_ != 0 || !problem_.empty(); }
  // Where the bytes land: the target, or with `followLinks` the file its links lead to.
  const std::filesystem::path& destination() const { return destination_; }
  const std::filesystem::path& temporary() const { return temporary_; }

 private:
  void fail(int error, std::string problem = {});
  bool flushBuffer();

  std::filesystem::path destination_, temporary_;
  int fd_ = -1;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  int error_ = 0;
  std::string problem_;  // the first failure, as it is reported
  bool committed_ = false;
};

// The file `file`'s chain of symbolic links ends at (itself when it is none), relative links
// taken from their own folder; `error` set (ELOOP, ...) when the chain cannot be followed.
std::filesystem::path resolveLinks(const std::filesystem::path& file, int* error);

// How long a temporary must have been left untouched before a writer of the same target takes
// it for a killed writer's, even when the process its name records is gone: a process of another
// machine or container writing to a shared folder has a pid this one cannot see.
inline constexpr int kStaleTemporaryMinutes = 60;

// Removes what killed writers of `target` left in its folder: temporaries named by this class
// (and the names earlier versions used) whose process is gone and that have not been touched for
// kStaleTemporaryMinutes. Another live writer's temporary, and any file not named as ours, stay.
// The number removed.
int removeStaleTemporaries(const std::filesystem::path& target);

// Tests reach a full disk or a failing device through this: the Nth of the writer's system
// calls from now (creating the temporary, each write, the flush to disk, the close, the rename;
// 1 is the next) fails with `error`. 0 turns it off. callsMade() counts the calls since the
// last injectFailure, so a test can fail each step of a save in turn.
namespace test_seam {
void injectFailure(int nth, int error);
int callsMade();
}  // namespace test_seam

}  // namespace tessel::platform

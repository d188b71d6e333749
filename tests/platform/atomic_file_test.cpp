#include "platform/atomic_file.h"

#include <cerrno>
#include <fstream>
#include <set>
#include <sstream>

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/temp_config.h"

namespace tessel::platform {
namespace {

namespace fs = std::filesystem;

struct Folder : test::TempDir {
  ~Folder() { test_seam::injectFailure(0, 0); }
  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& e : fs::directory_iterator(path)) out.insert(e.path().filename().string());
    return out;
  }
};

// Written in pieces of every size around the buffer's, so some go through it and some past it.
std::string writeInPieces(AtomicFile& out) {
  std::string all;
  for (std::size_t size = 1; all.size() < (std::size_t{5} << 20); size = size * 3 + 7) {
    std::string piece(size % (std::size_t{3} << 20), static_cast<char>('a' + size % 26));
    out.write(piece);
    all += piece;
  }
  return all;
}

// Each of the writer's steps fails in turn, as a full disk would fail it: the save says why, the
// old file keeps every byte, and nothing is left beside it. Past the last step the save lands,
// whole, with the old file's permissions.
TEST(AtomicFile, EachFailingStepKeepsTheOldFileAndSaysWhy) {
  Folder dir;
  const fs::path target = dir.path / "scan.ply";
  dir.write("scan.ply", "old bytes");
  ::chmod(target.c_str(), 0640);

  test_seam::injectFailure(0, 0);
  {
    AtomicFile dry(dir.path / "dry-run");
    writeInPieces(dry);
    ASSERT_EQ(dry.commit(), "");
  }
  const int steps = test_seam::callsMade();
  ASSERT_GE(steps, 8) << "create, several writes, flush, close, rename";
  fs::remove(dir.path / "dry-run");

  for (int n = 1; n <= steps + 1; ++n) {
    test_seam::injectFailure(n, ENOSPC);
    AtomicFile out(target);
    const std::string written = writeInPieces(out);
    const std::string problem = out.commit();
    test_seam::injectFailure(0, 0);
    if (n > steps) {
      EXPECT_EQ(problem, "");
      EXPECT_TRUE(test::readFile(target) == written) << "the new file, whole";
      struct stat st {};
      ::stat(target.c_str(), &st);
      EXPECT_EQ(st.st_mode & 0777, 0640u);
    } else {
      EXPECT_EQ(problem, n == 1 ? "a new file cannot be made beside it (No space left on device)"
                                : "No space left on device")
          << "step " << n;
      EXPECT_EQ(test::readFile(target), "old bytes") << "step " << n;
    }
    EXPECT_EQ(dir.names(), std::set<std::string>{"scan.ply"}) << "step " << n;
  }
}

// A link at the target is replaced as a file would be, or with followLinks written through to
// the file it leads to, which is replaced there; a folder, or a chain of links that never ends,
// is refused before anything is written.
TEST(AtomicFile, LinksFoldersAndLoops) {
  Folder dir;
  fs::create_directory(dir.path / "real");
  dir.write("real/settings.json", "old");
  fs::create_symlink("real/settings.json", dir.path / "link.json");
  fs::create_symlink("link.json", dir.path / "link2.json");

  AtomicFile through(dir.path / "link2.json", /*followLinks=*/true);
  through.write("new");
  ASSERT_EQ(through.commit(), "");
  EXPECT_TRUE(fs::is_symlink(dir.path / "link2.json"));
  EXPECT_TRUE(fs::is_symlink(dir.path / "link.json"));
  EXPECT_EQ(test::readFile(dir.path / "real" / "settings.json"), "new");
  EXPECT_EQ(dir.names(), (std::set<std::string>{"link.json", "link2.json", "real"}));

  AtomicFile over(dir.path / "link.json");
  over.write("own");
  ASSERT_EQ(over.commit(), "");
  EXPECT_FALSE(fs::is_symlink(dir.path / "link.json"));
  EXPECT_EQ(test::readFile(dir.path / "real" / "settings.json"), "new");

  // A dangling link: the file it names is made.
  fs::create_symlink("real/later.json", dir.path / "dangling.json");
  AtomicFile made(dir.path / "dangling.json", true);
  made.write("x");
  ASSERT_EQ(made.commit(), "");
  EXPECT_EQ(test::readFile(dir.path / "real" / "later.json"), "x");

  fs::create_symlink("loop-b", dir.path / "loop-a");
  fs::create_symlink("loop-a", dir.path / "loop-b");
  AtomicFile loop(dir.path / "loop-a", true);
  loop.write("x");
  EXPECT_EQ(loop.commit(), "Too many levels of symbolic links");

  fs::create_directory(dir.path / "folder.ply");
  AtomicFile folder(dir.path / "folder.ply");
  folder.write("x");
  EXPECT_EQ(folder.commit(), "Is a directory");
  EXPECT_TRUE(fs::is_directory(dir.path / "folder.ply"));
  std::set<std::string> real;
  for (const auto& e : fs::directory_iterator(dir.path / "real"))
    real.insert(e.path().filename().string());
  EXPECT_EQ(real, (std::set<std::string>{"settings.json", "later.json"}))
      << "no temporary left where the link leads";
}

// A temporary is removed only when its name is ours for this target, its process is gone and it
// has been left untouched long enough.
TEST(AtomicFile, StaleTemporariesOfGoneWritersAreRemoved) {
  Folder dir;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(0);
  ASSERT_EQ(::waitpid(child, nullptr, 0), child);
  const std::string gone = std::to_string(child), live = std::to_string(::getppid());

  const std::string removed[] = {
      ".t.json." + gone + ".abcDE1.tmp",  // a killed save
      "t.json.tmp." + gone,               // a killed settings write of an earlier version
      ".t.saving.json",                   // a killed save of an earlier version
  };
  const std::string kept[] = {
      ".t.json." + live + ".abcDE2.tmp",      // a live writer's
      ".t.json." + gone + ".abc.tmp",         // not a name we make
      ".u.json." + gone + ".abcDE3.tmp",      // another target's
      "t.json.tmp.x" + gone,                  // not a pid
      ".t.json.0.abcDE4.tmp",                 // pid 0 is no process
  };
  const std::string fresh = ".t.json." + gone + ".abcDE5.tmp";  // gone, but touched just now
  const timespec old[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 60 * kStaleTemporaryMinutes - 5, 0}};
  for (const auto& names : {std::vector<std::string>(std::begin(removed), std::end(removed)),
                            std::vector<std::string>(std::begin(kept), std::end(kept))})
    for (const auto& name : names) {
      dir.write(name, "x");
      ASSERT_EQ(::utimensat(AT_FDCWD, (dir.path / name).c_str(), old, 0), 0);
    }
  dir.write(fresh, "x");
  // A link is never ours to remove, whatever its name.
  const std::string link = ".t.json." + gone + ".abcDE6.tmp";
  fs::create_symlink("t.json", dir.path / link);
  ::utimensat(AT_FDCWD, (dir.path / link).c_str(), old, AT_SYMLINK_NOFOLLOW);

  AtomicFile out(dir.path / "t.json");
  out.write("{}");
  ASSERT_EQ(out.commit(), "");
  std::set<std::string> expected(std::begin(kept), std::end(kept));
  expected.insert({fresh, link, "t.json"});
  EXPECT_EQ(dir.names(), expected);
}

}  // namespace
}  // namespace tessel::platform

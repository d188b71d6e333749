#include "platform/CRegistry.h"
#include "platform/settings_store.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/temp_config.h"

namespace tessel::platform {
namespace {

// Each test's settings go in a folder of its own, never the user's.
class SettingsFile : public ::testing::Test {
 protected:
  test::TempConfig config;
};

TEST_F(SettingsFile, MissingFileReadsAsEmptyAndWritesKeepOtherKeysAndLeaveNoTemporaries) {
  SettingsStore store(userSettingsPath());
  EXPECT_FALSE(store.read("a", "x"));
  EXPECT_EQ(userSettingsPath(), config.dir / "tessel" / "registry.json");
  ASSERT_TRUE(store.write("a", "x", 1));
  ASSERT_TRUE(store.write("b", "y", true));
  ASSERT_TRUE(store.write("a", "z", 2.5));
  EXPECT_EQ(store.read("a", "x")->get<int>(), 1);
  EXPECT_EQ(store.read("b", "y")->get<bool>(), true);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(userSettingsPath().parent_path()),
                          {}),
            1);
}

// A write replaces the file by renaming a finished one over it, so the old file is never
// truncated: whoever holds it (here a second link, as a reader or a crash mid-write would) keeps
// it whole.
TEST_F(SettingsFile, AWriteNeverTouchesTheOldFile) {
  const auto file = userSettingsPath();
  SettingsStore store(file);
  ASSERT_TRUE(store.write("k", "v", 1));
  const std::string before = test::readFile(file);
  const auto held = config.dir / "held.json";
  std::filesystem::create_hard_link(file, held);
  ASSERT_TRUE(store.write("k", "v", 2));
  EXPECT_EQ(test::readFile(held), before);
  EXPECT_EQ(store.read("k", "v")->get<int>(), 2);
}

// A settings file linked from a dotfiles folder stays linked: writes land in the file the link
// leads to, and a corrupt one there is moved aside there, the link kept for the next write.
TEST_F(SettingsFile, ALinkedFileIsWrittenThroughItsLink) {
  const auto file = userSettingsPath();
  const auto real = config.dir / "dotfiles" / "tessel.json";
  std::filesystem::create_directories(file.parent_path());
  std::filesystem::create_directories(real.parent_path());
  std::filesystem::create_symlink("../dotfiles/tessel.json", file);
  SettingsStore store(file);
  ASSERT_TRUE(store.write("k", "a", 1));
  ASSERT_TRUE(store.write("k", "b", 2));
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_EQ(nlohmann::json::parse(test::readFile(real)), (nlohmann::json{{"k", {{"a", 1}, {"b", 2}}}}));

  std::ofstream(real) << "{ broken";
  testing::internal::CaptureStderr();
  EXPECT_FALSE(store.read("k", "a"));
  testing::internal::GetCapturedStderr();
  ASSERT_TRUE(store.write("k", "c", 3));
  EXPECT_TRUE(std::filesystem::is_symlink(file));
  EXPECT_EQ(test::readFile(config.dir / "dotfiles" / "tessel.json.corrupt"), "{ broken");
  EXPECT_EQ(nlohmann::json::parse(test::readFile(real)), (nlohmann::json{{"k", {{"c", 3}}}}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(real.parent_path()), {}), 2)
      << "no temporary left beside the real file";
}

TEST_F(SettingsFile, AWriteThatCannotLandFailsAndKeepsTheOldFile) {
  // The temporary is written, but the rename over a folder (which the read could not move aside
  // either) fails: not saved, and nothing left over.
  const auto folder = config.dir / "folder.json";
  std::filesystem::create_directories(folder / "inside");
  std::filesystem::create_directories(config.dir / "folder.json.corrupt" / "inside");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(SettingsStore(folder).write("k", "v", 1));
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(std::filesystem::is_directory(folder / "inside"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(config.dir), {}), 2);
}

// Every kind of file we cannot take is moved aside under a name of its own, said once, and the
// next write starts a fresh file; earlier copies are never replaced.
TEST_F(SettingsFile, EachCorruptFileIsKeptUnderItsOwnName) {
  const auto file = userSettingsPath();
  std::filesystem::create_directories(file.parent_path());
  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  const std::string huge = "{\"k\": \"" + std::string(SettingsStore::kMaxBytes, 'x') + "\"}";
  const struct {
    std::string text, problem;
  } cases[] = {
      {"{ \"k\": { \"v\": 1 ", "is not valid JSON"},
      {"{\"k\": " + deep + "}", "nests values deeper than 32 levels"},
      {"[1, 2]", "does not hold a JSON object"},
      {huge, "is larger than 4 MB"},
  };
  SettingsStore store(file);
  int n = 0;
  for (const auto& c : cases) {
    std::ofstream(file) << c.text;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(store.read("k", "v"));
    EXPECT_FALSE(store.read("k", "w"));
    auto aside = file;
    aside += ++n == 1 ? std::string(".corrupt") : ".corrupt." + std::to_string(n);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "tessel: settings file " + file.string() + " " + c.problem + "; kept as " +
                  aside.string() + ", using defaults\n");
    EXPECT_EQ(test::readFile(aside), c.text);
    ASSERT_TRUE(store.write("k", "v", n));
  }
  EXPECT_EQ(store.read("k", "v")->get<int>(), n);
}

// A file that cannot be moved aside stays as it is: said once however often it is read, and
// never written over.
TEST_F(SettingsFile, AFileThatCannotBeMovedAsideIsNeitherUsedNorReplaced) {
  // Not valid JSON, readable, and in a folder where nothing can be renamed or created.
  SettingsStore store("/proc/self/status");
  testing::internal::CaptureStderr();
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(store.read("k", "v"));
  EXPECT_FALSE(store.write("k", "v", 1));
  EXPECT_FALSE(store.write("k", "v", 2));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("tessel: settings file /proc/self/status is not valid JSON and could not be "
                      "moved aside (", 0),
            0u)
      << err;
  EXPECT_NE(err.find("); using defaults, and leaving the file as it is\n"
                     "tessel: settings cannot be saved to /proc/self/status: the file there is "
                     "unreadable and is not written over. Nothing was lost"),
            std::string::npos)
      << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
}

// A FIFO at the settings file's name would block the first read forever: it is neither read nor
// replaced, and the user is told once.
TEST_F(SettingsFile, AFifoInPlaceOfTheFileIsLeftAlone) {
  const auto file = config.dir / "registry.json";
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  SettingsStore store(file);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(store.read("k", "v"));
  EXPECT_FALSE(store.write("k", "v", 1));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err.rfind("tessel: settings file " + file.string() + " is not a regular file; using "
                      "defaults, and leaving the file as it is\n", 0),
            0u)
      << err;
  EXPECT_TRUE(std::filesystem::is_fifo(file));
}

TEST_F(SettingsFile, ASaveThatFailsSaysWhyOnce) {
  std::ofstream(config.dir / "not-a-folder") << "x";
  SettingsStore store(config.dir / "not-a-folder" / "registry.json");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(store.write("k", "v", 1));
  EXPECT_FALSE(store.write("k", "w", 2));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "tessel: settings cannot be saved to " + store.file().string() +
                ": the folder cannot be created (Not a directory). Nothing was lost: the file "
                "keeps what it held; changes from now on are not saved until this is mended.\n");
  EXPECT_EQ(test::readFile(config.dir / "not-a-folder"), "x");
}

// Processes writing their own keys at the same time each find theirs in the file afterwards.
TEST_F(SettingsFile, ConcurrentWritersKeepEachOthersKeys) {
  const auto file = userSettingsPath();
  constexpr int kWriters = 4, kWrites = 40;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      SettingsStore mine(file);
      bool ok = true;
      for (int i = 0; i < kWrites; ++i) ok &= mine.write("k", "writer " + std::to_string(w), i);
      ::_exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  SettingsStore store(file);
  for (int w = 0; w < kWriters; ++w)
    EXPECT_EQ(store.read("k", "writer " + std::to_string(w)), nlohmann::json(kWrites - 1)) << w;
}

// The settings fuzzer starts from these seeds: each must be a file the reader takes as it is.
TEST_F(SettingsFile, FuzzSeedsAreReadNotMovedAside) {
  const auto file = userSettingsPath();
  std::filesystem::create_directories(file.parent_path());
  int n = 0;
  const auto seeds = std::filesystem::path(TESSEL_FUZZ_CORPUS) / "settings";
  for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
    std::filesystem::copy_file(entry.path(), file,
                               std::filesystem::copy_options::overwrite_existing);
    SettingsStore store(file);
    testing::internal::CaptureStderr();
    (void)store.read("software\\Tessel", "value");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << entry.path();
    EXPECT_TRUE(std::filesystem::exists(file)) << entry.path();
    ++n;
  }
  EXPECT_GE(n, 3);
}

TEST(CRegistry, TypedReadsRefuseOtherTypesAndEmptyKeys) {
  test::TempConfig config;
  CRegistry reg(HKEY::CurrentUser);
  EXPECT_EQ(reg.CreateKey("", 1, KEY_ALL_ACCESS), 0);
  int i = 5;
  EXPECT_EQ(reg.Write("n", 3), 0);
  ASSERT_NE(reg.CreateKey("software\\T", 1, KEY_ALL_ACCESS), 0);
  ASSERT_NE(reg.Write("n", 3), 0);
  bool b = false;
  EXPECT_EQ(reg.Read("n", b), 0);
  EXPECT_NE(reg.Read("n", i), 0);
  EXPECT_EQ(i, 3);
  ASSERT_NE(reg.Write("flag", true), 0);
  EXPECT_EQ(reg.Read("flag", i), 0) << "a switch is not a number";
  ASSERT_TRUE(SettingsStore(userSettingsPath()).write("software\\T", "real", 2.5));
  EXPECT_EQ(reg.Read("real", i), 0) << "a fraction is not a whole number";
  EXPECT_EQ(i, 3);
  EXPECT_EQ(reg.Read("absent", i), 0);
}

}  // namespace
}  // namespace tessel::platform

#include "platform/CRegistry.h"
#include "platform/settings_store.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/temp_config.h"

namespace tessel::platform {
namespace {

std::string slurp(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(SettingsStore, MissingFileReadsAsEmptyAndFirstWriteCreatesIt) {
  test::TempConfig config;
  SettingsStore store(userSettingsPath());
  EXPECT_FALSE(store.read("k", "v"));
  ASSERT_TRUE(store.write("k", "v", 7));
  EXPECT_EQ(store.read("k", "v")->get<int>(), 7);
  EXPECT_EQ(userSettingsPath(), config.dir / "tessel" / "registry.json");
}

TEST(SettingsStore, CorruptFileIsKeptAsideNotOverwritten) {
  test::TempConfig config;
  const auto file = userSettingsPath();
  std::filesystem::create_directories(file.parent_path());
  // Text that does not parse, and JSON of the wrong shape: settings are an object of keys.
  for (const std::string text : {"{ \"k\": { \"v\": 1 ", "[1, 2, 3]", "7"}) {
    std::ofstream(file) << text;
    SettingsStore store(file);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(store.read("k", "v")) << text;
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("unreadable"), std::string::npos) << text;
    auto aside = file;
    aside += ".corrupt";
    EXPECT_EQ(slurp(aside), text);
    // Reported once: the next read finds no file and says nothing.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(store.read("k", "v"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(store.write("k", "v", 2)) << text;
    EXPECT_EQ(store.read("k", "v")->get<int>(), 2);
    std::filesystem::remove(file);
  }
}

TEST(SettingsStore, WritesKeepOtherKeysAndLeaveNoTemporaries) {
  test::TempConfig config;
  SettingsStore store(userSettingsPath());
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
TEST(SettingsStore, AWriteNeverTouchesTheOldFile) {
  test::TempConfig config;
  const auto file = userSettingsPath();
  SettingsStore store(file);
  ASSERT_TRUE(store.write("k", "v", 1));
  const std::string before = slurp(file);
  const auto held = config.dir / "held.json";
  std::filesystem::create_hard_link(file, held);
  ASSERT_TRUE(store.write("k", "v", 2));
  EXPECT_EQ(slurp(held), before);
  EXPECT_EQ(store.read("k", "v")->get<int>(), 2);
}

TEST(SettingsStore, AWriteThatCannotLandFailsAndKeepsTheOldFile) {
  test::TempConfig config;
  SettingsStore store(config.dir / "missing-parent-is-a-file" / "registry.json");
  std::ofstream(config.dir / "missing-parent-is-a-file") << "x";
  EXPECT_FALSE(store.write("k", "v", 1));
  // The temporary is written, but the rename over a folder (which the read could not move aside
  // either) fails: not saved, and nothing left over.
  const auto folder = config.dir / "folder.json";
  std::filesystem::create_directories(folder / "inside");
  std::filesystem::create_directories(config.dir / "folder.json.corrupt" / "inside");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(SettingsStore(folder).write("k", "v", 1));
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(std::filesystem::is_directory(folder / "inside"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(config.dir), {}), 3);
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

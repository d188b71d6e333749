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
  std::ofstream(file) << "{ \"k\": { \"v\": 1 ";  // truncated
  SettingsStore store(file);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(store.read("k", "v"));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("unreadable"), std::string::npos);
  auto aside = file;
  aside += ".corrupt";
  EXPECT_EQ(slurp(aside), "{ \"k\": { \"v\": 1 ");
  // Reported once: the next read finds no file and says nothing.
  testing::internal::CaptureStderr();
  EXPECT_FALSE(store.read("k", "v"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_TRUE(store.write("k", "v", 2));
  EXPECT_EQ(store.read("k", "v")->get<int>(), 2);
}

TEST(SettingsStore, WritesKeepOtherKeysAndLeaveNoTemporaries) {
  test::TempConfig config;
  SettingsStore store(userSettingsPath());
  ASSERT_TRUE(store.write("a", "x", 1));
  ASSERT_TRUE(store.write("b", "y", true));
  ASSERT_TRUE(store.write("a", "z", 2.5));
  EXPECT_EQ(store.read("a", "x")->get<int>(), 1);
  EXPECT_EQ(store.read("b", "y")->get<bool>(), true);
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(userSettingsPath().parent_path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST(SettingsStore, UnwritableFolderFailsAndKeepsTheOldFile) {
  test::TempConfig config;
  SettingsStore store(config.dir / "missing-parent-is-a-file" / "registry.json");
  std::ofstream(config.dir / "missing-parent-is-a-file") << "x";
  EXPECT_FALSE(store.write("k", "v", 1));
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
  EXPECT_EQ(reg.Read("absent", i), 0);
}

}  // namespace
}  // namespace tessel::platform

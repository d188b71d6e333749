// When a panel's edited values reach the settings file: on a flush (once edits settle) or when
// the panel goes, never with each edit; a write that fails keeps them for the next flush.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>

#include "platform/host_services.h"
#include "platform/omPAT_Int.h"
#include "platform/omPropertyObj.h"
#include "platform/settings_store.h"
#include "tests/temp_config.h"

namespace tessel::platform {
namespace {

struct Panel : omPropertyObj {
  Panel() : omPropertyObj("Probe") {
    AddAttrib(new omPAT_Int("Size", 1, 0, 100, 1, 0));
    AddAttrib(new omPAT_Int("Count", 1, 0, 100, 1, 0));
    SetProfilePath("panels");
  }
  void Activate() override {}
};

std::optional<nlohmann::json> stored(const char* name) {
  const std::string key = std::string("software\\") + AfxGetApp()->m_pszRegistryKey + "\\" +
                          AfxGetApp()->m_pszProfileName + "\\panels\\Probe";
  return SettingsStore(userSettingsPath()).read(key, name);
}

TEST(PanelSettings, EditsWaitForAFlushAndAFailedWriteIsTriedAgain) {
  test::TempConfig config;
  const auto file = userSettingsPath();
  Panel panel;
  ASSERT_EQ(panel.EditAttrib(0, "7"), EditResult::Ok);
  ASSERT_EQ(panel.EditAttrib(1, "9"), EditResult::Ok);
  ASSERT_EQ(panel.EditAttrib(0, "8"), EditResult::Ok);
  EXPECT_FALSE(std::filesystem::exists(file)) << "an edit wrote the file";
  ASSERT_TRUE(panel.flushSettings());
  EXPECT_EQ(stored("Size"), nlohmann::json(8));
  EXPECT_EQ(stored("Count"), nlohmann::json(9));
  EXPECT_FALSE(panel.hasUnsavedSettings());

  // A file in the way of the write: the flush fails and the value stays unsaved.
  std::filesystem::remove(file);
  std::filesystem::create_directories(file);
  ASSERT_EQ(panel.EditAttrib(1, "3"), EditResult::Ok);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(panel.flushSettings());
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(panel.hasUnsavedSettings());
  std::filesystem::remove(file);
  ASSERT_TRUE(panel.flushSettings());
  EXPECT_EQ(stored("Count"), nlohmann::json(3));

  // Nothing edited since: a flush leaves the file alone.
  std::filesystem::remove(file);
  ASSERT_TRUE(panel.flushSettings());
  EXPECT_FALSE(std::filesystem::exists(file));
}

// Two panels of one settings key, as two Studio processes hold them: each saves the value it
// changed and leaves the other's alone.
TEST(PanelSettings, PanelsSaveOnlyTheValuesTheyChanged) {
  test::TempConfig config;
  auto first = std::make_unique<Panel>();
  auto second = std::make_unique<Panel>();
  ASSERT_EQ(first->EditAttrib(0, "7"), EditResult::Ok);
  ASSERT_EQ(second->EditAttrib(1, "9"), EditResult::Ok);
  first.reset();
  second.reset();
  Panel reloaded;
  EXPECT_STREQ(reloaded.GetAttrib(0).GetValueText(), "7");
  EXPECT_STREQ(reloaded.GetAttrib(1).GetValueText(), "9");
}

}  // namespace
}  // namespace tessel::platform

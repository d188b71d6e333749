// Studio's preferences in the settings file: kept beside the other settings, read back with each
// unusable value named and left at its default, and taken by the host at once.
#include "studio/host/preferences.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

using studio::Preferences;

std::string bytesOf(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(PreferencesFile, KeptBesideTheOtherSettingsAndReadBack) {
  TempDir dir;
  const auto file = dir.write("registry.json", R"({"software\\Tessel\\Studio\\Window":
      {"Recent files": ["a.ply"]}, "software\\Tessel\\Studio": {"Module value": 7}})");
  std::vector<std::string> problems;
  EXPECT_TRUE(studio::readPreferences(dir.path / "none.json", &problems) == Preferences{});
  EXPECT_TRUE(studio::readPreferences(file, &problems) == Preferences{}) << "none stored yet";
  EXPECT_TRUE(problems.empty());

  Preferences p;
  p.navigation = studio::Navigation::MiddleButtonOrbits;
  p.wheelTowardsCursor = false;
  p.historyMB = 64;
  p.movingFrameMs = 120;
  p.colours.background = {1, 2, 3};
  p.colours.selectedObject = {250, 251, 252};
  p.colours.selection = {0, 128, 255};
  ASSERT_TRUE(studio::writePreferences(file, p));
  EXPECT_TRUE(studio::readPreferences(file, &problems) == p);
  EXPECT_TRUE(problems.empty());
  const auto root = nlohmann::json::parse(bytesOf(file));
  EXPECT_EQ(root["software\\Tessel\\Studio\\Window"]["Recent files"][0], "a.ply");
  EXPECT_EQ(root["software\\Tessel\\Studio"]["Module value"], 7);
  EXPECT_EQ(root["software\\Tessel\\Studio"]["Background colour"], "#010203");
}

TEST(PreferencesFile, UnusableValuesAreNamedAndLeftAtTheirDefaultsAndTheFileAlone) {
  TempDir dir;
  const auto file = dir.write("registry.json", R"({"software\\Tessel\\Studio": {
      "Navigation": "sideways", "Wheel zooms to cursor": "yes", "History MB": 0,
      "Background colour": "#12345", "Selected object colour": 7,
      "Selection colour": "#A0b0C0"}})");
  const std::string before = bytesOf(file);
  std::vector<std::string> problems;
  const Preferences p = studio::readPreferences(file, &problems);
  Preferences expected;
  expected.colours.selection = {0xa0, 0xb0, 0xc0};
  EXPECT_TRUE(p == expected) << "the one good value is taken";
  ASSERT_EQ(problems.size(), 5u);
  EXPECT_EQ(problems[0],
            "\"Navigation\" in the settings must be \"tessel\" or \"middle\"; the default stays");
  EXPECT_EQ(problems[2], "\"History MB\" in the settings must be a whole number of megabytes "
                         "from 1 to 1048576; the default stays");
  EXPECT_EQ(bytesOf(file), before) << "reading never writes";
}

TEST(PreferenceText, ABadValueIsRefusedWithWhatItMustBeAndChangesNothing) {
  Preferences p;
  for (const char* bad : {"0", "1048577", "-5", "+5", " 5", "5x", "", "99999999999999999999"})
    EXPECT_EQ(studio::setPreference(p, "history-mb", bad),
              "preference history-mb must be a whole number of megabytes from 1 to 1048576")
        << bad;
  for (const char* bad : {"#12345", "#1234567", "red", "#12g456", "##12345", "1234567"})
    EXPECT_NE(studio::setPreference(p, "background", bad), "") << bad;
  EXPECT_NE(studio::setPreference(p, "wheel-to-cursor", "true"), "");
  EXPECT_TRUE(p == Preferences{});
  EXPECT_EQ(studio::setPreference(p, "speed", "1"),
            "no preference \"speed\"; there are navigation, wheel-to-cursor, history-mb, "
            "moving-frame-ms, background, object-colour, selection-colour");
  EXPECT_NE(studio::setPreference(p, "moving-frame-ms", "9"), "");
  EXPECT_NE(studio::setPreference(p, "moving-frame-ms", "1001"), "");
  EXPECT_EQ(studio::setPreference(p, "history-mb", "1048576"), "");
  EXPECT_EQ(studio::setPreference(p, "object-colour", "#FFfF00"), "");
  EXPECT_EQ(studio::preferenceText(p, "object-colour"), "#ffff00");
}

class HostPreferences : public StudioFixture {
 protected:
  void SetUp() override { start(TESSEL_MODULE_PATH); }
  std::filesystem::path settings() const { return config.dir / "tessel" / "registry.json"; }
  // The colour of the active view's corner pixel, drawn now.
  studio::Rgb corner() {
    host->drawView(0);
    const auto px = host->renderer().readPixels(host->views().active().rect);
    return {px[4], px[5], px[6]};
  }
};

TEST_F(HostPreferences, LoadedOnesAreTakenAndTheVerbKeepsWhatItSets) {
  // Set before any settings file is known, a preference holds for the run and writes nothing.
  ASSERT_EQ(run("preference background 102030\n"), "");
  EXPECT_EQ(corner(), (studio::Rgb{0x10, 0x20, 0x30}));
  EXPECT_EQ(bytesOf(settings()).find("colour"), std::string::npos);

  std::filesystem::create_directories(settings().parent_path());
  std::ofstream(settings()) << R"({"software\\Tessel\\Studio": {"History MB": 2,
      "Navigation": "middle", "Background colour": "dark"}})";
  host->loadPreferences(settings());
  EXPECT_TRUE(has(take(), "warning: \"Background colour\" in the settings must be a colour as "
                          "#rrggbb or rrggbb; the default stays"));
  EXPECT_EQ(corner(), Preferences{}.colours.background);
  ASSERT_EQ(run("print history\nprint preferences\n"), "");
  auto lines = take();
  EXPECT_TRUE(has(lines, " of 2.00 MB"));
  EXPECT_TRUE(hasLine(lines, "preference navigation middle"));

  ASSERT_EQ(run("preference history-mb 3\npreference moving-frame-ms 30\n"), "");
  EXPECT_DOUBLE_EQ(host->renderer().movingFrameSeconds(), 0.03) << "the renderer aims at it";
  std::vector<std::string> problems;
  EXPECT_EQ(studio::readPreferences(settings(), &problems).historyMB, 3u);
  EXPECT_TRUE(problems.empty()) << "the unusable colour was written over by a good one";
  EXPECT_EQ(run("preference history-mb lots\n"),
            "error: test:1: preference history-mb must be a whole number of megabytes from 1 "
            "to 1048576\n");
  // Edit > Preferences without a window prints them.
  ASSERT_EQ(run("id 33894\n"), "");
  EXPECT_TRUE(hasLine(take(), "preference history-mb 3"));
}

}  // namespace
}  // namespace tessel::test

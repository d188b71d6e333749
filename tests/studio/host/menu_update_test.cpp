// Studio's menu update pass: the module's items show their tools' check marks and availability,
// the filter submenus are rebuilt from the lists, and an item is enabled without an update
// handler only when choosing it would run something.
#include "studio/host/menu_update.h"

#include <gtest/gtest.h>

#include "studio/host/menu_item.h"
#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class MenuUpdate : public StudioFixture {
 protected:
  void SetUp() override { start(TESSEL_MODULE_PATH); }
  std::vector<std::string> menu() {
    take();
    return output("print menu\n");
  }
  // The lines of the popup whose header is `title`, up to the next line as shallow as it.
  static std::vector<std::string> popup(const std::vector<std::string>& lines,
                                        const std::string& title) {
    auto depth = [&](std::size_t i) {
      return std::min(lines[i].find_first_not_of(' '), lines[i].size());
    };
    std::vector<std::string> items;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].substr(depth(i)) != title) continue;
      for (std::size_t k = i + 1; k < lines.size() && depth(k) > depth(i); ++k)
        items.push_back(lines[k].substr(depth(k)));
      break;
    }
    return items;
  }
};

TEST_F(MenuUpdate, ChecksFollowTheCurrentToolAndTheFilters) {
  auto lines = menu();
  EXPECT_TRUE(has(lines, "&Object  [33825] checked"));
  EXPECT_TRUE(has(lines, "&Single View  [57857] checked")) << "Studio's own items take part";
  EXPECT_EQ(popup(lines, "O&bject Filter"),
            (std::vector<std::string>{"&1 Mesh  [33771] checked", "&2 Coord Sys  [33772]",
                                      "&3 Lights  [33773]"}));
  EXPECT_EQ(run("tool Tumble\nid 33773\nid 33794\n"), "");
  lines = menu();
  EXPECT_TRUE(has(lines, "&Tumble  [34022] checked"));
  EXPECT_FALSE(has(lines, "&Object  [33825] checked"));
  EXPECT_EQ(popup(lines, "O&bject Filter"),
            (std::vector<std::string>{"&1 Mesh  [33771]", "&2 Coord Sys  [33772]",
                                      "&3 Lights  [33773] checked"}));
  EXPECT_STREQ(host->GetObjectFilter()->GetCurrentName(), "Lights");
  // Lights have no components: the component submenu says so, once.
  EXPECT_EQ(popup(lines, "Component Fil&ter"),
            (std::vector<std::string>{"No Masks Available  [33791] disabled"}));
}

TEST_F(MenuUpdate, ItemsNobodyHandlesAreDisabledAndRepeatedPassesBuildNothingTwice) {
  auto lines = menu();
  // A command the module handles without an update handler of its own stays enabled.
  EXPECT_TRUE(has(lines, "&Create Coord Sys  [33835]"));
  EXPECT_FALSE(has(lines, "[33835] disabled"));
  EXPECT_TRUE(has(lines, "&View All  [33814]"));
  EXPECT_FALSE(has(lines, "&View All  [33814] disabled"));
  const int live = studio::MenuItem::live();
  EXPECT_EQ(menu(), lines);
  EXPECT_EQ(studio::MenuItem::live(), live) << "rebuilt popups release what they replace";
}

// The module's View items a frame answers (panes, toolbars), its File and Edit marks merged away,
// and commands disabled while their CanExecute refuses; a refusal is a warning until the next
// action.
TEST_F(MenuUpdate, StudioAnswersPanesToolbarsAndWhatCannotRunNow) {
  auto lines = menu();
  EXPECT_FALSE(has(lines, "[34018]")) << "the module's File item is where Studio's File goes";
  EXPECT_FALSE(has(lines, "[65535]"));
  EXPECT_EQ(popup(lines, "Show T&oolbars"),
            (std::vector<std::string>{"Select  [58128] checked", "Zoom  [58129] checked",
                                      "Orient  [58130] checked", "Camera  [58131]",
                                      "Light  [58132]", "-", "&All  [33020]", "&None  [33021]"}));
  EXPECT_TRUE(has(lines, "Show &Hierarchy Tree  [33843]"));
  EXPECT_FALSE(has(lines, "[33843] checked"));
  EXPECT_TRUE(has(lines, "Show Prop&erties Sheet  [33844] checked"));

  ASSERT_EQ(run("id 58131\nid 33843\nid 33844\n"), "");
  lines = menu();
  EXPECT_TRUE(has(lines, "Camera  [58131] checked"));
  EXPECT_TRUE(host->frame().toolbars()[3]->IsWindowVisible());
  EXPECT_TRUE(has(lines, "Show &Hierarchy Tree  [33843] checked"));
  EXPECT_TRUE(has(lines, "Show Prop&erties Sheet  [33844]"));
  EXPECT_FALSE(has(lines, "[33844] checked"));
  // A panel shown is shown in its pane.
  ASSERT_EQ(run("panel 34025\n"), "");
  EXPECT_TRUE(host->frame().paneShown(studio::Pane::Properties));
  ASSERT_EQ(run("id 33021\n"), "");
  for (platform::CToolBar* bar : host->frame().toolbars()) EXPECT_FALSE(bar->IsWindowVisible());
  ASSERT_EQ(run("id 33020\n"), "");
  for (platform::CToolBar* bar : host->frame().toolbars()) EXPECT_TRUE(bar->IsWindowVisible());
  ASSERT_EQ(run("id 58128\n"), "");
  EXPECT_FALSE(host->frame().toolbars()[0]->IsWindowVisible()) << "a toolbar's item toggles it";

  // Invert needs component mode, Cycle two selected objects: the module enables both regardless.
  lines = menu();
  EXPECT_TRUE(has(lines, "&Invert  [33832] disabled"));
  EXPECT_TRUE(has(lines, "C&ycle  [33833] disabled"));
  ASSERT_EQ(openSquare("a"), "");
  ASSERT_EQ(openSquare("b"), "");
  ASSERT_EQ(run("command \"Select All\"\n"), "");
  EXPECT_FALSE(has(menu(), "C&ycle  [33833] disabled"));
  ASSERT_EQ(run("mode component\n"), "");
  EXPECT_FALSE(has(menu(), "&Invert  [33832] disabled"));

  // Run anyway (an accelerator, a stale menu), the refusal is shown, and goes at the next action.
  ASSERT_EQ(run("expect-refusal id 33833\n"), "");
  EXPECT_EQ(host->panels().warning(), "command \"Cycle Selection\" cannot run now");
  ASSERT_EQ(run("id 33830\n"), "");
  EXPECT_EQ(host->panels().warning(), "");
}

TEST_F(MenuUpdate, APassWithoutAModuleDisablesItsItemsAndKeepsStudiosOwn) {
  studio::MenuItem* root = studio::MenuItem::create("&Tools", 0);
  root->AddRef();
  root->AppendItem(studio::MenuItem::create("&Mine", 7));
  root->AppendItem(studio::MenuItem::create("&Theirs", 33825));
  root->AppendItem(studio::MenuItem::create("", 0));
  studio::updateMenu(*root, nullptr, [](std::uint32_t id, platform::CCmdUI& ui) {
    if (id != 7) return false;
    ui.SetCheck(1);
    return true;
  });
  std::vector<std::string> lines;
  studio::describeMenu(root, 0, lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"&Tools", "  &Mine  [7] checked",
                                             "  &Theirs  [33825] disabled", "  -"}));
  root->Release();
}

}  // namespace
}  // namespace tessel::test

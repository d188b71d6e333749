// The filters through the loaded module: the lists it fills for each kind of document and each
// object kind, the toolbar combos (refilled when the host says so, the keyboard handed back to
// the views after a pick), and the submenus rebuilt from the host's lists at each update pass,
// numbered, the current entry checked, capped to their ID ranges; their commands pick entries.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "host/om_codes.h"
#include "platform/CCJToolBar.h"
#include "platform/CComboBox.h"
#include "tests/host/fake_host.h"
#include "tests/temp_config.h"

namespace tessel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t kObjectMenu = 33771, kComponentMenu = 33791;

struct FilterMenus : ::testing::Test {
  TempConfig config;
  LoadedModule module{TESSEL_MODULE_PATH};
  FakeHost host;
  void SetUp() override {
    ASSERT_TRUE(module.start(host));
    // A mesh document: the module fills both lists from its tables.
    host.filterMode = 1;
    omEvent kindChanged{om::kEventDocumentKindChanged}, listChanged{om::kEventFilterListChanged};
    module->OnNotify(&kindChanged, nullptr);
    module->OnNotify(&listChanged, &host.objectFilter);
  }

  // The popup as the module left it: "text[id]" with " checked" on the checked items.
  std::vector<std::string> popup(std::uint32_t id) {
    FakeCmdUI ui(id);
    ui.popup = {{id, "No Filters Available", false}};
    EXPECT_TRUE(host.update(module.get(), ui));
    std::vector<std::string> items;
    for (const auto& item : ui.popup)
      items.push_back(item.text + "[" + std::to_string(item.id) + "]" +
                      (item.checked ? " checked" : ""));
    EXPECT_EQ(ui.itemCount, static_cast<std::int32_t>(ui.popup.size()))
        << "the update pass must be told how many items it need not visit";
    return items;
  }
  bool choose(std::uint32_t id) { return host.click(module.get(), id); }
  // The combo of the "Select" toolbar over that placeholder ID.
  platform::CComboBox& combo(std::uint32_t id) {
    auto* select = static_cast<platform::CCJToolBar*>(host.toolbars.at(0));
    return *select->GetControlAt(id)->AsComboBox();
  }
};

// "Name mask", the current entry starred.
std::vector<std::string> listed(studio::MaskList& list) {
  std::vector<std::string> out;
  const char* name = nullptr;
  std::uint32_t mask = 0;
  for (std::int32_t i = 0; list.GetEntry(i, &name, &mask); ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "%s %#x%s", name, mask,
                  std::string(name) == list.GetCurrentName() ? "*" : "");
    out.push_back(line);
  }
  return out;
}

// [SECTION] the lists

TEST_F(FilterMenus, EveryDocumentKindGetsItsObjectKinds) {
  const std::vector<std::vector<std::string>> rows = {
      {"Point Cloud 0x1000000*", "Coord Sys 0x8000000"},
      {"Mesh 0x80000*", "Coord Sys 0x8000000", "Lights 0x4000000"},
      {"Curve 0x100000*", "Coord Sys 0x8000000", "Lights 0x4000000"},
      {"Spring 0x200000*", "Lights 0x4000000"},
      {"Surface 0x800000*", "Lights 0x4000000"},
      {"Solid 0x2000000*", "Coord Sys 0x8000000", "Lights 0x4000000"},
      {"Point Cloud 0x1000000*", "Solid 0x2000000", "Coord Sys 0x8000000", "Lights 0x4000000"},
      {"Mesh 0x80000*", "Curve 0x100000"},
      {"Spring 0x200000", "Curve 0x100000*"},
      {"Surface 0x800000*", "Curve 0x100000"},
  };
  omEvent kindChanged{om::kEventDocumentKindChanged};
  for (std::int32_t mode = 0; mode < 10; ++mode) {
    host.filterMode = mode;
    host.takeLog();
    module->OnNotify(&kindChanged, nullptr);
    EXPECT_EQ(listed(host.objectFilter), rows[static_cast<std::size_t>(mode)]) << "mode " << mode;
    EXPECT_THAT(host.takeLog(), ElementsAre("object mode 1")) << "mode " << mode;
  }
  // A kind the table does not know empties the list and leaves the view's mode alone.
  for (std::int32_t mode : {-1, 10}) {
    host.filterMode = mode;
    module->OnNotify(&kindChanged, nullptr);
    EXPECT_THAT(listed(host.objectFilter), IsEmpty()) << "mode " << mode;
    EXPECT_THAT(host.takeLog(), IsEmpty()) << "mode " << mode;
  }
}

TEST_F(FilterMenus, EveryObjectKindGetsItsParts) {
  const std::vector<std::pair<std::uint32_t, std::vector<std::string>>> rows = {
      {om::kMaskMesh, {"Faces 0x2*", "Holes 0x8", "Vertices 0x1", "Edges 0x4"}},
      {om::kMaskCurve, {"Curve Point 0x100*"}},
      {om::kMaskSpring,
       {"Spring Point 0x200*", "Iso Curve U 0x400", "Iso Curve V 0x800", "Iso Curve Any 0x1000",
        "Boundary 0x2000", "Section 0x4000"}},
      {om::kMaskPointCloud, {"Points 0x8000*"}},
      {om::kMaskSolid, {"Faces 0x10000*"}},
      {om::kMaskSurface, {}},
      {om::kMaskLights, {}},
  };
  omEvent changed{om::kEventFilterListChanged};
  // The tools that pick parts give way to Object Select before the parts change; others stay.
  for (const char* tool : {"Component Select", "Lasso Select", "Paint Select", "Tumble"}) {
    ASSERT_TRUE(host.ActivateTool(tool)) << tool;
    module->OnNotify(&changed, &host.objectFilter);
    EXPECT_TRUE(host.IsToolActive(tool == std::string("Tumble") ? tool : "Object Select")) << tool;
  }
  for (const auto& [mask, parts] : rows) {
    host.objectFilter.Clear();
    host.objectFilter.AddEntry("Kind", mask);
    host.objectFilter.SelectName("Kind");
    module->OnNotify(&changed, &host.objectFilter);
    EXPECT_EQ(listed(host.componentFilter), parts) << std::hex << mask;
  }
  // Only the object filter's change rebuilds the parts.
  module->OnNotify(&changed, &host.componentFilter);
  EXPECT_THAT(listed(host.componentFilter), IsEmpty());
}

// [SECTION] the combos

TEST_F(FilterMenus, ACombosRefillFollowsItsOwnListOnly) {
  // The combo holds the host's two starting parts until it is told the list changed.
  platform::CComboBox& parts = combo(34020);
  ASSERT_EQ(parts.GetCount(), 2);
  host.componentFilter.AddEntry("Extra", 0x40);
  host.componentFilter.SelectName("Extra");
  omEvent refilled{om::kEventFilterListRefilled};
  module->OnNotify(&refilled, &host.objectFilter);
  EXPECT_EQ(parts.GetCount(), 2) << "another list's refill";
  module->OnNotify(&refilled, &host.componentFilter);
  ASSERT_EQ(parts.GetCount(), 5);
  EXPECT_STREQ(parts.GetLBText(parts.GetCurSel()), "Extra");
}

TEST_F(FilterMenus, APickHandsTheKeyboardBackAndClearsASelectionItWouldStrand) {
  host.viewOn = true;
  host.selection.count = 2;
  platform::CComboBox& objects = combo(34019);
  host.takeLog();
  ASSERT_TRUE(objects.ChooseItem(2));  // Lights, with entities selected
  EXPECT_STREQ(host.objectFilter.GetCurrentName(), "Lights");
  EXPECT_THAT(host.takeLog(), ElementsAre("focus active view", "clear selection",
                                          "update manipulator 1", "refresh 1"));
  ASSERT_TRUE(objects.ChooseItem(0));  // back to Mesh: nothing selected to clear
  EXPECT_THAT(host.takeLog(), ElementsAre("focus active view"));
  // Between Mesh and Curve a selection survives.
  host.filterMode = 7;
  omEvent kindChanged{om::kEventDocumentKindChanged}, listChanged{om::kEventFilterListChanged};
  module->OnNotify(&kindChanged, nullptr);
  module->OnNotify(&listChanged, &host.objectFilter);
  host.selection.count = 2;
  host.takeLog();
  ASSERT_TRUE(objects.ChooseItem(1));
  ASSERT_TRUE(objects.ChooseItem(0));
  EXPECT_STREQ(host.objectFilter.GetCurrentName(), "Mesh");
  EXPECT_THAT(host.takeLog(), ElementsAre("focus active view", "focus active view"));
}

// [SECTION] the submenus

TEST_F(FilterMenus, ItemsAreNumberedInListOrderWithTheCurrentEntryChecked) {
  EXPECT_THAT(popup(kObjectMenu),
              ElementsAre("&1 Mesh[33771] checked", "&2 Coord Sys[33772]", "&3 Lights[33773]"));
  host.componentFilter.SelectName("Edges");
  EXPECT_THAT(popup(kComponentMenu),
              ElementsAre("&1 Faces[33791]", "&2 Holes[33792]", "&3 Vertices[33793]",
                          "&4 Edges[33794] checked"));
}

TEST_F(FilterMenus, TheTenthItemIsNumberedZeroAndEntriesPastTheRangeAreLeftOut) {
  host.componentFilter.Clear();
  for (int i = 0; i < 13; ++i)
    host.componentFilter.AddEntry(("Part " + std::to_string(i)).c_str(), 1u << i);
  host.componentFilter.SelectName("Part 11");
  const auto items = popup(kComponentMenu);
  ASSERT_EQ(items.size(), 10u) << "the component submenu owns ten IDs, 33791-33800";
  EXPECT_EQ(items[8], "&9 Part 8[33799]");
  EXPECT_EQ(items[9], "&0 Part 9[33800]");
  // The object submenu owns twenty.
  host.objectFilter.Clear();
  for (int i = 0; i < 25; ++i)
    host.objectFilter.AddEntry(("Kind " + std::to_string(i)).c_str(), 1u << i);
  const auto objects = popup(kObjectMenu);
  ASSERT_EQ(objects.size(), 20u);
  EXPECT_EQ(objects.back(), "&0 Kind 19[33790]");
  // A command for an entry beyond the list, or beyond what the menu can show, changes nothing.
  host.componentFilter.SelectName("Part 0");
  host.takeLog();
  EXPECT_TRUE(choose(33800));
  EXPECT_STREQ(host.componentFilter.GetCurrentName(), "Part 9");
  EXPECT_THAT(host.takeLog(), ElementsAre("notify: 11"));
  host.componentFilter.Clear();
  host.componentFilter.AddEntry("Faces", om::kMaskFaces);
  host.componentFilter.SelectName("Faces");
  EXPECT_TRUE(choose(33795));
  EXPECT_STREQ(host.componentFilter.GetCurrentName(), "Faces");
  EXPECT_THAT(host.takeLog(), IsEmpty()) << "no entry, so no change to announce";
  EXPECT_FALSE(choose(33801)) << "the next ID is not the submenu's";
}

TEST_F(FilterMenus, AnEmptyListLeavesOneDisabledPlaceholderAndButtonsAreLeftAlone) {
  host.componentFilter.Clear();
  FakeCmdUI ui(kComponentMenu);
  // The popup still holds the items of a list that had entries at the last pass.
  ui.popup = {{33791, "&1 Faces", true}, {33792, "&2 Holes", false}};
  EXPECT_TRUE(host.update(module.get(), ui));
  ASSERT_EQ(ui.popup.size(), 1u);
  EXPECT_EQ(ui.popup[0].text, "No Masks Available");
  EXPECT_EQ(ui.text, "No Masks Available");
  EXPECT_EQ(ui.enabled, 0);
  EXPECT_EQ(ui.checked, 0);
  EXPECT_EQ(ui.itemCount, 1);

  FakeCmdUI button(kObjectMenu, false);
  EXPECT_TRUE(host.update(module.get(), button));
  EXPECT_EQ(button.enabled, -1);
  EXPECT_TRUE(button.text.empty());
}

TEST_F(FilterMenus, ChoosingAnObjectEntrySelectsItByName) {
  host.takeLog();
  EXPECT_TRUE(choose(33773));
  EXPECT_STREQ(host.objectFilter.GetCurrentName(), "Lights");
  // Leaving Lights with entities selected brings the manipulator and the views up to date.
  host.viewOn = true;
  host.selection.count = 1;
  host.takeLog();
  EXPECT_TRUE(choose(33771));
  EXPECT_STREQ(host.objectFilter.GetCurrentName(), "Mesh");
  EXPECT_THAT(host.takeLog(), ElementsAre("update manipulator 1", "refresh 1"));
  EXPECT_TRUE(choose(33772));
  EXPECT_THAT(host.takeLog(), IsEmpty()) << "Mesh was not a kind that strands a selection";
  EXPECT_TRUE(choose(33790));
  EXPECT_STREQ(host.objectFilter.GetCurrentName(), "Coord Sys") << "past the list's entries";
}

}  // namespace
}  // namespace tessel::test

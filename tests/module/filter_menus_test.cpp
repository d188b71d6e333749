// The filter submenus through the loaded module: rebuilt from the host's lists at each update
// pass, numbered, the current entry checked, capped to their ID ranges; their commands pick
// entries.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/om_codes.h"
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
};

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
  EXPECT_TRUE(choose(33771));
  EXPECT_STREQ(host.objectFilter.GetCurrentName(), "Mesh");
  EXPECT_TRUE(choose(33790));
  EXPECT_STREQ(host.objectFilter.GetCurrentName(), "Mesh") << "past the list's entries";
}

}  // namespace
}  // namespace tessel::test

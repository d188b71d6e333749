// The module as a host sees it: loaded with dlopen, linked, initialized, driven through its
// interface and command target, terminated and released.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "host/om_codes.h"
#include "platform/CComboBox.h"
#include "platform/CToolBar.h"
#include "platform/omPropertyToolBar.h"
#include "platform/omPropertyObj.h"
#include "platform/settings_store.h"
#include "platform/version_info.h"
#include "tests/host/fake_host.h"
#include "tests/temp_config.h"

namespace tessel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::AllOf;
using ::testing::Contains;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;

constexpr char kModuleKey[] = "software\\Tessel\\Test Host\\modules\\Tessel";

struct Fixture {
  TempConfig config;
  LoadedModule module;
  FakeHost host;  // goes first: it still holds tools made by the module's code
  explicit Fixture(const char* path) : module(path) {}
  platform::SettingsStore store() const { return platform::SettingsStore(platform::userSettingsPath()); }
};

// A fixture whose module has started, as a test of what a started module does needs.
struct Started : Fixture {
  explicit Started(const char* path) : Fixture(path) { EXPECT_TRUE(module.start(host)); }
};

// Dumps a host menu as "text[id]" lines, children indented.
void dumpMenu(omMenuItem* item, int depth, std::vector<std::string>& out) {
  for (std::int32_t i = 0; i < item->GetCount(); ++i) {
    omMenuItem* child = item->GetItem(i);
    std::string line(static_cast<std::size_t>(depth) * 2, ' ');
    line += child->GetText();
    if (child->GetID()) line += "[" + std::to_string(child->GetID()) + "]";
    out.push_back(line);
    dumpMenu(child, depth + 1, out);
  }
}

// [SECTION] loading and identity

TEST(ModuleEntry, HandsOutTheInterfaceWithNameVersionAndACountOfZero) {
  Fixture f(TESSEL_MODULE_PATH);
  ASSERT_EQ(f.module.createResult(), om::kCreateOk);
  // The interface lies after the command target inside the object: two distinct addresses.
  EXPECT_NE(static_cast<void*>(f.module.get()),
            static_cast<void*>(f.module->GetCommandTarget()));
  EXPECT_EQ(f.module->AddRef(), 2);  // the loader took the first reference
  EXPECT_EQ(f.module->Release(), 1);
  EXPECT_STREQ(f.module->GetName(), "Tessel");
  EXPECT_STREQ(f.module->GetVersion(), "");  // read in Initialize, not before
  ASSERT_TRUE(f.module.start(f.host));
  EXPECT_EQ(f.module->GetHost(), &f.host);
  EXPECT_STREQ(f.module->GetVersion(), TESSEL_VERSION);
  EXPECT_THAT(f.module->GetLegalNotice(), ::testing::HasSubstr("Copyright"));
  EXPECT_STREQ(f.module->GetName(), "Tessel");
}

TEST(ModuleEntry, FileWithoutVersionBlockGivesEmptyStringsButKeepsTheName) {
  Started f(TESSEL_PROBE_PATH);
  EXPECT_STREQ(f.module->GetVersion(), "");
  EXPECT_STREQ(f.module->GetLegalNotice(), "");
  EXPECT_STREQ(f.module->GetName(), "Tessel");
}

TEST(ModuleEntry, StringTableIsReadFromTheModuleFile) {
  platform::StringTable strings;
  ASSERT_TRUE(platform::LoadStringTable(TESSEL_MODULE_PATH, strings));
  EXPECT_EQ(strings.size(), 44u);
  EXPECT_EQ(strings[33814], "View all objects\nView All");
  EXPECT_EQ(strings[34019], "\nObject Filter");
  EXPECT_FALSE(platform::LoadStringTable(TESSEL_PROBE_PATH, strings));
  EXPECT_TRUE(strings.empty());
}

TEST(ModuleEntry, LifecycleMisuseDoesNoHarm) {
  Fixture f(TESSEL_PROBE_PATH);
  f.module->Terminate();  // before Initialize
  ASSERT_TRUE(f.module.start(f.host));
  const auto factories = f.host.toolFactories.factories.size();
  EXPECT_TRUE(f.module->Initialize());  // a second call registers nothing more
  EXPECT_EQ(f.host.toolFactories.factories.size(), factories);
  EXPECT_EQ(f.host.registryCalls, 1);
  f.module->Terminate();
  f.module->Terminate();
  // Releasing a module nobody else holds must not free it twice.
  f.module->AddRef();
  EXPECT_EQ(f.module->Release(), 1);
}

TEST(ModuleEntry, InitializeWithoutHostFails) {
  TempConfig config;
  LoadedModule module(TESSEL_PROBE_PATH);
  module->SetResourceInstance(module.handle());
  EXPECT_FALSE(module->Initialize());
}

// [SECTION] the "Load module" switch

TEST(LoadSwitch, ZeroStopsInitializeBeforeAnythingIsRegistered) {
  Fixture f(TESSEL_PROBE_PATH);
  ASSERT_TRUE(f.store().write(kModuleKey, "Load module", 0));
  EXPECT_FALSE(f.module.start(f.host));
  EXPECT_EQ(f.host.registryCalls, 0);
  EXPECT_THAT(f.host.menus, IsEmpty());
  EXPECT_THAT(f.host.toolbars, IsEmpty());
  EXPECT_EQ(f.store().read(kModuleKey, "Load module"), nlohmann::json(0));  // left as the user set it
}

TEST(LoadSwitch, MissingValueProceedsAndWritesOne) {
  Fixture f(TESSEL_PROBE_PATH);
  EXPECT_FALSE(f.store().read(kModuleKey, "Load module"));
  EXPECT_TRUE(f.module.start(f.host));
  EXPECT_EQ(f.store().read(kModuleKey, "Load module"), nlohmann::json(1));
}

// A value nested 200,000 levels deep once overflowed the stack at every start-up: now the file is
// kept aside as it is, said once, and the module starts on defaults.
TEST(LoadSwitch, DeeplyNestedSettingsFileIsKeptAsideAndTheModuleLoads) {
  Fixture f(TESSEL_PROBE_PATH);
  const auto file = platform::userSettingsPath();
  std::filesystem::create_directories(file.parent_path());
  const std::string deep =
      "{\"software\": " + std::string(200000, '[') + std::string(200000, ']') + "}";
  std::ofstream(file) << deep;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(f.module.start(f.host));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("nests values deeper than 32 levels; kept as " + file.string() + ".corrupt"),
            std::string::npos)
      << err;
  std::ifstream aside(file.string() + ".corrupt");
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(aside)), {}), deep);
  EXPECT_EQ(f.store().read(kModuleKey, "Load module"), nlohmann::json(1));
}

// [SECTION] registration by the real module

TEST(Registration, MenuKeepsMarkersAndIdsAndReachesTheMainFrame) {
  Started f(TESSEL_MODULE_PATH);
  ASSERT_EQ(f.host.menus.size(), 1u);
  std::vector<std::string> lines;
  dumpMenu(f.host.menus[0], 0, lines);
  EXPECT_THAT(std::vector<std::string>(lines.begin(), lines.begin() + 9),
              ElementsAre("&File[34018]", "&Edit[65535]", "&View", "  Show &Hierarchy Tree[33843]",
                          "  Show Prop&erties Sheet[33844]", "  Show T&oolbars",
                          "    No Toolbars Available[33986]", "    ", "    &All[33020]"));
  EXPECT_THAT(lines, ::testing::Contains("      &Evaluation Light[34026]"));
  EXPECT_THAT(lines, ::testing::Contains("    No Filters Available[33791]"));
  EXPECT_EQ(lines.back(), "  &Create Coord Sys[33835]");
  EXPECT_EQ(lines.size(), 50u);
  // The module holds one reference to the root, the frame's menu bar the other.
  omMenuItem* root = f.host.menus[0];
  EXPECT_EQ(root->AddRef(), 3);
  root->Release();
}

TEST(Registration, ToolbarsInOrderWithCombosOverTheirPlaceholders) {
  Started f(TESSEL_MODULE_PATH);
  std::vector<std::string> bars;
  for (platform::CToolBar* bar : f.host.toolbars)
    bars.push_back(std::string(bar->GetWindowText()) + (bar->IsWindowVisible() ? "" : " hidden"));
  EXPECT_THAT(bars, ElementsAre("Select", "Zoom", "Orient", "Camera hidden", "Light hidden"));
  auto* select = static_cast<platform::CCJToolBar*>(f.host.toolbars[0]);
  EXPECT_EQ(select->GetCount(), 10);
  EXPECT_EQ(select->GetControlStyle(), platform::TBSTYLE_FLAT);
  for (std::uint32_t id : {34019u, 34020u}) {
    platform::CWnd* control = select->GetControlAt(id);
    ASSERT_NE(control, nullptr);
    ASSERT_NE(control->AsComboBox(), nullptr);
    EXPECT_EQ(select->GetButtonState(id == 34019u ? 1 : 7), platform::TBSTATE_MARKED);
  }
  platform::CComboBox* objects = select->GetControlAt(34019)->AsComboBox();
  EXPECT_EQ(objects->GetCount(), 2);
  EXPECT_STREQ(objects->GetLBText(objects->GetCurSel()), "Mesh");
  platform::CComboBox* parts = select->GetControlAt(34020)->AsComboBox();
  EXPECT_STREQ(parts->GetLBText(parts->GetCurSel()), "Vertices");
  // "Zoom" and "Camera" are docked after their buttons are marked, the others before.
  std::vector<std::string> docking;
  for (const std::string& line : f.host.takeLog())
    if (line.find("toolbar") != std::string::npos) docking.push_back(line);
  EXPECT_THAT(docking, ElementsAre("add toolbar Select", "dock toolbar Select", "add toolbar Zoom",
                                   "dock toolbar Zoom", "add toolbar Orient", "dock toolbar Orient",
                                   "add toolbar Camera", "dock toolbar Camera", "add toolbar Light",
                                   "dock toolbar Light"));
}

TEST(Registration, AcceleratorsArrivedInTableOrder) {
  Started f(TESSEL_MODULE_PATH);
  EXPECT_THAT(f.host.accelerators,
              ElementsAre("65 ctrl -> 33830", "67 -> 33826", "68 ctrl -> 33831", "73 ctrl -> 33832",
                          "83 -> 33825", "86 -> 33815", "39 -> 33833", "87 -> 33814",
                          "89 -> 33827", "90 -> 33812"));
}

TEST(Registration, AcceleratorsNeedTheResourceInstance) {
  Fixture f(TESSEL_MODULE_PATH);
  f.module->SetHost(&f.host);
  EXPECT_TRUE(f.module->Initialize());  // the missing table is not a failure
  EXPECT_THAT(f.host.accelerators, IsEmpty());
  EXPECT_STREQ(f.module->GetVersion(), "");
}

TEST(Registration, ToolsNotYetBuiltAreNeitherRegisteredNorGivenPanels) {
  Started f(TESSEL_MODULE_PATH);
  EXPECT_EQ(f.host.panelFactoryCalls, 1);
  // Every tool and every command.
  EXPECT_EQ(f.host.toolFactories.factories.size(), 15u);
  EXPECT_EQ(f.host.commandFactories.factories.size(), 16u);
  EXPECT_TRUE(f.host.click(f.module.get(), 33814));
  // "Lasso Select" has its panel now.
  EXPECT_TRUE(f.host.click(f.module.get(), 33828));
}

// [SECTION] registration and routing with the probe's tools and commands

TEST(ProbeRegistration, OnlyEntriesWithFactoriesAreRegisteredAndMarked) {
  Started f(TESSEL_PROBE_PATH);
  EXPECT_EQ(f.host.toolFactories.factories.size(), 3u);
  EXPECT_EQ(f.host.commandFactories.factories.size(), 2u);
  auto* select = static_cast<platform::omPropertyToolBar*>(f.host.toolbars[0]);
  std::vector<bool> marked;
  for (int i = 0; i < select->GetCount(); ++i) marked.push_back(select->IsPanelButton(i));
  // Only "Component Select" (index 4) has attributes; plain panels and separators are not marked.
  EXPECT_THAT(marked, ElementsAreArray({false, false, false, false, true, false, false, false,
                                        false, false}));
  auto* zoom = static_cast<platform::omPropertyToolBar*>(f.host.toolbars[1]);
  EXPECT_TRUE(zoom->IsPanelButton(0));  // "View All"
  // Asking a marked button for its panel shows it; an unmarked one does nothing.
  EXPECT_TRUE(zoom->RequestPanel(0, omRect{1, 2, 3, 4}));
  EXPECT_FALSE(zoom->RequestPanel(3, omRect{}));
  EXPECT_THAT(f.host.takeLog(), ::testing::Contains("show panel 33814"));
  ASSERT_NE(f.host.shownPanel, nullptr);
  EXPECT_STREQ(f.host.shownPanel->GetName(), "Probe Command");
}

TEST(Routing, ClickActivatesAndShiftClickShowsOnlyPanelsWithAttributes) {
  Started f(TESSEL_PROBE_PATH);
  f.host.takeLog();
  EXPECT_TRUE(f.host.click(f.module.get(), 33811));
  EXPECT_THAT(f.host.takeLog(), ElementsAre("activate Dolly", "status: Dolly active"));
  // Shift on an attribute-less panel: handled, and nothing happens.
  EXPECT_TRUE(f.host.click(f.module.get(), 33811, true));
  EXPECT_THAT(f.host.takeLog(), IsEmpty());
  EXPECT_TRUE(f.host.click(f.module.get(), 33826, true));
  EXPECT_THAT(f.host.takeLog(), ElementsAre("show panel 33826"));
  EXPECT_FALSE(f.host.IsToolActive("Component Select"));
  // An ID without a panel, and a panel ID with another code, are left to default routing.
  EXPECT_FALSE(f.host.click(f.module.get(), 33999));
  EXPECT_FALSE(f.module->GetCommandTarget()->OnCmdMsg(33811, 5, nullptr));
}

TEST(Routing, ToolPanelLinksOnceAtFirstActivation) {
  Started f(TESSEL_PROBE_PATH);
  f.host.takeLog();
  f.host.click(f.module.get(), 33826);
  EXPECT_THAT(f.host.takeLog(), ElementsAre("activate Component Select",
                                            "status: Component Select active",
                                            "status: linked with size 5"));
  f.host.click(f.module.get(), 33825);
  f.host.click(f.module.get(), 33826);
  EXPECT_THAT(f.host.takeLog(), ElementsAre("activate Object Select", "status: Object Select active",
                                            "activate Component Select",
                                            "status: Component Select active"));
}

TEST(Routing, PlainCommandPanelRunsWithANullRecordAndDerivedOneFillsItsRecord) {
  Started f(TESSEL_PROBE_PATH);
  f.host.takeLog();
  f.host.click(f.module.get(), 33830);
  EXPECT_THAT(f.host.takeLog(), ElementsAre("prepare", "execute Select All with null record",
                                            "status: Select All ran"));
  f.host.click(f.module.get(), 33814);
  EXPECT_THAT(f.host.takeLog(), ElementsAre("prepare", "execute View All with record",
                                            "status: View All ran all"));
}

// Every panel that fills a record (the fit switches, the flood and custom selection settings)
// runs nothing without one of the right type, and says so, rather than running with defaults.
TEST(Routing, APanelWithoutItsRecordRunsNothingAndSaysSo) {
  Started f(TESSEL_MODULE_PATH);
  const std::pair<std::uint32_t, std::string> panels[] = {{33814, "View All"},
                                                          {33815, "View Selected"},
                                                          {34025, "Seed Select"},
                                                          {34029, "Custom Select"}};
  for (const auto& [id, name] : panels) {
    const std::string warning =
        "warning: \"" + name + "\" did not run: the host gave no record for the panel's settings.";
    f.host.takeLog();
    f.host.noRecords = true;
    EXPECT_TRUE(f.host.click(f.module.get(), id));
    // (The custom selection panel switches the selection mode first, as it always does.)
    EXPECT_THAT(f.host.takeLog(), AllOf(Contains(warning), Not(Contains(StartsWith("execute")))))
        << name << ": no record";
    f.host.noRecords = false;
    f.host.recordsFrom = name == "View All" ? "View Selected" : "View All";
    EXPECT_TRUE(f.host.click(f.module.get(), id));
    EXPECT_THAT(f.host.takeLog(), AllOf(Contains(warning), Not(Contains(StartsWith("execute")))))
        << name << ": another command's record";
    f.host.recordsFrom.clear();
  }
  f.host.click(f.module.get(), 33815);
  EXPECT_THAT(f.host.takeLog(), ElementsAre("prepare", "execute View Selected with record"));
}

TEST(Routing, UpdateReflectsAvailabilityAndActiveTool) {
  Started f(TESSEL_PROBE_PATH);
  FakeCmdUI dolly(33811);
  EXPECT_TRUE(f.host.update(f.module.get(), dolly));
  EXPECT_EQ(dolly.enabled, 1);
  EXPECT_EQ(dolly.checked, 0);
  f.host.click(f.module.get(), 33811);
  f.host.update(f.module.get(), dolly);
  EXPECT_EQ(dolly.checked, 1);
  f.host.unavailable = {"Dolly", "Select All"};
  f.host.update(f.module.get(), dolly);
  EXPECT_EQ(dolly.enabled, 0);
  EXPECT_EQ(dolly.checked, 0);  // an unavailable tool is never shown checked
  FakeCmdUI selectAll(33830);
  f.host.update(f.module.get(), selectAll);
  EXPECT_EQ(selectAll.enabled, 0);
  EXPECT_EQ(selectAll.checked, -1);  // commands carry no check mark
}

TEST(Panels, ToolAttributesFollowTheActiveToolOnlyWhenItChanges) {
  Started f(TESSEL_PROBE_PATH);
  f.host.click(f.module.get(), 33826, true);
  platform::omPropertyObj* panel = f.host.shownPanel;
  ASSERT_NE(panel, nullptr);
  panel->OnPropInit();  // the panel window opens
  FakeCmdUI ui(33826);
  f.host.update(f.module.get(), ui);
  EXPECT_FALSE(panel->GetAttrib(0).IsCtrlEnabled());  // tool inactive: everything disabled
  EXPECT_FALSE(panel->GetAttrib(1).IsCtrlEnabled());
  EXPECT_EQ(panel->EditAttrib(0, "7"), platform::EditResult::Disabled);
  f.host.click(f.module.get(), 33826);
  f.host.update(f.module.get(), ui);
  EXPECT_TRUE(panel->GetAttrib(0).IsCtrlEnabled());
  EXPECT_FALSE(panel->GetAttrib(1).IsCtrlEnabled());  // the panel keeps this one disabled
  // Same state again: the controls are not touched.
  panel->GetAttrib(0).EnableCtrl(false);
  f.host.update(f.module.get(), ui);
  EXPECT_FALSE(panel->GetAttrib(0).IsCtrlEnabled());
  // A refresh forgets the state, so the next pass applies it again.
  panel->RefreshPropObj();
  f.host.update(f.module.get(), ui);
  EXPECT_TRUE(panel->GetAttrib(0).IsCtrlEnabled());
}

TEST(Panels, ValuesPersistAndBadStoredValuesFallBackToDefaults) {
  const std::string key = std::string(kModuleKey) + "\\Probe Tool";
  TempConfig config;
  {
    LoadedModule module(TESSEL_PROBE_PATH);
    FakeHost host;
    ASSERT_TRUE(module.start(host));
    host.click(module.get(), 33826);
    host.click(module.get(), 33826, true);
    host.shownPanel->OnPropInit();
    FakeCmdUI ui(33826);
    host.update(module.get(), ui);
    EXPECT_EQ(host.shownPanel->EditAttrib(0, "99"), platform::EditResult::Invalid);
    EXPECT_EQ(host.shownPanel->EditAttrib(0, "8"), platform::EditResult::Ok);
  }
  platform::SettingsStore store(platform::userSettingsPath());
  EXPECT_EQ(store.read(key, "Size"), nlohmann::json(8));
  auto sizeAfterReload = [&] {
    LoadedModule module(TESSEL_PROBE_PATH);
    FakeHost host;
    EXPECT_TRUE(module.start(host));
    host.click(module.get(), 33826, true);
    return std::string(host.shownPanel->GetAttrib(0).GetValueText());
  };
  EXPECT_EQ(sizeAfterReload(), "8");
  ASSERT_TRUE(store.write(key, "Size", 42));  // out of 1..10
  EXPECT_EQ(sizeAfterReload(), "5");
  ASSERT_TRUE(store.write(key, "Size", "eight"));
  EXPECT_EQ(sizeAfterReload(), "5");
}

// [SECTION] tool and command defaults, through the probe's factories

TEST(Defaults, ToolsClearHookOutputsRedrawAndCountReferences) {
  Started f(TESSEL_PROBE_PATH);
  omTool* tool = f.host.makeTool("Dolly");  // holds one reference
  ASSERT_NE(tool, nullptr);
  std::int32_t a = 7, b = 7;
  tool->HostHook5(&a, &b);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 0);
  EXPECT_EQ(tool->SetApplication(&f.host), &f.host);
  f.host.takeLog();
  tool->Refresh();
  EXPECT_THAT(f.host.takeLog(), ElementsAre("redraw 0"));
  EXPECT_EQ(tool->AddRef(), 2);
  EXPECT_EQ(tool->Release(), 1);
  EXPECT_EQ(tool->Release(), 0);
}

TEST(Defaults, CommandsComeFromTheirFactoryWithHostDataThree) {
  Started f(TESSEL_PROBE_PATH);
  omCommand* cmd = f.host.makeCommand("Select All");
  ASSERT_NE(cmd, nullptr);
  EXPECT_EQ(cmd->GetHostData(), 3);
  EXPECT_EQ(cmd->CreateData(0), nullptr);
  cmd->UpdateAllViews();  // no context yet: nothing to forward to, and no crash
  EXPECT_EQ(cmd->Release(), 0);
}

}  // namespace
}  // namespace tessel::test

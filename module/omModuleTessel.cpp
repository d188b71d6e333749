#include "module/omModuleTessel.h"

#include <algorithm>
#include <cstring>

#include "framework/omPropCmd.h"
#include "framework/omPropTool.h"
#include "module/filter_menus.h"
#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "platform/CMenu.h"
#include "platform/CRegistry.h"
#include "platform/host_services.h"
#include "resources/filter_tables.h"
#include "resources/resource_ids.h"
#include "resources/ui_resources.h"

namespace tessel::module {
namespace {

constexpr char kModuleName[] = "Tessel";
constexpr char kLoadModule[] = "Load module";
constexpr std::uint32_t kVisibleToolBarStyle = 0x50402034u;
constexpr std::uint32_t kHiddenToolBarStyle = 0x40402034u;
constexpr omRect kComboRect{0, 0, 100, 150};

// The events every panel hears about; the others reach only the filter combos.
constexpr std::int32_t kPanelEvents[] = {0, 9, 10, 11, 12, 13, 14, 17, 18, 20, 21, 22, 29, 33};

omApplication* application() { return platform::AfxGetApp()->application; }

// The toolbar asks for the property panel of one of its buttons.
void panelCallback(void* panelMap, void* panelManager, std::uint32_t id, const omRect& rect) {
  auto* panels = static_cast<PanelMap*>(panelMap);
  auto* manager = static_cast<omPanelManager*>(panelManager);
  if (!panels || !manager) return;
  auto it = panels->find(id);
  if (it != panels->end() && it->second) manager->ShowPanel(it->second.get(), id, rect);
}

// Converts the items of `menu` into children of `parent`, each appended before its own children.
void convertMenu(omApplication& app, const platform::CMenu& menu, omMenuItem& parent) {
  for (std::int32_t i = 0; i < menu.GetMenuItemCount(); ++i) {
    const std::string text = menu.GetMenuString(i);
    const platform::CMenu sub = menu.GetSubMenu(i);
    const std::uint32_t cmd = (text.empty() || sub.IsLoaded()) ? 0 : menu.GetMenuItemID(i);
    omMenuItem* item = app.CreateMenuItem(text.c_str(), cmd);
    if (!item) continue;
    parent.AppendItem(item);
    if (!text.empty() && sub.IsLoaded()) convertMenu(app, sub, *item);
  }
}

// Replaces the entries of `list` with `row`, its current entry selected; an empty row empties it.
bool loadFilterRow(omMaskList& list, const resources::FilterRow& row) {
  list.Clear();
  if (!row.current) return false;
  for (const resources::FilterEntry& e : row.entries) list.AddEntry(e.name, e.mask);
  list.SelectName(row.current);
  return true;
}

void chooseObjectFilterEntry(std::uint32_t id) {
  omApplication* app = application();
  omMaskList* filter = app ? app->GetObjectFilter() : nullptr;
  if (!filter) return;
  const std::uint32_t before = filter->GetCurrentMask();
  if (!chooseFilterEntry(*filter, kObjectFilterMenu, id)) return;
  omMainView* main = app->GetMainView();
  omEntityList* selection = main ? main->GetSelection(-1) : nullptr;
  // Leaving lights or coordinate systems: their manipulator no longer fits the selection.
  if (selection && selection->GetCount() > 0 &&
      (before == om::kMaskLights || before == om::kMaskCoordSys)) {
    main->UpdateManipulator(1);
    if (omViewManager* views = app->GetViewManager()) views->RefreshViews(1);
  }
}

void chooseComponentFilterEntry(std::uint32_t id) {
  omApplication* app = application();
  omMaskList* filter = app ? app->GetComponentFilter() : nullptr;
  if (!filter || !chooseFilterEntry(*filter, kComponentFilterMenu, id)) return;
  omEvent changed{om::kNotifyComponentSelectionChanged};
  app->Notify(&changed, nullptr);
}

}  // namespace

omModuleTessel::omModuleTessel(const resources::RegistrationTables& tables) : tables_(tables) {
  onUpdate(kObjectFilterMenu.firstId, kObjectFilterMenu.lastId, [](platform::CCmdUI* ui) {
    if (omApplication* app = application())
      updateFilterMenu(app->GetObjectFilter(), kObjectFilterMenu, *ui);
  });
  onUpdate(kComponentFilterMenu.firstId, kComponentFilterMenu.lastId, [](platform::CCmdUI* ui) {
    if (omApplication* app = application())
      updateFilterMenu(app->GetComponentFilter(), kComponentFilterMenu, *ui);
  });
  onCommand(kObjectFilterMenu.firstId, kObjectFilterMenu.lastId,
            [](std::uint32_t id) { chooseObjectFilterEntry(id); });
  onCommand(kComponentFilterMenu.firstId, kComponentFilterMenu.lastId,
            [](std::uint32_t id) { chooseComponentFilterEntry(id); });
  installMenuCommands();
}

void omModuleTessel::installMenuCommands() {
  namespace id = resources::id;
  using Action = void (ModuleMenuCommands::*)(omApplication&);
  auto command = [this](std::uint32_t which, Action action) {
    onCommand(which, which, [this, action](std::uint32_t) {
      if (omApplication* app = application()) (menuCommands_.*action)(*app);
    });
  };
  auto update = [this](std::uint32_t which, auto handler) {
    onUpdate(which, which, [handler](platform::CCmdUI* ui) {
      if (omApplication* app = application(); app && ui) handler(*app, *ui);
    });
  };
  command(id::kDisplayLights, &ModuleMenuCommands::ToggleLightDisplay);
  update(id::kDisplayLights, &ModuleMenuCommands::UpdateLightDisplay);
  command(id::kSelectLights, &ModuleMenuCommands::SelectLights);
  update(id::kSelectLights, [](omApplication& app, platform::CCmdUI& ui) {
    ModuleMenuCommands::UpdateSelectMask(app, "Lights", ui);
  });
  command(id::kDirectionalLight, &ModuleMenuCommands::CreateDirectionalLight);
  update(id::kDirectionalLight, [](omApplication&, platform::CCmdUI&) {});
  command(id::kSelectCoordSys, &ModuleMenuCommands::SelectCoordSys);
  update(id::kSelectCoordSys, [](omApplication& app, platform::CCmdUI& ui) {
    ModuleMenuCommands::UpdateSelectMask(app, "Coord Sys", ui);
  });
  command(id::kCreateCoordSys, &ModuleMenuCommands::NewCoordSys);
  command(id::kScreenGrid, &ModuleMenuCommands::ToggleGrid);
  update(id::kScreenGrid, &ModuleMenuCommands::UpdateGrid);
}

omModuleTessel::~omModuleTessel() {
  if (menuRoot_) menuRoot_->Release();
}

std::int32_t omModuleTessel::Release() {
  if (refCount_ <= 0) return 0;  // nobody holds it: freeing it again would be fatal
  if (--refCount_ > 0) return refCount_;
  delete static_cast<platform::CCmdTarget*>(this);
  return 0;
}

const char* omModuleTessel::GetName() { return kModuleName; }

omModuleHost* omModuleTessel::SetHost(omModuleHost* host) {
  platform::bindHost(host);
  return omMFCModule2::SetHost(host);
}

bool omModuleTessel::Initialize() {
  // A repeated call must not register everything twice; it reports how the first one went.
  if (initState_ != InitState::NotYet) return initState_ == InitState::Done;
  omApplication* app = application();
  const bool ok = host() && app && initialize(*app);
  initState_ = ok ? InitState::Done : InitState::Failed;
  return ok;
}

bool omModuleTessel::initialize(omApplication& app) {
  readVersionStrings();
  buildSettingsPaths();
  if (!checkLoadSwitch()) return false;
  omRegistry* registry = host()->GetRegistry();
  if (!registry) return false;
  registerFactories(*registry);
  createPanels();
  installMenu(app);
  if (!createToolBars(app)) return false;
  if (omMainFrame* frame = app.GetMainFrame())
    InstallAccelerators(resources::id::kAccelModule, frame->GetAcceleratorTable());
  return true;
}

bool omModuleTessel::checkLoadSwitch() {
  int load = 1;
  platform::CRegistry registry(platform::HKEY::CurrentUser);
  if (!registryPath().empty() &&
      registry.CreateKey(registryPath(), 0, platform::KEY_ALL_ACCESS)) {
    int stored = 1;
    if (registry.Read(kLoadModule, stored)) load = stored;
    if (load != 0) registry.Write(kLoadModule, 1);
    registry.CloseKey();
  }
  return load != 0;
}

void omModuleTessel::registerFactories(omRegistry& registry) {
  if (omFactoryList* commands = registry.GetCommandFactories())
    for (const resources::CommandEntry& c : tables_.commands)
      if (c.factory) commands->AddFactory(reinterpret_cast<void*>(c.factory));
  if (omFactoryList* tools = registry.GetToolFactories())
    for (const resources::ToolEntry& t : tables_.tools)
      if (t.factory) tools->AddFactory(reinterpret_cast<void*>(t.factory));
  registry.GetPanelFactories();
}

void omModuleTessel::createPanels() {
  for (const resources::PanelEntry& entry : tables_.panels) {
    if (!entry.create) continue;
    if (!resources::hasFactory(tables_, entry.targetName) &&
        !(entry.commandName && resources::hasFactory(tables_, entry.commandName)))
      continue;
    std::unique_ptr<platform::omPropertyObj> panel(entry.create(entry.targetName));
    if (!panel) continue;
    panel->SetProfilePath(profilePath().c_str());
    panels()[entry.id] = std::move(panel);
  }
}

void omModuleTessel::installMenu(omApplication& app) {
  platform::CMenu menu;
  if (!menu.LoadMenu(resources::findMenu(resources::id::kMenuModule))) return;
  omMenuItem* root = app.CreateMenuItem("", 0);
  if (!root) return;
  root->AddRef();
  convertMenu(app, menu, *root);
  menu.DestroyMenu();
  menuRoot_ = root;
  if (omMainFrame* frame = app.GetMainFrame())
    if (omMenuBar* bar = frame->GetMenuBar()) bar->AddMenu(root);
  if (omDocument* doc = app.GetDocument())
    for (std::int32_t i = 0; i < doc->GetFrameCount(); ++i)
      if (omFrame* frame = doc->GetFrame(i))
        if (omMenuBar* bar = frame->GetMenuBar()) bar->AddMenu(root);
}

platform::omPropertyToolBar* omModuleTessel::toolBarFor(std::uint32_t resource) {
  namespace id = resources::id;
  switch (resource) {
    case id::kToolBarSelect: return &selectToolBar_;
    case id::kToolBarZoom: return &zoomToolBar_;
    case id::kToolBarOrient: return &orientToolBar_;
    case id::kToolBarCamera: return &cameraToolBar_;
    case id::kToolBarLight: return &lightToolBar_;
    default: return nullptr;
  }
}

bool omModuleTessel::createToolBars(omApplication& app) {
  omMainFrame* frame = app.GetMainFrame();
  if (!frame) return false;
  for (const resources::ToolBarEntry& entry : resources::toolBarTable()) {
    platform::omPropertyToolBar* bar = toolBarFor(entry.resource);
    if (!bar) return false;
    const std::uint32_t style = entry.visible ? kVisibleToolBarStyle : kHiddenToolBarStyle;
    if (!bar->CreateEx(platform::TBSTYLE_FLAT, style, omRect{}, entry.resource)) return false;
    if (!bar->LoadToolBar(resources::findToolBar(entry.resource))) return false;
    bar->SetWindowText(entry.caption);
    bar->EnableDocking(platform::CBRS_ALIGN_ANY);
    frame->AddToolBar(bar);
    if (!entry.dockAfterMarking) frame->DockToolBar(bar);
    bar->SetCallbackfn(&panels(), app.GetPanelManager(), panelCallback);
    markPanelButtons(*bar);
    if (entry.dockAfterMarking) frame->DockToolBar(bar);
    if (bar == &selectToolBar_ && !insertFilterCombos(app)) return false;
  }
  return true;
}

void omModuleTessel::markPanelButtons(platform::omPropertyToolBar& bar) {
  std::vector<int> flags(static_cast<std::size_t>(bar.GetCount()), 0);
  for (std::int32_t i = 0; i < bar.GetCount(); ++i) {
    auto it = panels().find(bar.GetItemID(i));
    flags[static_cast<std::size_t>(i)] =
        (it != panels().end() && it->second && it->second->GetNumAttribs() > 0) ? 1 : 0;
  }
  bar.ChangeButtonStyle(flags.data(), bar.GetCount());
}

bool omModuleTessel::insertFilterCombos(omApplication& app) {
  namespace id = resources::id;
  struct Slot {
    omMaskComboBox& combo;
    std::uint32_t id;
    omMaskList* list;
  };
  const Slot slots[] = {{objectFilterCombo_, id::kObjectFilterCombo, app.GetObjectFilter()},
                        {componentFilterCombo_, id::kComponentFilterCombo,
                         app.GetComponentFilter()}};
  for (const Slot& s : slots) {
    if (!s.combo.Create(platform::CBS_DROPDOWNLIST | platform::WS_CHILD | platform::WS_VISIBLE,
                        kComboRect, s.id))
      return false;
    s.combo.Fill(s.list);
    if (!selectToolBar_.InsertControl(&s.combo, kComboRect, s.id)) return false;
  }
  for (const Slot& s : slots) selectToolBar_.SetButtonState(s.id, platform::TBSTATE_MARKED);
  return true;
}

void omModuleTessel::Terminate() { destroyPanels(); }

void omModuleTessel::OnNotify(const omEvent* event, void* param) {
  if (!event) return;
  objectFilterCombo_.OnFilterEvent(event, param);
  componentFilterCombo_.OnFilterEvent(event, param);
  omApplication* app = application();
  if (!app) return;
  if (std::find(std::begin(kPanelEvents), std::end(kPanelEvents), event->code) !=
      std::end(kPanelEvents)) {
    app->GetToolManager();
    app->GetCommandManager();
    for (auto& [id, panel] : panels()) {
      if (auto* tool = dynamic_cast<framework::omPropTool*>(panel.get()))
        tool->OnNotify(event, param);
      else if (auto* cmd = dynamic_cast<framework::omPropCmd*>(panel.get()))
        cmd->OnNotify(event, param);
    }
  }
  if (event->code == om::kEventDocumentKindChanged) rebuildObjectFilter(*app);
  if (event->code == om::kEventFilterListChanged && param && param == app->GetObjectFilter())
    rebuildComponentFilter(*app);
}

void omModuleTessel::rebuildObjectFilter(omApplication& app) {
  omMaskList* filter = app.GetObjectFilter();
  omDocument* doc = app.GetDocument();
  if (!filter || !doc) return;
  if (!loadFilterRow(*filter, resources::objectFilterRow(doc->GetFilterMode()))) return;
  if (omMainView* view = app.GetMainView()) view->SetObjectMode(1);
}

void omModuleTessel::rebuildComponentFilter(omApplication& app) {
  if (omToolManager* tools = app.GetToolManager()) {
    omTool* current = tools->GetCurrentTool();
    for (const char* name : {"Component Select", "Paint Select", "Lasso Select"}) {
      if (current && current == tools->FindTool(name)) {
        tools->ActivateTool("Object Select");
        break;
      }
    }
  }
  omMaskList* components = app.GetComponentFilter();
  omMaskList* objects = app.GetObjectFilter();
  if (!components || !objects) return;
  loadFilterRow(*components, resources::componentFilterRow(objects->GetCurrentMask()));
}

bool omModuleTessel::OnCmdMsg(std::uint32_t id, std::int32_t code, platform::CCmdUI* ui) {
  const bool ours = code == platform::CN_COMMAND || code == platform::CN_UPDATE_COMMAND_UI ||
                    code == platform::CN_COMMAND_QUERY;
  auto it = ours ? panels().find(id) : panels().end();
  if (it == panels().end() || !it->second) return CCmdTarget::OnCmdMsg(id, code, ui);
  if (code == platform::CN_COMMAND_QUERY) return true;
  platform::omPropertyObj& panel = *it->second;
  if (code == platform::CN_COMMAND) {
    if (!(platform::GetAsyncKeyState(platform::VK_SHIFT) & 0x8000)) {
      panel.Activate();
    } else if (panel.GetNumAttribs() > 0) {
      if (omApplication* app = application())
        if (omPanelManager* manager = app->GetPanelManager()) manager->ShowPanel(&panel, id, {});
    }
    return true;
  }
  if (auto* cmd = dynamic_cast<framework::omPropCmd*>(&panel))
    cmd->OnUpdateCmdUI(ui);
  else if (auto* tool = dynamic_cast<framework::omPropTool*>(&panel))
    tool->OnUpdateCmdUI(ui);
  else if (ui)
    ui->Enable(false);
  return true;
}

}  // namespace tessel::module

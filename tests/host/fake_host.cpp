#include "tests/host/fake_host.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/CToolBar.h"

#include "host/om_codes.h"
#include "transform/transform_math.h"
#include "studio/host/menu_item.h"

namespace tessel::test {

// [SECTION] host

FakeHost::FakeHost() {
  objectFilter.AddEntry("Mesh", om::kMaskMesh);
  objectFilter.AddEntry("Coord Sys", om::kMaskCoordSys);
  objectFilter.SelectName("Mesh");
  componentFilter.AddEntry("Faces", om::kMaskFaces);
  componentFilter.AddEntry("Vertices", om::kMaskVertices);
  componentFilter.SelectName("Vertices");
}

FakeHost::~FakeHost() {
  if (currentTool_) currentTool_->Deactivate();
  for (omTool* tool : tools_) tool->Release();
  for (omMenuItem* menu : menus) menu->Release();
}

omRegistry* FakeHost::GetRegistry() {
  ++registryCalls;
  return this;
}

bool FakeHost::IsKeyDown(std::int32_t key) { return key == om::kKeyShift && shiftDown; }

std::int32_t FakeHost::MessageBox(const char* text, const char* caption, std::uint32_t style) {
  log("message: " + std::string(text));
  messageCaption = caption ? caption : "";
  messageStyle = style;
  return 1;
}

omEntity* FakeHost::CreateLight(std::int32_t, std::int32_t) {
  if (!scene || lights == om::kLightSlots) return nullptr;
  ++lights;
  return &scene->add("light " + std::to_string(lights), om::kEntityLight);
}

omEntity* FakeHost::CreateCoordSys(std::int32_t) {
  return scene ? &scene->addCoordSys("cs", {0, 0, 0}, {0, 0, 0, 1}) : nullptr;
}

omGroup* FakeHost::GetGroup(std::int32_t kind) {
  if (noGroups) return nullptr;
  if (kind == om::kGroupLights) return &lightGroup;
  if (kind == om::kGroupCoordSys) return &coordSysGroup;
  return nullptr;
}

void FakeHost::AddToGroup(omGroup* group, omEntity* entity) {
  if (auto* g = static_cast<FakeGroup*>(group)) g->members.push_back(entity);
}

void FakeHost::DeleteEntity(omEntity* owner, omEntity* entity) {
  auto* e = static_cast<FakeEntity*>(entity);
  std::string line = "delete " + std::string(e->deleted ? "(gone) " : "") + e->GetName();
  if (owner) line += " of " + std::string(owner->GetName());
  log(line);
  if (!e->deleted && e->GetType() == om::kEntityLight) --lights;
  if (scene) scene->remove(*e);
}

omFactoryList* FakeHost::GetPanelFactories() {
  ++panelFactoryCalls;
  return nullptr;
}

omCommandManager* FakeHost::GetCommandManager() { return this; }
omToolManager* FakeHost::GetToolManager() { return this; }

omMenuItem* FakeHost::CreateMenuItem(const char* text, std::uint32_t id) {
  return studio::MenuItem::create(text, id);
}

void FakeHost::NotifySync(std::int32_t code, void*) { log("notify: " + std::to_string(code)); }

void FakeHost::Notify(const omEvent* event, void*) {
  log("notify: " + std::to_string(event ? event->code : -1));
}

void FakeHost::AddToolBar(platform::CToolBar* toolbar) {
  toolbars.push_back(toolbar);
  log(std::string("add toolbar ") + toolbar->GetWindowText());
}

void FakeHost::DockToolBar(platform::CToolBar* toolbar) {
  log(std::string("dock toolbar ") + toolbar->GetWindowText());
}

void FakeHost::AddMenu(omMenuItem* root) {
  root->AddRef();
  menus.push_back(root);
}

void FakeHost::AddAccelerator(std::uint32_t commandId, std::uint8_t key, bool alt, bool ctrl,
                              bool shift) {
  std::string line = std::to_string(key);
  if (ctrl) line += " ctrl";
  if (shift) line += " shift";
  if (alt) line += " alt";
  accelerators.push_back(line + " -> " + std::to_string(commandId));
}

void FakeHost::ShowPanel(platform::omPropertyObj* panel, std::uint32_t id, const omRect&) {
  shownPanel = panel;
  log("show panel " + std::to_string(id));
}

omTool* FakeHost::makeTool(const char* name) {
  for (void* f : toolFactories.factories) {
    omTool* tool = nullptr;
    reinterpret_cast<omToolFactory>(f)(&tool);
    if (!tool) continue;
    tool->AddRef();
    if (std::strcmp(tool->GetName(), name) == 0) return tool;
    tool->Release();
  }
  return nullptr;
}

omCommand* FakeHost::makeCommand(const char* name) {
  for (void* f : commandFactories.factories) {
    omCommand* cmd = nullptr;
    reinterpret_cast<omCommandFactory>(f)(&cmd);
    if (!cmd) continue;
    cmd->AddRef();
    if (std::strcmp(cmd->GetName(), name) == 0) return cmd;
    cmd->Release();
  }
  return nullptr;
}

omTool* FakeHost::FindTool(const char* name) {
  for (omTool* tool : tools_)
    if (std::strcmp(tool->GetName(), name) == 0) return tool;
  omTool* tool = makeTool(name);
  if (!tool) return nullptr;
  tool->SetApplication(this);
  tool->SetToolManager(this);
  tools_.push_back(tool);
  return tool;
}

bool FakeHost::ActivateTool(const char* name) {
  log(std::string("activate ") + name);
  omTool* tool = FindTool(name);
  if (!tool || !tool->CanActivate()) return false;
  if (currentTool_) currentTool_->Deactivate();
  currentTool_ = tool;
  tool->Activate();
  return true;
}

bool FakeHost::IsToolActive(const char* name) {
  return currentTool_ && std::strcmp(currentTool_->GetName(), name) == 0;
}

bool FakeHost::IsToolAvailable(const char* name) {
  return std::find(unavailable.begin(), unavailable.end(), name) == unavailable.end();
}

omCommandData* FakeHost::CreateCommandData(const char* name) {
  if (noRecords) return nullptr;
  omCommand* cmd = makeCommand(recordsFrom.empty() ? name : recordsFrom.c_str());
  if (!cmd) return nullptr;
  omCommandData* data = cmd->CreateData(0);
  cmd->Release();
  return data;
}

bool FakeHost::ExecuteCommand(const char* name, omCommandData* data) {
  log(std::string("execute ") + name + (data ? " with record" : " with null record"));
  omCommand* cmd = makeCommand(name);
  if (!cmd) return false;
  cmd->SetApplication(this);
  cmd->SetMainView(this);
  cmd->SetContext(&context);
  const bool ran = cmd->CanExecute() && cmd->Execute(nullptr, data) == om::kExecuteRan;
  cmd->Release();
  return ran;
}

bool FakeHost::IsCommandAvailable(const char* name) { return IsToolAvailable(name); }

bool FakeHost::click(omModule2* module, std::uint32_t id, bool shift) {
  shiftDown = shift;
  const bool handled = module->GetCommandTarget()->OnCmdMsg(id, platform::CN_COMMAND, nullptr);
  shiftDown = false;
  return handled;
}

bool FakeHost::update(omModule2* module, FakeCmdUI& ui) {
  return module->GetCommandTarget()->OnCmdMsg(ui.GetID(), platform::CN_UPDATE_COMMAND_UI, &ui);
}

std::vector<std::string> FakeHost::takeLog() { return std::exchange(log_, {}); }

// [SECTION] loaded module

LoadedModule::LoadedModule(const char* path) {
  handle_ = ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!handle_) throw std::runtime_error(std::string("cannot load module: ") + ::dlerror());
  auto create = reinterpret_cast<CreateModule2Fn>(::dlsym(handle_, "CreateModule2"));
  if (!create) throw std::runtime_error("module has no CreateModule2");
  createResult_ = create(&module_);
  if (module_) module_->AddRef();
}

LoadedModule::~LoadedModule() {
  if (module_) {
    module_->Terminate();
    module_->Release();
  }
  if (handle_) ::dlclose(handle_);
}

bool LoadedModule::start(FakeHost& host) {
  module_->SetHost(&host);
  module_->SetResourceInstance(handle_);
  return module_->Initialize();
}

}  // namespace tessel::test

namespace tessel::test {

void FakeManipulatorAxes::GetRotation(float* xyzw) {
  // The rows are the axes: the turn of column vectors is their transpose.
  transform::Mat4 rows{};
  for (int i = 0; i < 16; ++i) rows[i] = matrix[i];
  const transform::Quat q =
      transform::quatFromMatrix(transform::transpose(rows)).value_or(transform::kIdentityQuat);
  xyzw[0] = static_cast<float>(q.x), xyzw[1] = static_cast<float>(q.y);
  xyzw[2] = static_cast<float>(q.z), xyzw[3] = static_cast<float>(q.w);
}

}  // namespace tessel::test

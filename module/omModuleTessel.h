// The Tessel module: registers the tools, commands, panels, menu, toolbars and accelerators with
// the host, routes the module's command IDs to their panels, and keeps the filter combos and the
// panels informed of the host's events.
#pragma once

#include <cstdint>

#include "module/omMFCModule2.h"
#include "module/omMaskComboBox.h"
#include "module/module_menu_commands.h"
#include "platform/omPropertyToolBar.h"
#include "resources/registration_tables.h"

class omApplication;
class omMenuItem;

namespace tessel::module {

class omModuleTessel : public omMFCModule2 {
 public:
  explicit omModuleTessel(const resources::RegistrationTables& tables);
  ~omModuleTessel() override;

  std::int32_t AddRef() override { return ++refCount_; }
  std::int32_t Release() override;
  const char* GetName() override;
  bool IsBaseModule() override { return false; }
  omModuleHost* SetHost(omModuleHost* host) override;
  bool Initialize() override;
  void Terminate() override;
  void OnNotify(const omEvent* event, void* param) override;

  bool OnCmdMsg(std::uint32_t id, std::int32_t code, platform::CCmdUI* ui) override;

 private:
  enum class InitState { NotYet, Done, Failed };

  bool initialize(omApplication& app);
  bool checkLoadSwitch();
  void registerFactories(omRegistry& registry);
  void createPanels();
  void installMenu(omApplication& app);
  bool createToolBars(omApplication& app);
  void markPanelButtons(platform::omPropertyToolBar& bar);
  bool insertFilterCombos(omApplication& app);
  void rebuildObjectFilter(omApplication& app);
  void rebuildComponentFilter(omApplication& app);
  platform::omPropertyToolBar* toolBarFor(std::uint32_t resource);
  // The message-map entries of the commands the module handles itself.
  void installMenuCommands();

  const resources::RegistrationTables& tables_;
  InitState initState_ = InitState::NotYet;
  std::int32_t refCount_ = 0;
  platform::omPropertyToolBar selectToolBar_;
  omMaskComboBox objectFilterCombo_;
  omMaskComboBox componentFilterCombo_;
  platform::omPropertyToolBar cameraToolBar_;
  platform::omPropertyToolBar zoomToolBar_;
  platform::omPropertyToolBar lightToolBar_;
  platform::omPropertyToolBar orientToolBar_;
  omMenuItem* menuRoot_ = nullptr;
  ModuleMenuCommands menuCommands_;  // holds whether light display is on
};

}  // namespace tessel::module

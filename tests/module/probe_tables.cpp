// Registration tables of the probe module: the module's code with a few small tools, commands and
// panels whose behaviour the tests can see through the host, in place of the real ones.
#include <string>

#include "framework/omCommandBase.h"
#include "framework/omPropCmd.h"
#include "framework/omPropTool.h"
#include "framework/omToolBase.h"
#include "host/omApplication.h"
#include "platform/host_services.h"
#include "platform/omPAT_Bool.h"
#include "platform/omPAT_Int.h"
#include "resources/registration_tables.h"
#include "resources/resource_ids.h"

namespace tessel::resources {
namespace {

omApplication* app() { return platform::AfxGetApp()->application; }

void say(const std::string& text) {
  if (app()) app()->GetPanelManager()->SetStatusText(text.c_str());
}

template <const char* Name>
class ProbeTool : public framework::omToolBase {
 public:
  const char* GetName() override { return Name; }
  void Activate() override { say(std::string(Name) + " active"); }
};

struct ProbeRecord : omCommandData {
  bool allViews = false;
};

template <const char* Name, bool WithRecord>
class ProbeCommand : public framework::omCommandBase {
 public:
  const char* GetName() override { return Name; }
  omCommandData* CreateData(std::int32_t) override {
    return WithRecord ? framework::createRecord<ProbeRecord>() : nullptr;
  }
  std::int32_t Execute(omProgress*, omCommandData* data) override {
    auto* record = dynamic_cast<ProbeRecord*>(data);
    say(std::string(Name) + " ran" + (record ? (record->allViews ? " all" : " one") : ""));
    return 2;
  }
};

// A tool panel with two attributes, the second one disabled by the panel itself.
class ProbeToolPanel : public framework::omPropTool {
 public:
  explicit ProbeToolPanel(const char* name) : omPropTool(name, "Probe Tool") {
    AddAttrib(new platform::omPAT_Int("Size", 5, 1, 10, 1, 0));
    AddAttrib(new platform::omPAT_Bool("Locked", false, 0));
    EnableAttrib(1, false);
  }
  void LinkTool() override {
    omPropTool::LinkTool();
    say(std::string("linked with size ") + GetAttrib(0).GetValueText());
  }
};

// A command panel that copies its attribute into the command's record.
class ProbeCmdPanel : public framework::omPropCmd {
 public:
  explicit ProbeCmdPanel(const char* name) : omPropCmd(name, "Probe Command") {
    AddAttrib(new platform::omPAT_Bool("All Views", true, 0));
  }
  void Activate() override {
    omCommandManager* commands = app()->GetCommandManager();
    auto* record = static_cast<ProbeRecord*>(commands->CreateCommandData(GetTargetName()));
    if (record) record->allViews = GetAttrib(0).GetValueText() == std::string("true");
    commands->PrepareCommand();
    commands->ExecuteCommand(GetTargetName(), record);
    delete record;
  }
};

constexpr char kObjectSelect[] = "Object Select";
constexpr char kComponentSelect[] = "Component Select";
constexpr char kDolly[] = "Dolly";
constexpr char kSelectAll[] = "Select All";
constexpr char kViewAll[] = "View All";

const CommandEntry kCommands[] = {
    {kSelectAll, framework::createCommand<ProbeCommand<kSelectAll, false>>},
    {kViewAll, framework::createCommand<ProbeCommand<kViewAll, true>>},
    {"Select None", nullptr},
};

const ToolEntry kTools[] = {
    {kObjectSelect, framework::createTool<ProbeTool<kObjectSelect>>},
    {kComponentSelect, framework::createTool<ProbeTool<kComponentSelect>>},
    {kDolly, framework::createTool<ProbeTool<kDolly>>},
    {"Pan", nullptr},
};

const PanelEntry kPanels[] = {
    {id::kObjectSelect, createPanel<framework::omPropTool>, kObjectSelect},
    {id::kComponentSelect, createPanel<ProbeToolPanel>, kComponentSelect},
    {id::kDolly, createPanel<framework::omPropTool>, kDolly},
    {id::kPan, createPanel<framework::omPropTool>, "Pan"},
    {id::kSelectAll, createPanel<framework::omPropCmd>, kSelectAll},
    {id::kSelectNone, createPanel<framework::omPropCmd>, "Select None"},
    {id::kViewAll, createPanel<ProbeCmdPanel>, kViewAll},
};

}  // namespace

const RegistrationTables& registrationTables() {
  static const RegistrationTables tables{kCommands, kTools, kPanels};
  return tables;
}

}  // namespace tessel::resources

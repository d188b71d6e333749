#include "transform/omPropToolTranslate.h"

#include "host/omApplication.h"
#include "host/omManipulator.h"
#include "host/omView.h"
#include "platform/omPAT_Button.h"
#include "platform/omPAT_Float.h"
#include "platform/omPAT_Int.h"
#include "transform/omCmdOrientTranslate.h"
#include "transform/transform_panel_attribs.h"

namespace tessel::transform {

omPropToolTranslate::omPropToolTranslate(const char* targetName)
    : omPropToolOrient(targetName, "Base Translate") {
  x_ = AddAttrib(unboundFloat("X", 0));
  y_ = AddAttrib(unboundFloat("Y", 0));
  z_ = AddAttrib(unboundFloat("Z", 0));
  movementType_ = AddAttrib(movementTypeChoice());
  selectionType_ = AddAttrib(selectionTypeChoice());
  apply_ = AddAttrib(new platform::omPAT_Button("Apply"));
}

void omPropToolTranslate::OnAttribChanging(int id) {
  if (id == listId()) {
    omPropToolOrient::OnAttribChanging(id);
  } else if (id == apply_) {
    apply();
  }
}

omManipulator* omPropToolTranslate::manipulatorOf(omMainView& view) {
  return view.GetTranslateManipulator();
}

void omPropToolTranslate::apply() {
  omApplication* app = application();
  omCommandManager* commands = app ? app->GetCommandManager() : nullptr;
  if (!commands) return;
  omCommandData* data = commands->CreateCommandData("Orient Translate");
  if (auto* record = dynamic_cast<omCmdOrientTranslateData*>(data)) {
    omPAT_Coord_Sys_List* l = list();
    record->refCoordSys = l ? l->GetSelected() : nullptr;
    record->vector[0] = floatValue(x_);
    record->vector[1] = floatValue(y_);
    record->vector[2] = floatValue(z_);
    record->movementType = intValue(movementType_) == 1 ? 1 : 0;
    record->selectionType = selectionBits(intValue(selectionType_));
    commands->PrepareCommand();
    commands->ExecuteCommand("Orient Translate", data);
    notifyPanelState();
  }
  delete data;
}

}  // namespace tessel::transform

#include "transform/omPropToolScale.h"

#include "host/omApplication.h"
#include "host/omManipulator.h"
#include "host/omView.h"
#include "platform/omPAT_Button.h"
#include "transform/omCmdOrientScale.h"
#include "transform/transform_math.h"
#include "transform/transform_panel_attribs.h"

namespace tessel::transform {

omPropToolScale::omPropToolScale(const char* targetName)
    : omPropToolOrient(targetName, "Scale") {
  type_ = AddAttrib(
      new (std::nothrow) platform::omPAT_Int("Type", 0, {"Uniform", "Nonuniform"}, kDropDownChoice));
  x_ = AddAttrib(unboundFloat("X", 1));
  y_ = AddAttrib(unboundFloat("Y", 1));
  z_ = AddAttrib(unboundFloat("Z", 1));
  apply_ = AddAttrib(new platform::omPAT_Button("Apply"));
}

void omPropToolScale::OnPropInit() {
  omPropToolOrient::OnPropInit();
  uniform_ = intValue(type_) == 0;
}

void omPropToolScale::matchFactors(int from) {
  const float value = floatValue(from);
  for (int id : {x_, y_, z_})
    if (id != from)
      if (auto* f = dynamic_cast<platform::omPAT_Float*>(&GetAttrib(id))) f->SetValue(value);
}

void omPropToolScale::OnAttribChanging(int id) {
  if (id == listId()) {
    omPropToolOrient::OnAttribChanging(id);
  } else if (id == type_) {
    uniform_ = intValue(type_) == 0;
    if (uniform_) matchFactors(x_);
  } else if (id == x_ || id == y_ || id == z_) {
    if (uniform_) matchFactors(id);
  } else if (id == apply_) {
    apply();
  }
}

omManipulator* omPropToolScale::manipulatorOf(omMainView& view) {
  return view.GetScaleManipulator();
}

void omPropToolScale::apply() {
  float factors[3] = {floatValue(x_), floatValue(y_), floatValue(z_)};
  if (factors[0] == 0 && factors[1] == 0 && factors[2] == 0) {
    factors[0] = factors[1] = factors[2] = 1;
  } else if (!isUsableScale({factors[0], factors[1], factors[2]})) {
    // A zero on one axis flattens the geometry beyond undoing.
    warn("Invalid scale specified.");
    return;
  }
  omApplication* app = application();
  omCommandManager* commands = app ? app->GetCommandManager() : nullptr;
  if (!commands) return;
  omCommandData* data = commands->CreateCommandData("Orient Scale");
  if (auto* record = dynamic_cast<omCmdOrientScaleData*>(data)) {
    omPAT_Coord_Sys_List* l = list();
    record->refCoordSys = l ? l->GetSelected() : nullptr;
    for (int i = 0; i < 3; ++i) record->factors[i] = factors[i];
    commands->PrepareCommand();
    commands->ExecuteCommand("Orient Scale", data);
    notifyPanelState();
  }
  delete data;
}

}  // namespace tessel::transform

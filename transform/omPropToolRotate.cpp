#include "transform/omPropToolRotate.h"

#include "host/omApplication.h"
#include "host/omManipulator.h"
#include "host/omView.h"
#include "platform/omPAT_Button.h"
#include "transform/omCmdOrientRotate.h"
#include "transform/transform_panel_attribs.h"

namespace tessel::transform {
namespace {
constexpr int kCustom = 3;
constexpr float kRadiansPerDegree = 0.017453292f;
}  // namespace

omPropToolRotate::omPropToolRotate(const char* targetName)
    : omPropToolOrient(targetName, "Base Rotate") {
  axis_ = AddAttrib(
      new (std::nothrow) platform::omPAT_Int("Axis", 0, {"X", "Y", "Z", "Custom"}, kDropDownChoice));
  axisX_ = AddAttrib(unboundFloat("Axis X", 1));
  axisY_ = AddAttrib(unboundFloat("Axis Y", 0));
  axisZ_ = AddAttrib(unboundFloat("Axis Z", 0));
  angle_ = AddAttrib(unboundFloat("Angle (Deg)", 0));
  movementType_ = AddAttrib(movementTypeChoice());
  selectionType_ = AddAttrib(selectionTypeChoice());
  apply_ = AddAttrib(new platform::omPAT_Button("Apply"));
  followAxisChoice();
}

void omPropToolRotate::OnPropInit() {
  omPropToolOrient::OnPropInit();
  followAxisChoice();
}

void omPropToolRotate::followAxisChoice() {
  const int choice = intValue(axis_);
  customAxis_ = choice == kCustom;
  const int fields[3] = {axisX_, axisY_, axisZ_};
  for (int i = 0; i < 3; ++i) {
    SetAttribCtrlReadOnly(fields[i], !customAxis_);
    if (!customAxis_)
      if (auto* f = dynamic_cast<platform::omPAT_Float*>(&GetAttrib(fields[i])))
        f->SetValue(i == choice ? 1.0f : 0.0f);
  }
}

void omPropToolRotate::OnAttribChanging(int id) {
  if (id == listId()) {
    omPropToolOrient::OnAttribChanging(id);
  } else if (id == axis_) {
    followAxisChoice();
  } else if (id == apply_) {
    apply();
  }
}

omManipulator* omPropToolRotate::manipulatorOf(omMainView& view) {
  return view.GetRotateManipulator();
}

void omPropToolRotate::apply() {
  const int choice = intValue(axis_);
  float axis[3] = {choice == 0 ? 1.0f : 0.0f, choice == 1 ? 1.0f : 0.0f, choice == 2 ? 1.0f : 0.0f};
  if (choice == kCustom) {
    axis[0] = floatValue(axisX_);
    axis[1] = floatValue(axisY_);
    axis[2] = floatValue(axisZ_);
  }
  // Squared in double: components near the float limit must not overflow to a false "valid".
  const double lengthSquared = static_cast<double>(axis[0]) * axis[0] +
                               static_cast<double>(axis[1]) * axis[1] +
                               static_cast<double>(axis[2]) * axis[2];
  if (!(lengthSquared > 0)) {
    warn("Invalid axis specified.");
    return;
  }
  omApplication* app = application();
  omCommandManager* commands = app ? app->GetCommandManager() : nullptr;
  if (!commands) return;
  omCommandData* data = commands->CreateCommandData("Orient Rotate");
  if (auto* record = dynamic_cast<omCmdOrientRotateData*>(data)) {
    omPAT_Coord_Sys_List* l = list();
    record->update = false;
    record->refCoordSys = l ? l->GetSelected() : nullptr;
    for (int i = 0; i < 3; ++i) record->axis[i] = axis[i];
    record->angle = floatValue(angle_) * kRadiansPerDegree;
    record->movementType = intValue(movementType_) == 1 ? 1 : 0;
    record->selectionType = selectionBits(intValue(selectionType_));
    moveManipulatorToReference(false);
    commands->PrepareCommand();
    commands->ExecuteCommand("Orient Rotate", data);
    if (omMainView* view = mainView()) view->SetModified(1);
    if (omViewManager* views = app->GetViewManager()) views->RefreshViews(1);
    notifyPanelState();
  }
  delete data;
}

}  // namespace tessel::transform

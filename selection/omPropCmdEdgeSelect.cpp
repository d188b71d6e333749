#include "selection/omPropCmdEdgeSelect.h"

#include <cmath>

#include "host/omEntity.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "platform/omPAT_Bool.h"
#include "platform/omPAT_Float.h"
#include "selection/degenerate_polygons.h"
#include "selection/omCmdSelectSharpEdge.h"

namespace tessel::selection {
namespace {
constexpr int kCheckBox = 3;
constexpr int kSpinBox = 2;
constexpr int kEditBox = 0;
constexpr float kUnbounded = -1.0f;  // a maximum below the minimum: no upper bound

// The fold angle's bound as a cosine, in the single precision the stored records were made in.
float cosineBound(float degrees) { return -std::cos(3.1415927f * degrees * 0.0055555557f); }

// Makes `mask` the filter's current entry, telling the host when it changed. False when the
// filter does not offer it.
bool requireMask(omApplication& app, omMaskList* filter, std::uint32_t mask) {
  if (!filter || !filter->HasMask(mask)) return false;
  if (filter->GetCurrentMask() != mask) {
    filter->SelectMask(mask);
    app.NotifySync(om::kNotifyFilterChanged, nullptr);
  }
  return true;
}
}  // namespace

omPropCmdEdgeSelect::omPropCmdEdgeSelect(const char* targetName)
    : omPropCmd(targetName, "Custom Select") {
  sharpAttrib_ = AddAttrib(new platform::omPAT_Bool("Sharp Edge Polygons", true, kCheckBox));
  minAngleAttrib_ = AddAttrib(new platform::omPAT_Float("Min Angle", 0, 0, 180, 1, kSpinBox));
  maxAngleAttrib_ = AddAttrib(new platform::omPAT_Float("Max Angle", 30, 0, 180, 1, kSpinBox));
  degenerateAttrib_ = AddAttrib(new platform::omPAT_Bool("Degenerate Polygons", false, kCheckBox));
  auto* height = new platform::omPAT_Float("Min Height", 0, 0, kUnbounded, 1, kEditBox);
  height->SetDisplayFormatStr("%f");
  minHeightAttrib_ = AddAttrib(height);
  showMode(true);
  SetDegenerateTolerance(0.0);
}

bool omPropCmdEdgeSelect::boolValue(int index) {
  return static_cast<platform::omPAT_Bool&>(GetAttrib(index)).GetValue();
}
float omPropCmdEdgeSelect::floatValue(int index) {
  return static_cast<platform::omPAT_Float&>(GetAttrib(index)).GetValue();
}
void omPropCmdEdgeSelect::setBool(int index, bool value) {
  static_cast<platform::omPAT_Bool&>(GetAttrib(index)).SetValue(value);
}
void omPropCmdEdgeSelect::setFloat(int index, float value) {
  static_cast<platform::omPAT_Float&>(GetAttrib(index)).SetValue(value);
}

void omPropCmdEdgeSelect::showMode(bool sharpEdges) {
  EnableAttrib(minAngleAttrib_, sharpEdges);
  EnableAttrib(maxAngleAttrib_, sharpEdges);
  EnableAttrib(minHeightAttrib_, !sharpEdges);
}

void omPropCmdEdgeSelect::OnPropInit() {
  omPropCmd::OnPropInit();
  // Stored values may have chosen degenerate mode and a height; the panel shows and uses them
  // rather than the values it was built with.
  showMode(boolValue(sharpAttrib_));
  SetDegenerateTolerance(floatValue(minHeightAttrib_));
}

void omPropCmdEdgeSelect::OnAttribChanging(int index) {
  if (index == sharpAttrib_) {
    const bool sharp = boolValue(sharpAttrib_);
    setBool(degenerateAttrib_, !sharp);
    showMode(sharp);
  } else if (index == degenerateAttrib_) {
    const bool degenerate = boolValue(degenerateAttrib_);
    setBool(sharpAttrib_, !degenerate);
    showMode(!degenerate);
  } else if (index == minAngleAttrib_ || index == maxAngleAttrib_) {
    auto& edited = static_cast<platform::omPAT_Float&>(GetAttrib(index));
    if (edited.GetAttribChangingMethod() != platform::kChangedByUserEdit) return;
    const float lo = floatValue(minAngleAttrib_), hi = floatValue(maxAngleAttrib_);
    if (index == minAngleAttrib_ && lo > hi) setFloat(minAngleAttrib_, hi);
    if (index == maxAngleAttrib_ && hi < lo) setFloat(maxAngleAttrib_, lo);
  }
}

void omPropCmdEdgeSelect::OnAttribChanged(int index) {
  if (index == minAngleAttrib_) {
    if (floatValue(maxAngleAttrib_) < floatValue(minAngleAttrib_))
      setFloat(maxAngleAttrib_, floatValue(minAngleAttrib_));
  } else if (index == sharpAttrib_) {
    if (floatValue(minAngleAttrib_) > floatValue(maxAngleAttrib_))
      setFloat(minAngleAttrib_, floatValue(maxAngleAttrib_));
  } else if (index == minHeightAttrib_) {
    if (floatValue(minHeightAttrib_) < 0) setFloat(minHeightAttrib_, 0);
    SetDegenerateTolerance(floatValue(minHeightAttrib_));
  }
}

void omPropCmdEdgeSelect::Activate() {
  omApplication* app = platform::AfxGetApp()->application;
  omMainView* main = app ? app->GetMainView() : nullptr;
  if (!main) return;
  const bool sharp = boolValue(sharpAttrib_);
  // The stored height counts from the start, not only once the panel has been shown.
  SetDegenerateTolerance(floatValue(minHeightAttrib_));
  if (sharp && (!requireMask(*app, app->GetObjectFilter(), om::kMaskMesh) ||
                !requireMask(*app, app->GetComponentFilter(), om::kMaskFaces)))
    return;
  main->SetObjectMode(0);
  if (omEntityList* list = main->GetSelection(-1)) list->Clear();
  app->NotifySync(om::kNotifySelectionChanged, nullptr);
  runWithRecord<omCmdSelectSharpEdgeData>([&](omCmdSelectSharpEdgeData& record) {
    record.sharpEdges = sharp;
    record.minCosine = cosineBound(floatValue(minAngleAttrib_));
    record.maxCosine = cosineBound(floatValue(maxAngleAttrib_));
    return true;
  });
}

}  // namespace tessel::selection

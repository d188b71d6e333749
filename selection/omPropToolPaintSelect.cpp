#include "selection/omPropToolPaintSelect.h"

#include <cmath>

#include "platform/omPAT_Int.h"
#include "selection/omToolPaintSelect.h"
#include "selection/panel_tool.h"

namespace tessel::selection {
namespace {
constexpr int kSpinBox = 2;
}  // namespace

omPropToolPaintSelect::omPropToolPaintSelect(const char* targetName)
    : omPropTool(targetName, "Paint Select") {
  sizeAttrib_ = AddAttrib(new platform::omPAT_Int(
      "Brush Size", 10, static_cast<int>(omToolPaintSelect::kMinBrushSize),
      static_cast<int>(omToolPaintSelect::kMaxBrushSize), 1, kSpinBox));
}

void omPropToolPaintSelect::OnPropInit() {
  omPropTool::OnPropInit();
  auto* tool = panelTool<omToolPaintSelect>(GetTargetName());
  const float size = tool ? tool->GetBrushSize() : NAN;
  if (size >= omToolPaintSelect::kMinBrushSize && size <= omToolPaintSelect::kMaxBrushSize)
    static_cast<platform::omPAT_Int&>(GetAttrib(sizeAttrib_)).SetValue(static_cast<int>(size));
}

void omPropToolPaintSelect::pushSize() {
  // The attribute holds only sizes in its range: an edit outside it never gets here.
  if (auto* tool = panelTool<omToolPaintSelect>(GetTargetName()))
    tool->SetBrushSize(
        static_cast<float>(static_cast<platform::omPAT_Int&>(GetAttrib(sizeAttrib_)).GetValue()));
}

void omPropToolPaintSelect::OnAttribChanged(int index) {
  if (index == sizeAttrib_) pushSize();
}

void omPropToolPaintSelect::LinkTool() {
  omPropTool::LinkTool();
  pushSize();
}

}  // namespace tessel::selection

// The module's registration tables. A tool or command joins by filling in its factory (and its
// panel's creator, for a panel class of its own) where its row stands.
#include "camera/omCmdFitToAll.h"
#include "camera/omCmdFitToSelected.h"
#include "camera/omPropCmdFitToAll.h"
#include "camera/omPropCmdFitToSelected.h"
#include "camera/omToolDolly.h"
#include "camera/omToolMenu.h"
#include "camera/omToolPan.h"
#include "camera/omToolRoll.h"
#include "camera/omToolTumble.h"
#include "camera/omToolZoom.h"
#include "framework/omPropCmd.h"
#include "framework/omPropTool.h"
#include "resources/registration_tables.h"
#include "resources/resource_ids.h"
#include "scene/omCmdCoordSysDelete.h"
#include "scene/omCmdCurrentMapDelete.h"
#include "scene/omCmdLightDelete.h"
#include "scene/omPropToolLightEval.h"
#include "scene/omToolLightEval.h"
#include "selection/omCmdCycleSelect.h"
#include "selection/omCmdSelectAll.h"
#include "selection/omCmdSelectInverse.h"
#include "selection/omCmdSeedSelect.h"
#include "selection/omCmdSelectNone.h"
#include "selection/omCmdSelectSharpEdge.h"
#include "selection/omPropCmdEdgeSelect.h"
#include "selection/omPropCmdSeedSelect.h"
#include "selection/omPropToolLassoSelectComponent.h"
#include "selection/omPropToolPaintSelect.h"
#include "selection/omPropToolSelectComponent.h"
#include "selection/omToolLassoSelect.h"
#include "selection/omToolPaintSelect.h"
#include "selection/omToolSelect.h"
#include "selection/omToolSelectComponent.h"
#include "selection/omToolSelectModifyMask.h"
#include "transform/omCmdOrientReset.h"
#include "transform/omCmdOrientRotate.h"
#include "transform/omCmdOrientScale.h"
#include "transform/omCmdOrientSynchronize.h"
#include "transform/omCmdOrientTranslate.h"
#include "transform/omPropCmdOrientSynchronize.h"
#include "transform/omPropToolRotate.h"
#include "transform/omPropToolScale.h"
#include "transform/omPropToolTranslate.h"
#include "transform/omToolRotate.h"
#include "transform/omToolScale.h"
#include "transform/omToolTranslate.h"

namespace tessel::resources {
namespace {

using framework::omPropCmd;
using framework::omPropTool;
using framework::createCommand;
using framework::createTool;

// Registered in this order.
constexpr CommandEntry kCommands[] = {
    {"Select All", createCommand<selection::omCmdSelectAll>},
    {"Select None", createCommand<selection::omCmdSelectNone>},
    {"Cycle Selection", createCommand<selection::omCmdCycleSelect>},
    {"Select Inverse", createCommand<selection::omCmdSelectInverse>},
    {"Seed Select", createCommand<selection::omCmdSeedSelect>},
    {"Custom Select", createCommand<selection::omCmdSelectSharpEdge>},
    {"View All", createCommand<camera::omCmdFitToAll>},
    {"View Selected", createCommand<camera::omCmdFitToSelected>},
    {"Orient Reset", createCommand<transform::omCmdOrientReset>},
    {"Orient Scale", createCommand<transform::omCmdOrientScale>},
    {"Orient Rotate", createCommand<transform::omCmdOrientRotate>},
    {"Orient Translate", createCommand<transform::omCmdOrientTranslate>},
    {"Orient Sync", createCommand<transform::omCmdOrientSynchronize>},
    {"Coord Sys Delete", createCommand<scene::omCmdCoordSysDelete>},
    {"Light Delete", createCommand<scene::omCmdLightDelete>},
    {"Current Map Delete", createCommand<scene::omCmdCurrentMapDelete>},
};

constexpr ToolEntry kTools[] = {
    {"Object Select", createTool<selection::omToolSelect>},
    {"Component Select", createTool<selection::omToolSelectComponent>},
    {"Paint Select", createTool<selection::omToolPaintSelect>},
    {"Lasso Select", createTool<selection::omToolLassoSelect>},
    {"Modify Mask Select", createTool<selection::omToolSelectModifyMask>},
    {"Dolly", createTool<camera::omToolDolly>},
    {"Menu", createTool<camera::omToolMenu>},
    {"Pan", createTool<camera::omToolPan>},
    {"Roll", createTool<camera::omToolRoll>},
    {"Tumble", createTool<camera::omToolTumble>},
    {"Zoom", createTool<camera::omToolZoom>},
    {"Base Rotate", createTool<transform::omToolRotate>},
    {"Base Translate", createTool<transform::omToolTranslate>},
    {"Base Scale", createTool<transform::omToolScale>},
    {"Eval Light", createTool<scene::omToolLightEval>},
};

// Processed in this order. A null creator marks a panel class still to be built.
const PanelEntry kPanels[] = {
    {id::kObjectSelect, createPanel<omPropTool>, "Object Select"},
    {id::kComponentSelect, createPanel<selection::omPropToolSelectComponent>, "Component Select"},
    {id::kPaintSelect, createPanel<selection::omPropToolPaintSelect>, "Paint Select"},
    {id::kLassoSelect, createPanel<selection::omPropToolLassoSelectComponent>, "Lasso Select"},
    {id::kSelectAll, createPanel<omPropCmd>, "Select All"},
    {id::kSelectNone, createPanel<omPropCmd>, "Select None"},
    {id::kSelectInverse, createPanel<omPropCmd>, "Select Inverse"},
    {id::kCycleSelection, createPanel<omPropCmd>, "Cycle Selection"},
    {id::kCustomSelect, createPanel<selection::omPropCmdEdgeSelect>, "Custom Select"},
    {id::kOrientSync, createPanel<transform::omPropCmdOrientSynchronize>, "Orient Sync"},
    {id::kTranslate, createPanel<transform::omPropToolTranslate>, "Base Translate",
     "Orient Translate"},
    {id::kRotate, createPanel<transform::omPropToolRotate>, "Base Rotate", "Orient Rotate"},
    {id::kScale, createPanel<transform::omPropToolScale>, "Base Scale", "Orient Scale"},
    {id::kEvalLight, createPanel<scene::omPropToolLightEval>, "Eval Light"},
    {id::kPan, createPanel<omPropTool>, "Pan"},
    {id::kTumble, createPanel<omPropTool>, "Tumble"},
    {id::kRoll, createPanel<omPropTool>, "Roll"},
    {id::kDolly, createPanel<omPropTool>, "Dolly"},
    {id::kViewAll, createPanel<camera::omPropCmdFitToAll>, "View All"},
    {id::kViewSelected, createPanel<camera::omPropCmdFitToSelected>, "View Selected"},
    {id::kZoom, createPanel<omPropTool>, "Zoom"},
    {id::kFlood, createPanel<selection::omPropCmdSeedSelect>, "Seed Select"},
};

}  // namespace

const RegistrationTables& registrationTables() {
  static const RegistrationTables tables{kCommands, kTools, kPanels};
  return tables;
}

}  // namespace tessel::resources

// The module's registration tables. A tool or command joins by filling in its factory (and its
// panel's creator, for a panel class of its own) where its row stands.
#include "framework/omPropCmd.h"
#include "framework/omPropTool.h"
#include "resources/registration_tables.h"
#include "resources/resource_ids.h"

namespace tessel::resources {
namespace {

using framework::omPropCmd;
using framework::omPropTool;

// Registered in this order.
constexpr CommandEntry kCommands[] = {
    {"Select All", nullptr},       {"Select None", nullptr},      {"Cycle Selection", nullptr},
    {"Select Inverse", nullptr},   {"Seed Select", nullptr},      {"Custom Select", nullptr},
    {"View All", nullptr},         {"View Selected", nullptr},    {"Orient Reset", nullptr},
    {"Orient Scale", nullptr},     {"Orient Rotate", nullptr},    {"Orient Translate", nullptr},
    {"Orient Sync", nullptr},      {"Coord Sys Delete", nullptr}, {"Light Delete", nullptr},
    {"Current Map Delete", nullptr},
};

constexpr ToolEntry kTools[] = {
    {"Object Select", nullptr}, {"Component Select", nullptr},   {"Paint Select", nullptr},
    {"Lasso Select", nullptr},  {"Modify Mask Select", nullptr}, {"Dolly", nullptr},
    {"Menu", nullptr},          {"Pan", nullptr},                {"Roll", nullptr},
    {"Tumble", nullptr},        {"Zoom", nullptr},               {"Base Rotate", nullptr},
    {"Base Translate", nullptr}, {"Base Scale", nullptr},        {"Eval Light", nullptr},
};

// Processed in this order. A null creator marks a panel class still to be built.
const PanelEntry kPanels[] = {
    {id::kObjectSelect, createPanel<omPropTool>, "Object Select"},
    {id::kComponentSelect, nullptr, "Component Select"},
    {id::kPaintSelect, nullptr, "Paint Select"},
    {id::kLassoSelect, nullptr, "Lasso Select"},
    {id::kSelectAll, createPanel<omPropCmd>, "Select All"},
    {id::kSelectNone, createPanel<omPropCmd>, "Select None"},
    {id::kSelectInverse, createPanel<omPropCmd>, "Select Inverse"},
    {id::kCycleSelection, createPanel<omPropCmd>, "Cycle Selection"},
    {id::kCustomSelect, nullptr, "Custom Select"},
    {id::kOrientSync, nullptr, "Orient Sync"},
    {id::kTranslate, nullptr, "Base Translate"},
    {id::kRotate, nullptr, "Base Rotate"},
    {id::kScale, nullptr, "Base Scale"},
    {id::kEvalLight, nullptr, "Eval Light"},
    {id::kPan, createPanel<omPropTool>, "Pan"},
    {id::kTumble, createPanel<omPropTool>, "Tumble"},
    {id::kRoll, createPanel<omPropTool>, "Roll"},
    {id::kDolly, createPanel<omPropTool>, "Dolly"},
    {id::kViewAll, nullptr, "View All"},
    {id::kViewSelected, nullptr, "View Selected"},
    {id::kZoom, createPanel<omPropTool>, "Zoom"},
    {id::kFlood, nullptr, "Seed Select"},
};

}  // namespace

const RegistrationTables& registrationTables() {
  static const RegistrationTables tables{kCommands, kTools, kPanels};
  return tables;
}

}  // namespace tessel::resources

#include "resources/ui_resources.h"

#include "resources/resource_ids.h"

namespace tessel::resources {
namespace {

using platform::MenuTemplateItem;

MenuTemplateItem item(const char* text, std::uint32_t cmd) { return {text, cmd, {}, false}; }
MenuTemplateItem separator() { return {}; }
MenuTemplateItem popup(const char* text, std::vector<MenuTemplateItem> children) {
  return {text, 0, std::move(children), true};
}

std::vector<MenuTemplateItem> buildModuleMenu() {
  return {
      item("&File", id::kFile),
      item("&Edit", id::kEdit),
      popup("&View",
            {item("Show &Hierarchy Tree", id::kShowHierarchy),
             item("Show Prop&erties Sheet", id::kShowProperties),
             popup("Show T&oolbars", {item("No Toolbars Available", id::kNoToolbars), separator(),
                                      item("&All", id::kAllToolbars),
                                      item("&None", id::kNoneToolbars)}),
             separator(), item("Show Screen &Grid", id::kScreenGrid), separator(),
             item("&Tumble", id::kTumble), item("&Pan", id::kPan), item("&Roll", id::kRoll),
             item("&Dolly", id::kDolly), separator(), item("&View All", id::kViewAll),
             item("View &Selected", id::kViewSelected), item("&Zoom", id::kZoom), separator(),
             popup("&Lights",
                   {item("&Display", id::kDisplayLights),
                    popup("&Create", {item("&Directional Light", id::kDirectionalLight),
                                      item("&Evaluation Light", id::kEvalLight)})})}),
      popup("&Select",
            {item("&Object", id::kObjectSelect),
             popup("O&bject Filter", {item("No Filters Available", id::kObjectFilterFirst)}),
             separator(), item("&Flood", id::kFlood),
             item("&Component Select...", id::kComponentSelect),
             item("&Lasso...", id::kLassoSelect), item("&Paint...", id::kPaintSelect),
             popup("Component Fil&ter", {item("No Filters Available", id::kComponentFilterFirst)}),
             separator(), item("&All", id::kSelectAll), item("&Deselect", id::kSelectNone),
             item("&Invert", id::kSelectInverse), item("C&ycle", id::kCycleSelection)}),
      popup("&Orient", {item("S&ynchronize...", id::kOrientSync),
                        item("&Translate...", id::kTranslate), item("&Rotate...", id::kRotate),
                        item("&Scale...", id::kScale), separator(),
                        item("&Create Coord Sys", id::kCreateCoordSys)}),
  };
}

constexpr ToolBarEntry kToolBars[] = {
    {id::kToolBarSelect, "Select", true, false},  {id::kToolBarZoom, "Zoom", true, true},
    {id::kToolBarOrient, "Orient", true, false},  {id::kToolBarCamera, "Camera", false, true},
    {id::kToolBarLight, "Light", false, false},
};

const std::vector<platform::ToolBarTemplate>& toolBarResources() {
  static const std::vector<platform::ToolBarTemplate> bars = {
      {id::kToolBarSelect,
       {id::kObjectSelect, id::kObjectFilterCombo, 0, id::kFlood, id::kComponentSelect,
        id::kLassoSelect, id::kPaintSelect, id::kComponentFilterCombo, 0, id::kCustomSelect}},
      {id::kToolBarZoom, {id::kViewAll, id::kViewSelected, 0, id::kZoom}},
      {id::kToolBarOrient,
       {id::kOrientSync, id::kTranslate, id::kRotate, id::kScale, 0, id::kCreateCoordSys}},
      {id::kToolBarCamera, {id::kTumble, id::kPan, id::kRoll, id::kDolly}},
      {id::kToolBarLight, {id::kDisplayLights, id::kDirectionalLight, id::kEvalLight}},
  };
  return bars;
}

}  // namespace

std::span<const ToolBarEntry> toolBarTable() { return kToolBars; }

const std::vector<MenuTemplateItem>* findMenu(std::uint32_t resourceId) {
  static const std::vector<MenuTemplateItem> menu = buildModuleMenu();
  return resourceId == id::kMenuModule ? &menu : nullptr;
}

const platform::ToolBarTemplate* findToolBar(std::uint32_t resourceId) {
  for (const platform::ToolBarTemplate& bar : toolBarResources())
    if (bar.id == resourceId) return &bar;
  return nullptr;
}

const std::vector<platform::ACCEL>* findAccelerators(std::uint32_t resourceId) {
  using platform::FCONTROL;
  using platform::FVIRTKEY;
  constexpr std::uint8_t kCtrl = FVIRTKEY | FCONTROL;
  static const std::vector<platform::ACCEL> table = {
      {kCtrl, 'A', id::kSelectAll},           {FVIRTKEY, 'C', id::kComponentSelect},
      {kCtrl, 'D', id::kSelectNone},          {kCtrl, 'I', id::kSelectInverse},
      {FVIRTKEY, 'S', id::kObjectSelect},     {FVIRTKEY, 'V', id::kViewSelected},
      {FVIRTKEY, 39, id::kCycleSelection},    {FVIRTKEY, 'W', id::kViewAll},
      {FVIRTKEY, 'Y', id::kPaintSelect},      {FVIRTKEY, 'Z', id::kZoom},
  };
  return resourceId == id::kAccelModule ? &table : nullptr;
}

}  // namespace tessel::resources

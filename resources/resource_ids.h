// Command IDs shared by the menu, the toolbar buttons, the accelerators, the string table and the
// panel map, and the IDs of the module's resources. Stored in users' settings and toolbar
// layouts: never renumber.
#pragma once

#include <cstdint>

namespace tessel::resources::id {

// [SECTION] resources
inline constexpr std::uint32_t kMenuModule = 229;
inline constexpr std::uint32_t kAccelModule = 235;
inline constexpr std::uint32_t kToolBarSelect = 112;
inline constexpr std::uint32_t kToolBarZoom = 233;
inline constexpr std::uint32_t kToolBarOrient = 107;
inline constexpr std::uint32_t kToolBarCamera = 114;
inline constexpr std::uint32_t kToolBarLight = 111;

// [SECTION] commands with a panel
inline constexpr std::uint32_t kObjectSelect = 33825;
inline constexpr std::uint32_t kComponentSelect = 33826;
inline constexpr std::uint32_t kPaintSelect = 33827;
inline constexpr std::uint32_t kLassoSelect = 33828;
inline constexpr std::uint32_t kSelectAll = 33830;
inline constexpr std::uint32_t kSelectNone = 33831;
inline constexpr std::uint32_t kSelectInverse = 33832;
inline constexpr std::uint32_t kCycleSelection = 33833;
inline constexpr std::uint32_t kCustomSelect = 34029;
inline constexpr std::uint32_t kOrientSync = 33839;
inline constexpr std::uint32_t kTranslate = 33837;
inline constexpr std::uint32_t kRotate = 33836;
inline constexpr std::uint32_t kScale = 33838;
inline constexpr std::uint32_t kEvalLight = 34026;
inline constexpr std::uint32_t kPan = 34021;
inline constexpr std::uint32_t kTumble = 34022;
inline constexpr std::uint32_t kRoll = 33810;
inline constexpr std::uint32_t kDolly = 33811;
inline constexpr std::uint32_t kViewAll = 33814;
inline constexpr std::uint32_t kViewSelected = 33815;
inline constexpr std::uint32_t kZoom = 33812;
inline constexpr std::uint32_t kFlood = 34025;

// [SECTION] menu and toolbar commands handled by the module itself
inline constexpr std::uint32_t kFile = 34018;
inline constexpr std::uint32_t kEdit = 65535;
inline constexpr std::uint32_t kShowHierarchy = 33843;
inline constexpr std::uint32_t kShowProperties = 33844;
inline constexpr std::uint32_t kNoToolbars = 33986;
inline constexpr std::uint32_t kAllToolbars = 33020;
inline constexpr std::uint32_t kNoneToolbars = 33021;
inline constexpr std::uint32_t kScreenGrid = 33896;
inline constexpr std::uint32_t kDisplayLights = 33822;
inline constexpr std::uint32_t kDirectionalLight = 33824;
inline constexpr std::uint32_t kSelectLights = 33823;
inline constexpr std::uint32_t kSelectCoordSys = 33834;
// The filter submenus own these ranges: one ID per entry, from the placeholder's ID on.
inline constexpr std::uint32_t kObjectFilterFirst = 33771;
inline constexpr std::uint32_t kObjectFilterLast = 33790;
inline constexpr std::uint32_t kComponentFilterFirst = 33791;
inline constexpr std::uint32_t kComponentFilterLast = 33800;
inline constexpr std::uint32_t kCreateCoordSys = 33835;
inline constexpr std::uint32_t kObjectFilterCombo = 34019;
inline constexpr std::uint32_t kComponentFilterCombo = 34020;

}  // namespace tessel::resources::id

// Codes shared by the host and every tool and command. They cross the plug-in boundary and are
// stored in scripts and settings: add, never renumber.
#pragma once

#include <cstdint>

namespace om {

// Keys asked with omView::IsKeyUp and passed to omTool::Key.
enum Key : std::int32_t { kKeyAlt = 0, kKeyCtrl = 1, kKeyShift = 2, kKeyFilterStep = 4 };

// Mouse buttons (a bit each, so MouseDrag can pass several) and button actions.
enum Button : std::int32_t { kButtonLeft = 1, kButtonMiddle = 2, kButtonRight = 4 };
enum ButtonAction : std::int32_t { kActionPress = 0, kActionRelease = 1 };

// Event codes sent back to the host through omApplication::Notify.
enum NotifyCode : std::int32_t {
  kNotifySelectionChanged = 10,
  kNotifyComponentSelectionChanged = 11,
  kNotifyPanelStateChanged = 14,
  kNotifyBrushSize = 18,
  kNotifyFilterChanged = 29,
  kNotifyCoordSysCreated = 34,
  kNotifyEntityMoved = 36,
};

// Event codes the host broadcasts that the module reacts to.
enum EventCode : std::int32_t {
  kEventDocumentKindChanged = 9,
  // The current tool changed: a showing panel whose attributes depend on its tool being active
  // looks again.
  kEventToolChanged = 17,
  // An entity joined or left the scene (lists of entities rebuild).
  kEventEntityAdded = 12,
  kEventEntityDeleted = 13,
  kEventFilterListRefilled = 28,
  kEventFilterListChanged = 29,
};

// omMainView::Redraw flags.
enum RedrawFlag : std::int32_t {
  kRedrawFull = 0,
  kRedrawObjectSelection = 9,
  kRedrawComponentSelection = 10,
  kRedrawTransformDrag = 12,
  kRedrawCameraGesture = 13,
};

// omEntity::GetType answers.
enum EntityType : std::uint32_t {
  kEntityCoordSys = 0x40080000u,
  kEntityLight = 0x40048000u,
  kEntityPolygonMesh = 0x40021001u,
  kEntitySingleComponentSelection = 0x40002000u,
  kEntityConnectedA = 0x40011001u,
  kEntityConnectedB = 0x40024000u,
  kEntityDeletedOwner = 0x40042002u,
};

// Bits of an entity's state word (omEntity::GetStateFlags) that the module sets.
enum EntityStateFlag : std::uint32_t { kStateHasComponentSelection = 0x4u };

// Entity groups (omMainView::GetGroup).
enum GroupKind : std::int32_t { kGroupLights = 6, kGroupCoordSys = 7 };

// Light kinds (omEntity::SetLightKind) and the display bit of the light flag words.
inline constexpr std::int32_t kLightDirectional = 4;
inline constexpr std::uint32_t kLightDisplayBit = 0x400u;
inline constexpr std::int32_t kLightSlots = 10;

// The permission word a deletion asks omToolManager::IsAllowed for.
inline constexpr std::uint32_t kAllowDelete = 0x110u;

// Message box styles.
inline constexpr std::uint32_t kMessageBoxExclamation = 0x30u;
// The system's busy pointer, as omModuleHost::SetSystemCursor takes it (the classic IDC_WAIT).
inline constexpr std::int32_t kSystemCursorWait = 32514;

// Object filter masks.
enum ObjectMask : std::uint32_t {
  kMaskMesh = 0x80000u,
  kMaskCurve = 0x100000u,
  kMaskSpring = 0x200000u,
  kMaskSurface = 0x800000u,
  kMaskPointCloud = 0x1000000u,
  kMaskSolid = 0x2000000u,
  kMaskLights = 0x4000000u,
  kMaskCoordSys = 0x8000000u,
};

// Mesh component filter masks.
enum ComponentMask : std::uint32_t {
  kMaskVertices = 1u,
  kMaskFaces = 2u,
  kMaskEdges = 4u,
  kMaskHoles = 8u,
};

// Result codes of CreateModule2 and Execute.
inline constexpr std::uint32_t kCreateOk = 1u;
inline constexpr std::uint32_t kCreateOutOfMemory = 0x80000000u;
inline constexpr std::int32_t kExecuteRan = 2;
inline constexpr std::int32_t kExecuteNotApplicable = 3;

}  // namespace om

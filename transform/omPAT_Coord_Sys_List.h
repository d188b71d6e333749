// The "Ref Coord System" drop-down of the transform panels: the scene's coordinate systems by
// name, a snapshot taken when it is built, and the coordinate-system displays its panel hid
// while it is shown (the chosen reference and the selected entities' own), so they come back.
#pragma once

#include <string>
#include <vector>

#include "platform/omPAT_Int.h"

class omEntity;
class omMainView;
struct omEvent;

namespace tessel::platform {
class omPropertyObj;
}

namespace tessel::transform {

class omPAT_Coord_Sys_List : public platform::omPAT_Int {
 public:
  // A placeholder holds one entry "temp" standing for no coordinate system.
  static omPAT_Coord_Sys_List* Create(const char* name, bool placeholder);

  int GetCount() const { return static_cast<int>(entities_.size()); }
  // Null out of range.
  omEntity* GetAt(int index) const;
  // The chosen entry; past the list (index -1 included), the global coordinate system; null
  // without a main view.
  omEntity* GetSelected() const;
  // The index of `entity`, or -1.
  int IndexOf(omEntity* entity) const;

  // Replaces the list at `index` of `panel` by a fresh snapshot that keeps the chosen entity and
  // the displays hidden so far; the new list, or null when there is none at `index`.
  static omPAT_Coord_Sys_List* Rebuild(platform::omPropertyObj& panel, int index);

  // Hides the displays of the selected entities' coordinate systems and of the reference; true
  // when anything was hidden.
  bool HideDisplays();
  // Shows everything hidden so far and forgets it; true when there was anything.
  bool ShowDisplays();
  // The user chose another entry: the old reference shows again, the new one hides.
  bool ReferenceChanged();
  // The host rebuilt its scene: the hidden entities are gone, nothing is shown.
  void Forget();
  // Whether a change to `entity` (event 14) means the names of the list are stale.
  bool AffectsList(omEntity* entity) const;

  // How a panel keeps the list at `index`: opened (rebuild, choose the active entity's
  // coordinate system, hide displays), closed (show them again), told of a host event (forget on
  // 0; rebuild on 12, 13 and on 14 unless the entity does not concern the list).
  static void PanelShown(platform::omPropertyObj& panel, int index);
  static void PanelClosed(platform::omPropertyObj& panel, int index);
  static void PanelNotified(platform::omPropertyObj& panel, int index, const omEvent* event,
                            void* param);
  // Manipulator and views follow a change of what is shown.
  static void RefreshManipulator();

  const std::vector<omEntity*>& hiddenDisplays() const { return hiddenDisplays_; }
  omEntity* hiddenReference() const { return hiddenReference_; }

 private:
  omPAT_Coord_Sys_List(const char* name, const std::vector<std::string>& names,
                       std::vector<omEntity*> entities);

  std::vector<std::string> names_;
  std::vector<omEntity*> entities_;
  std::vector<omEntity*> hiddenDisplays_;
  omEntity* hiddenReference_ = nullptr;
};

}  // namespace tessel::transform

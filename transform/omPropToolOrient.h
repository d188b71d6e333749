// What the translate, rotate and scale panels share: the "Ref Coord System" list as their first
// attribute, hiding and showing coordinate-system displays as the panel opens and closes,
// rebuilding the list on scene events, the manipulator put on the chosen reference, and running
// their orient command from "Apply".
#pragma once

#include <cstdint>

#include "framework/omPropTool.h"
#include "transform/omPAT_Coord_Sys_List.h"

class omApplication;
class omMainView;
class omManipulator;

namespace tessel::transform {

class omPropToolOrient : public framework::omPropTool {
 public:
  omPropToolOrient(const char* targetName, const char* title);

  void OnPropInit() override;
  void OnPropDestroy() override;
  void OnNotify(const omEvent* event, void* param) override;
  // Another "Ref Coord System": its display is hidden in place of the old one's.
  void OnAttribChanging(int id) override;
  // A committed "Ref Coord System" puts the manipulator on the reference, whatever the displays
  // did: the manipulator stays on the chosen reference while the panel is shown.
  void OnAttribChanged(int id) override;
  // Pushes the tool over "Modify Mask Select" instead of replacing it.
  void Activate() override;

  omPAT_Coord_Sys_List* list();
  int listId() const { return listId_; }

 protected:
  static omApplication* application();
  static omMainView* mainView();
  static void warn(const char* text);
  static void notifyPanelState();
  // Puts the panel's manipulator on the chosen reference (its origin and axes); `refresh` also
  // refreshes the views.
  void moveManipulatorToReference(bool refresh);
  // The host's manipulator of the panel's tool.
  virtual omManipulator* manipulatorOf(omMainView& view) = 0;
  // Panel choice 0, 1, 2 of "Selection Type" as the records' bit mask.
  static std::uint32_t selectionBits(int choice);
  float floatValue(int id);
  int intValue(int id);

 private:
  int listId_;
};

}  // namespace tessel::transform

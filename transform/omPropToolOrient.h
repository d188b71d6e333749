// What the translate, rotate and scale panels share: the "Ref Coord System" list as their first
// attribute, hiding and showing coordinate-system displays as the panel opens and closes,
// rebuilding the list on scene events, and running their orient command from "Apply".
#pragma once

#include <cstdint>
#include <string>

#include "framework/omPropTool.h"
#include "transform/omPAT_Coord_Sys_List.h"

class omApplication;
class omMainView;

namespace tessel::transform {

class omPropToolOrient : public framework::omPropTool {
 public:
  omPropToolOrient(const char* targetName, const char* title, const char* commandName);

  void OnPropInit() override;
  void OnPropDestroy() override;
  void OnNotify(const omEvent* event, void* param) override;
  // Until the manipulator tool exists, the panel follows its command, so "Apply" still works.
  void OnUpdateCmdUI(platform::CCmdUI* ui) override;
  // Pushes the tool over "Modify Mask Select" instead of replacing it.
  void Activate() override;

  omPAT_Coord_Sys_List* list();
  int listId() const { return listId_; }

 protected:
  static omApplication* application();
  static omMainView* mainView();
  static void warn(const char* text);
  static void notifyPanelState();
  // The manipulator and the views follow a change of what is shown.
  static void refreshManipulator();
  // Puts the manipulator on the chosen reference; `refresh` also refreshes the views.
  void moveManipulatorToReference(bool refresh);
  // Panel choice 0, 1, 2 of "Selection Type" as the records' bit mask.
  static std::uint32_t selectionBits(int choice);
  float floatValue(int id);
  int intValue(int id);
  const char* commandName() const { return commandName_.c_str(); }

 private:
  int listId_;
  std::string commandName_;
  std::int32_t followedEnabled_ = -1;
};

}  // namespace tessel::transform

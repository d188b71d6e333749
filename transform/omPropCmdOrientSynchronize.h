// "Synchronize": the synchronize button's panel: the reference coordinate system, what to carry
// onto it, and "Box Reset", which puts the selection's frames on their bounding boxes.
#pragma once

#include "framework/omPropCmd.h"

namespace tessel::transform {

class omPropCmdOrientSynchronize : public framework::omPropCmd {
 public:
  explicit omPropCmdOrientSynchronize(const char* targetName);
  void OnPropInit() override;
  void OnPropDestroy() override;
  void OnAttribChanging(int id) override;
  void OnNotify(const omEvent* event, void* param) override;
  void Activate() override;

  int listId() const { return list_; }

 private:
  int list_, selectionType_, boxReset_;
};

}  // namespace tessel::transform

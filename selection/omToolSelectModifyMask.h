// "Modify Mask Select": Object Select under a temporary object-filter mask (lights only, or
// coordinate systems only), chosen through SelectMask by the module's filter menu.
#pragma once

#include "selection/omToolSelect.h"

namespace tessel::selection {

class omToolSelectModifyMask : public omToolSelect {
 public:
  const char* GetName() override { return "Modify Mask Select"; }
  void Activate() override;
  void Deactivate() override;

  virtual std::int32_t GetMaskValue() { return maskValue_; }
  // Switches this tool on for the named filter entry; nothing when it already runs with it.
  virtual void SelectMask(const char* name);
  virtual void SetMaskValue(std::int32_t value) { maskValue_ = value; }

 private:
  // Clears the selection, announcing it; true when there was one.
  bool clearSelection();

  std::int32_t maskValue_ = 0;
  std::int32_t savedMaskState_ = 0;
  const char* maskName_ = nullptr;  // not copied: the callers pass static names
  bool pushed_ = false;             // the object filter holds our temporary mask
};

}  // namespace tessel::selection

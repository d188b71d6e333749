// A filter combo on the "Select" toolbar: shows the entries of one of the host's mask lists and
// makes the user's pick the list's current entry.
#pragma once

#include "platform/CCJFlatComboBox.h"

class omMaskList;
struct omEvent;

namespace tessel::module {

class omMaskComboBox : public platform::CCJFlatComboBox {
 public:
  virtual void Disable() { EnableWindow(false); }
  virtual void Enable() { EnableWindow(true); }

  // Remembers the list and shows its entries, the list's current one selected.
  void Fill(omMaskList* list);
  // A refill (codes 28 and 29) of this combo's own list shows the new entries.
  void OnFilterEvent(const omEvent* event, void* param);
  omMaskList* maskList() const { return maskList_; }
  // The user picked an entry: it becomes the list's current one. Leaving or entering a kind whose
  // selection cannot carry over (filter_menus.h, clearsSelection) clears the selection.
  void OnSelectionChosen();

 protected:
  void OnSelEndOk() override { OnSelectionChosen(); }

 private:
  void load();

  omMaskList* maskList_ = nullptr;
};

}  // namespace tessel::module

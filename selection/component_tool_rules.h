// What the component tools share: the modifier rule, the start-up and selection-announcing steps,
// the prompt, the cursors and the key handling of "Component Select" and "Lasso Select" (and the
// parts "Paint Select" uses).
#pragma once

#include <cstdint>

class omApplication;
class omEntityList;
class omMainView;
class omView;

namespace tessel::selection {

inline constexpr char kComponentPrompt[] =
    "Press SHIFT to add to the selection or CONTROL to remove from selection.";

// Cursor resources of the component tools.
enum ComponentCursor : std::int32_t {
  kCursorComponent = 5007,
  kCursorComponentAdd = 5008,
  kCursorComponentRemove = 5009,
  kCursorPaint = 5015,
  kCursorPaintAdd = 5016,
  kCursorPaintRemove = 5017,
};

struct SelectMode {
  bool keep;    // add to or remove from the selection instead of replacing it
  bool select;  // false: remove
};

// SHIFT adds, CTRL removes, neither replaces; with both held SHIFT wins and adds.
SelectMode componentSelectMode(bool shiftHeld, bool ctrlHeld);
// Reads the keys from `input`, tells the main view whether to keep the selection, and answers
// the select flag.
bool applyComponentModifiers(omView& input, omMainView& main);

// Only while nobody holds the main view's lock, and with a component filter to select by.
bool canStartComponentTool(omApplication* app);
// Coming from object mode the object selection goes (announced at once); the view switches to
// component mode too when `switchMode`.
void leaveObjectMode(omApplication& app, bool switchMode);
// The start of a component tool: the status cleared, object mode left (see leaveObjectMode), the
// main view's component display on (holes and vertex dots too when `holesAndVertices`) and the
// views redrawn.
void startComponentTool(omApplication& app, bool switchMode, bool holesAndVertices);
// A middle-button press: the selection goes, announced at once.
void clearSelectionNow(omApplication& app, omEntityList* selection);
// After a selection request: component selection changed.
void notifyComponentSelection(omApplication& app);
// Then the highlight redrawn when anything is selected, else just a refresh.
void redrawComponentSelection(omApplication& app, omMainView& main, omEntityList* selection);

// The system's busy pointer for the life of the object; the pointer it replaced comes back as
// it ends.
class WaitCursor {
 public:
  WaitCursor();
  ~WaitCursor();
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  std::int32_t previous_;
};

// Shows a cursor resource in every view; 0 puts the host's own back.
void showCursor(omApplication* app, std::int32_t id);
void showComponentPrompt(omApplication* app);
// Key of the component and lasso tools: SHIFT and CTRL show their cursors while pressed, the
// filter-step key moves the component filter on, any release shows the plain cursor.
void componentToolKey(omApplication* app, std::int32_t key, std::int32_t action);
void clearStatus(omApplication* app);
void refreshViews(omApplication& app, std::int32_t flags);

}  // namespace tessel::selection

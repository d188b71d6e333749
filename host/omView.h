// Views, their cameras and the main view. Only what the module calls so far; later tools append
// operations. Virtual orders are the contract with the host binary: append, never reorder.
#pragma once

#include <cstdint>

struct omCursor;
class omEntity;
class omEntityList;
class omEntitySet;
class omGroup;

// A view's evaluation light: a directional light fixed to the camera, placed by pointing.
class omEvalLight {
 public:
  // Places the light for the view pixel `position` (x, y) of a view width x height pixels.
  virtual void PlaceAt(const float* position, std::int32_t width, std::int32_t height) = 0;
  virtual void ResetPlacement() = 0;

 protected:
  ~omEvalLight() = default;
};
class omRotateManipulator;
class omScaleManipulator;
class omTranslateManipulator;

// One segment of a lasso outline in view pixels, as the module widened it by half a pixel.
struct omScanEdge {
  float x0, y0, x1, y1;
};
// The outline segments that reach one pixel row, ordered by their first y.
struct omScanRow {
  const omScanEdge* edges;
  std::int32_t count;
};
// What a paint step asks the host to redraw; the module fills the words, the host reads them.
struct omRedrawRequest {
  std::uint32_t words[10];
};

// The camera and viewport of one view (omView::GetView). Positions are view pixels, origin top
// left; boxes are 6 floats (min x, y, z, max x, y, z).
class omViewport {
 public:
  virtual std::int32_t GetWidth() = 0;
  virtual std::int32_t GetHeight() = 0;
  // Nonzero for an orthographic view.
  virtual std::int32_t IsOrthographic() = 0;
  // Turns the camera by the whole offset from `from` to `to`, measured against the camera at the
  // last ResetTumbleReference; angles receives 2 floats, degrees, as GetTumbleMode describes.
  virtual void Tumble(float* angles, const float* from, const float* to) = 0;
  virtual void ResetTumbleReference(std::int32_t a, std::int32_t b) = 0;
  // 0: one angle about the vertical; 1: two angles (about the view's up and right); 2: one angle
  // about the view axis.
  virtual std::int32_t GetTumbleMode() = 0;
  virtual void UpdateCamera() = 0;
  virtual void SetSceneBounds(const float* box) = 0;
  // Between these the modelview and projection map view pixels, y down, for overlay drawing.
  virtual void BeginOverlay() = 0;
  virtual void EndOverlay() = 0;
  // An OpenGL entry point of the view's context, by name; null when it has none.
  virtual void* GetGLProcAddress(const char* name) = 0;
  // Slides the camera so the scene follows the pointer from `from` to `to`; translation receives
  // the camera's motion along the view's right and up axes, world units.
  virtual void Pan(float* translation, const float* from, const float* to) = 0;
  // Turns the camera about its viewing axis for a horizontal motion; the angle, degrees.
  virtual float Roll(const float* from, const float* to) = 0;
  // Zooms for a horizontal motion; the field of view (degrees) or, orthographic, the view's width.
  // The host stops at its limits and answers the value it stopped at.
  virtual float Zoom(const float* from, const float* to) = 0;
  // Moves the camera towards `pivot` (a point: x, y, z) for a horizontal motion; the distance to
  // the pivot or, orthographic, the view's width.
  virtual float Dolly(const float* from, const float* to, const float* pivot) = 0;
  // Fits the rectangle [min, max] (view pixels) to the view, or the view into the rectangle;
  // the resulting field of view or width.
  virtual float ZoomInToRect(const float* min, const float* max) = 0;
  virtual float ZoomOutFromRect(const float* min, const float* max) = 0;
  // Nonzero when dollying has no near limit.
  virtual std::int32_t IsDollyUnbounded() = 0;
  // [SECTION] lights (appended)
  virtual omEvalLight* GetEvaluationLight() = 0;
  // [SECTION] manipulator drags (appended)
  // The view's pixels a pointer may reach: min x, min y, max x, max y (4 floats).
  virtual void GetViewportRect(float* rect) = 0;
  // Bookkeeping the host does as a scale drag begins; nothing the module reads.
  virtual void PrepareDragA() = 0;
  virtual void PrepareDragB() = 0;

 protected:
  ~omViewport() = default;
};

class omView {
 public:
  virtual omViewport* GetView() = 0;
  virtual std::int32_t GetMaxX() = 0;
  virtual std::int32_t GetMaxY() = 0;
  // key: om::Key; 0 while held.
  virtual std::int32_t IsKeyUp(std::int32_t key) = 0;
  virtual std::int32_t IsButtonUp(std::int32_t button) = 0;
  virtual bool IsInvertActive() = 0;
  virtual void GetCursorPosition(float* xy) = 0;
  // The cursor stays the module's; the host copies what it shows.
  virtual void SetViewCursor(const omCursor* cursor) = 0;
  virtual void RedrawView(std::int32_t flags) = 0;

 protected:
  ~omView() = default;
};

class omViewManager {
 public:
  virtual omView* GetActiveView() = 0;
  virtual std::int32_t GetViewCount() = 0;
  virtual omView* GetViewAt(std::int32_t index) = 0;
  virtual void RefreshViews(std::int32_t flags) = 0;
  virtual void FlushRedraws() = 0;
  virtual void SetCursor(const omCursor* cursor) = 0;
  // Draws what was requested since the last flush; flag 0: only views that asked for it.
  virtual void FlushRedraws(std::int32_t flag) = 0;

 protected:
  ~omViewManager() = default;
};

class omMainView {
 public:
  virtual void Redraw(std::int32_t flags) = 0;
  // 1 = object mode, 0 = component mode.
  virtual void SetObjectMode(std::int32_t mode) = 0;
  virtual void GetSceneBounds(float* box) = 0;
  virtual void SetModified(std::int32_t modified) = 0;
  // Redraws inside the bracket wait for its outermost end.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
  // Locks and answers true when nobody holds the lock; false (and no lock) otherwise.
  virtual bool TryLock() = 0;
  virtual std::int32_t IsObjectMode() = 0;
  // which = -1: the selection list.
  virtual omEntityList* GetSelection(std::int32_t which) = 0;
  // false: the next selection request replaces the selection; true: it adds to or removes from it.
  virtual void SetKeepSelection(bool keep) = 0;
  virtual void PreparePick() = 0;
  // Selects (select true) or deselects what is under the pixel / inside the rectangle (4 floats:
  // min x, min y, max x, max y) in `view`, for the object filter's current mask.
  virtual void SelectAtPoint(omViewport* view, std::int32_t x, std::int32_t y, bool select,
                             std::int32_t flags) = 0;
  virtual void SelectInRect(omViewport* view, const float* rect, bool select,
                            std::int32_t flags) = 0;
  // Frame every object, or the selected ones, in all views or the active one.
  virtual void FitAllViewsToAll() = 0;
  virtual void FitViewToAll() = 0;
  virtual void FitAllViewsToSelected() = 0;
  virtual void FitViewToSelected() = 0;
  virtual void UpdateManipulator(std::int32_t flags) = 0;
  // The point the dolly moves towards, written into `buffer` (4 floats) and returned.
  virtual float* GetDollyPivot(float* buffer, omViewport* view) = 0;
  // Selects every visible object the object filter allows.
  virtual void SelectAll() = 0;
  // The component filter's current mask (om::ComponentMask bits).
  virtual std::uint32_t GetComponentMask() = 0;
  // The object filter's current mask, as the state a tool puts back.
  virtual std::int32_t GetFilterType() = 0;
  // The component filter's current mask when the module asks which kind of component is picked
  // (om::kMaskFaces for faces).
  virtual std::uint32_t GetComponentKind() = 0;
  // The scene's entities in order; null past the last. `flags` 0: all of them.
  virtual omEntity* FirstEntity(std::int32_t flags) = 0;
  virtual omEntity* NextEntity(std::int32_t flags) = 0;
  // Display refreshes the host schedules after a connected-entity selection changed.
  virtual void SetDisplaySwitchD(std::int32_t on) = 0;
  virtual void SetDisplaySwitchE(std::int32_t on) = 0;
  // One neighbourhood step over the connection graph: `out` receives `in` and every entity
  // directly connected to one of its members; `in` and `out` may be the same set. For the first
  // and the second kind of connected entity.
  virtual void GrowEntitySet(omEntitySet* in, omEntitySet* out) = 0;
  virtual void GrowEntitySet2(omEntitySet* in, omEntitySet* out) = 0;
  // Selects (select true) or deselects the components inside a lasso: rows[r] holds the outline
  // segments that reach pixel row r, rowCount rows; a point is inside by the even-odd rule.
  // volume false: only components not hidden behind surfaces.
  virtual void SelectInScanlines(omViewport* view, const omScanRow* rows, std::int32_t rowCount,
                                 bool select, bool volume) = 0;
  // Opens a run of PaintSelect calls in `view`; the host may prepare what the steps look up.
  virtual void BeginPaint(omViewport* view) = 0;
  // Selects or deselects the components within brushSize pixels of (x, y); area receives 3 words.
  virtual void PaintSelect(omViewport* view, std::int32_t x, std::int32_t y, float brushSize,
                           std::int32_t* area, bool select, std::int32_t flags) = 0;
  virtual void PostRedrawRequest(omViewport* view, omRedrawRequest request, std::int32_t a,
                                 std::int32_t b) = 0;
  // A component tool is done: the host drops what it kept for the tool's gestures.
  virtual void EndComponentTool() = 0;
  // Display refreshes a component tool asks for when it starts.
  virtual void SetDisplaySwitchA(std::int32_t on) = 0;
  virtual void SetDisplaySwitchB(std::int32_t on) = 0;
  virtual void SetDisplaySwitchC(std::int32_t on) = 0;
  // [SECTION] transforms (appended)
  // Closes a run of moves: the host brings manipulator, bounds and views up to date.
  virtual void EndTransform(std::int32_t flags) = 0;
  // The scene's coordinate-system entities, the global one first; null past the last.
  virtual omEntity* FirstCoordSys() = 0;
  virtual omEntity* NextCoordSys() = 0;
  virtual omEntity* GetGlobalCoordSys() = 0;
  // The tight world box of the selected entities; false when there is nothing to bound.
  virtual bool GetSelectionBox(float* box) = 0;
  // [SECTION] lights, coordinate systems, grid and deletion (appended)
  // The flag word of light slot 0-9 (om::kLightDisplayBit among its bits); null out of range.
  virtual std::uint32_t* GetLightFlags(std::int32_t slot) = 0;
  // The scene's light display word, to read and to write.
  virtual std::uint32_t GetLightDisplayFlags() = 0;
  virtual std::uint32_t* GetLightDisplayFlagsRef() = 0;
  // A new light in a free slot; null when every slot is taken.
  virtual omEntity* CreateLight(std::int32_t kind, std::int32_t flags) = 0;
  // A new coordinate system at the global origin; null when none can be made.
  virtual omEntity* CreateCoordSys(std::int32_t flags) = 0;
  // kind: om::GroupKind; null for a kind the host does not keep.
  virtual omGroup* GetGroup(std::int32_t kind) = 0;
  virtual void AddToGroup(omGroup* group, omEntity* entity) = 0;
  virtual bool IsGridShown() = 0;
  virtual void ShowGrid(bool on) = 0;
  // Removes `entity` from the scene (owner: its om::kEntityDeletedOwner owner, or null). An
  // entity the scene does not hold, and the global coordinate system, are left alone.
  virtual void DeleteEntity(omEntity* owner, omEntity* entity) = 0;
  // After a deletion: the host drops what it kept about the entities gone.
  virtual void EndInteraction() = 0;
  // The object to bring up to date after the evaluation light moved.
  virtual omMainView* GetUpdateTarget() = 0;
  // [SECTION] manipulators (appended)
  // Each call shows that manipulator (and hides the others); null when the host has none.
  virtual omTranslateManipulator* GetTranslateManipulator() = 0;
  virtual omRotateManipulator* GetRotateManipulator() = 0;
  virtual omScaleManipulator* GetScaleManipulator() = 0;
  virtual void HideManipulator() = 0;
  // The surface point under pixel (x, y) of `view`, from the depth of the last drawing; nonzero
  // when a surface is there (x, y, z receive it), 0 and untouched otherwise.
  virtual std::int32_t PickPoint(omViewport* view, std::int32_t x, std::int32_t y, float* wx,
                                 float* wy, float* wz, std::int32_t a, std::int32_t b) = 0;
  // How lights follow a drag while it lasts; the module sets 0 while it drags a light.
  virtual std::int32_t GetLightUpdateMode() = 0;
  virtual void SetLightUpdateMode(std::int32_t mode) = 0;

 protected:
  ~omMainView() = default;
};

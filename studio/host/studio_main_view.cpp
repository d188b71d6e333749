#include "studio/host/studio_main_view.h"

#include <algorithm>
#include <cmath>

#include "studio/render/picking.h"
#include "studio/scene/end_point_index.h"

namespace tessel::studio {

StudioMainView::StudioMainView(Scene& scene, ViewManager& views, MaskList& objectFilter,
                               Renderer& renderer, Echo echo)
    : scene_(scene),
      views_(views),
      objectFilter_(objectFilter),
      echo_(std::move(echo)),
      renderer_(renderer),
      components_(scene, [this, &renderer](const ViewPlace& place) {
        return renderer.surfaceDepth(scene_, place.camera, views_.view(place.index).rect);
      }) {
  for (ManipulatorCore* m : {static_cast<ManipulatorCore*>(&translate_),
                             static_cast<ManipulatorCore*>(&rotate_),
                             static_cast<ManipulatorCore*>(&scale_)})
    m->placed = [this] { noteAnchor(); };
}

void StudioMainView::SetObjectMode(std::int32_t mode) {
  if (scene_.objectMode == (mode != 0)) return;
  scene_.objectMode = mode != 0;
  redrawAll();
}

void StudioMainView::GetSceneBounds(float* box) {
  if (!box) return;
  Box b;
  if (manipulatorDragging()) {
    b = scene_.looseBounds();
  } else {
    b = scene_.bounds();
  }
  if (b.empty()) b.add({0, 0, 0});  // an empty scene is a point at the origin
  const double v[6] = {b.min.x, b.min.y, b.min.z, b.max.x, b.max.y, b.max.z};
  for (int i = 0; i < 6; ++i) box[i] = static_cast<float>(v[i]);
}

void StudioMainView::EndUpdate() {
  if (updateDepth_ == 0 || --updateDepth_ > 0) return;
  if (redrawPending_) redrawAll();
}

bool StudioMainView::TryLock() {
  if (scene_.locked()) return false;
  scene_.lock();
  return true;
}

StudioView* StudioMainView::viewOf(omViewport* viewport) {
  for (int i = 0; i < views_.GetViewCount(); ++i)
    if (static_cast<omViewport*>(&views_.view(i)) == viewport) return &views_.view(i);
  return nullptr;
}

void StudioMainView::applySelection(const std::vector<std::uint32_t>& ids, bool select) {
  if (!keepSelection_) scene_.clearSelection();
  for (std::uint32_t id : ids) scene_.select(id, select);
}

ViewPlace StudioMainView::componentPlace(StudioView& view) {
  components_.objectMask = objectFilter_.GetCurrentMask();
  components_.componentMask = scene_.componentMask;
  return {view.index(), view.camera, view.size()};
}

void StudioMainView::SelectAtPoint(omViewport* viewport, std::int32_t x, std::int32_t y, bool select,
                               std::int32_t flags) {
  StudioView* view = viewOf(viewport);
  if (!view) return;
  if (!scene_.objectMode) {
    // The pixel's centre; flags nonzero: "Volume Select".
    components_.atPoint(componentPlace(*view), x + 0.5, y + 0.5,
                        {keepSelection_, select, flags != 0});
    return;
  }
  std::uint32_t id = objectAt(scene_, view->camera, view->size(), x + 0.5, y + 0.5,
                              objectFilter_.GetCurrentMask());
  std::vector<std::uint32_t> ids;
  if (id) ids.push_back(id);
  applySelection(ids, select);
}

void StudioMainView::SelectInRect(omViewport* viewport, const float* rect, bool select,
                              std::int32_t flags) {
  StudioView* view = viewOf(viewport);
  if (!view || !rect) return;
  if (!scene_.objectMode) {
    const RectRegion region{std::min(rect[0], rect[2]), std::min(rect[1], rect[3]),
                            std::max(rect[0], rect[2]), std::max(rect[1], rect[3])};
    components_.inRect(componentPlace(*view), region, {keepSelection_, select, flags != 0});
    return;
  }
  applySelection(objectsInRect(scene_, view->camera, view->size(), rect[0], rect[1], rect[2],
                               rect[3], objectFilter_.GetCurrentMask()),
                 select);
}

void StudioMainView::SelectInScanlines(omViewport* viewport, const omScanRow* rows,
                                   std::int32_t rowCount, bool select, bool volume) {
  StudioView* view = viewOf(viewport);
  if (!view) return;
  // The rows side by side, as the lasso region reads them.
  std::vector<ScanEdge> edges;
  std::vector<std::uint32_t> rowStart{0};
  for (std::int32_t r = 0; rows && r < rowCount; ++r) {
    for (std::int32_t k = 0; rows[r].edges && k < rows[r].count; ++k) {
      const omScanEdge& e = rows[r].edges[k];
      edges.push_back({e.x0, e.y0, e.x1, e.y1});
    }
    rowStart.push_back(static_cast<std::uint32_t>(edges.size()));
  }
  components_.inLasso(componentPlace(*view), LassoRegion(edges, rowStart),
                      {keepSelection_, select, volume});
}

void StudioMainView::BeginPaint(omViewport* viewport) {
  if (StudioView* view = viewOf(viewport)) components_.beginPaint(componentPlace(*view), false);
}

void StudioMainView::PaintSelect(omViewport* viewport, std::int32_t x, std::int32_t y,
                             float brushSize, std::int32_t* area, bool select,
                             std::int32_t flags) {
  if (area) area[0] = area[1] = area[2] = 0;
  StudioView* view = viewOf(viewport);
  // The panel keeps the size within 1..500; anything else reaching here is not a brush.
  if (!view || !(brushSize > 0) || !std::isfinite(brushSize)) return;
  const std::size_t found = components_.paint(componentPlace(*view), x + 0.5, y + 0.5, brushSize,
                                              {true, select, flags != 0});
  if (area) area[0] = static_cast<std::int32_t>(std::min<std::size_t>(found, INT32_MAX)), area[1] = x, area[2] = y;
}

void StudioMainView::PostRedrawRequest(omViewport* viewport, omRedrawRequest, std::int32_t,
                                   std::int32_t) {
  if (StudioView* view = viewOf(viewport)) views_.requestRedraw(view->index());
}

void StudioMainView::EndComponentTool() {
  components_.releaseBrush();
  if (scene_.showHoles || scene_.showVertices) {
    scene_.showHoles = scene_.showVertices = false;
    redrawAll();
  }
}

void StudioMainView::SetDisplaySwitchA(std::int32_t) {
  for (int i = 0; i < views_.GetViewCount(); ++i) views_.requestRedraw(i);
}

void StudioMainView::SetDisplaySwitchB(std::int32_t on) {
  scene_.showHoles = on != 0;
  SetDisplaySwitchA(1);
}

void StudioMainView::SetDisplaySwitchC(std::int32_t on) {
  scene_.showVertices = on != 0;
  SetDisplaySwitchA(1);
}

float* StudioMainView::GetDollyPivot(float* buffer, omViewport* viewport) {
  if (!buffer) return nullptr;
  StudioView* view = viewOf(viewport);
  const Vec3 p = view ? view->camera.target : Vec3{};
  buffer[0] = static_cast<float>(p.x), buffer[1] = static_cast<float>(p.y);
  buffer[2] = static_cast<float>(p.z), buffer[3] = 1;
  return buffer;
}

omEntity* StudioMainView::FirstEntity(std::int32_t flags) {
  entityCursor_ = 0;
  return NextEntity(flags);
}

omEntity* StudioMainView::NextEntity(std::int32_t) {
  const auto& all = scene_.entities();
  return entityCursor_ < all.size() ? all[entityCursor_++].get() : nullptr;
}

void StudioMainView::growConnected(omEntitySet* in, omEntitySet* out, std::uint32_t kind) {
  if (!in || !out) return;
  // Taken before inserting, so one call is one step even when `in` and `out` are one set.
  std::vector<Entity*> members;
  for (std::int32_t i = 0, n = in->GetCount(); i < n; ++i)
    if (auto* e = dynamic_cast<Entity*>(in->GetAt(i)); e && e->type == kind) members.push_back(e);
  const auto index = scene_.endPoints(kind);
  for (Entity* e : members) {
    out->Insert(e);
    for (Entity* n : index->meeting(*e)) out->Insert(n);
  }
}

void StudioMainView::SelectAll() {
  const std::uint32_t mask = objectFilter_.GetCurrentMask();
  for (const auto& e : scene_.entities())
    if (e->visible && (e->filterMask() & mask)) scene_.select(e->id, true);
}

bool StudioMainView::fit(bool allViews, bool selectedOnly) {
  Box box = scene_.bounds(selectedOnly);
  if (box.empty()) {
    echo_(std::string("view: nothing ") + (selectedOnly ? "selected" : "in the scene") +
          " to frame; the cameras are unchanged");
    return false;
  }
  // All views: the three of four not shown while one is shown too, so that they show the scene
  // when the four are.
  for (int i = 0; i < ViewManager::kViews; ++i) {
    StudioView& v = views_.view(i);
    if (!allViews && &v != &views_.active()) continue;
    // A view not placed yet is framed for the shape of the whole frame, which the four share.
    const bool placed = v.rect.width > 0 && v.rect.height > 0;
    frameBox(v.camera, box, placed ? v.rect.width : views_.frameWidth(),
             placed ? v.rect.height : views_.frameHeight());
  }
  redrawAll();
  return true;
}

void StudioMainView::redrawAll() {
  if (updateDepth_ > 0) {
    redrawPending_ = true;
    return;
  }
  redrawPending_ = false;
  views_.redrawAll();
}

omEntity* StudioMainView::FirstCoordSys() {
  coordSysCursor_ = 0;
  return NextCoordSys();
}

omEntity* StudioMainView::NextCoordSys() {
  const auto& all = scene_.entities();
  while (coordSysCursor_ < all.size()) {
    Entity* e = all[coordSysCursor_++].get();
    if (e->type == om::kEntityCoordSys) return e;
  }
  return nullptr;
}

bool StudioMainView::GetSelectionBox(float* box) {
  // Every selected entity's tight world box, whatever its kind.
  Box b;
  for (std::uint32_t id : scene_.selection())
    if (const Entity* e = scene_.find(id)) b.merge(e->bounds());
  if (b.empty() || !box) return false;
  const double v[6] = {b.min.x, b.min.y, b.min.z, b.max.x, b.max.y, b.max.z};
  for (int i = 0; i < 6; ++i) box[i] = static_cast<float>(v[i]);
  return true;
}

SelectionAnchor StudioMainView::anchor() const {
  SelectionAnchor a;
  a.ids = scene_.selection();
  const Entity* active = a.ids.empty() ? nullptr : scene_.find(a.ids.back());
  if (!active) return a;
  const CoordSys& f = active->frame;
  const Vec3 rows[4] = {f.xAxis, f.yAxis, f.zAxis, f.origin};
  for (int r = 0; r < 4; ++r) {
    a.frame[4 * r] = rows[r].x, a.frame[4 * r + 1] = rows[r].y, a.frame[4 * r + 2] = rows[r].z;
  }
  a.placement = active->placement.forward();
  return a;
}

void StudioMainView::noteAnchor() {
  if (shown_) anchor_ = anchor();
}

void StudioMainView::followSelection() {
  if (!shown_ || manipulatorDragging()) return;
  SelectionAnchor now = anchor();
  if (const auto pose = followedPose(shown_->state, anchor_, now)) {
    shown_->state.origin = pose->origin;
    shown_->state.orientation = pose->orientation;
    redrawAll();
  }
  anchor_ = std::move(now);
}

void StudioMainView::HideManipulator() {
  if (!shown_) return;
  shown_->reset();
  shown_->hover = ManipulatorHandle::None;
  shown_ = nullptr;
  redrawAll();
}

std::int32_t StudioMainView::PickPoint(omViewport* viewport, std::int32_t x, std::int32_t y,
                                       float* wx, float* wy, float* wz, std::int32_t,
                                       std::int32_t) {
  StudioView* view = viewOf(viewport);
  if (!view || !wx || !wy || !wz) return 0;
  views_.drawIfMarked(*view);  // the pick reads the depth of the view's last drawing
  const auto point = renderer_.surfacePointAt(scene_, view->camera, view->rect, view->index(), x, y);
  if (!point) return 0;
  *wx = static_cast<float>(point->x), *wy = static_cast<float>(point->y);
  *wz = static_cast<float>(point->z);
  return 1;
}

}  // namespace tessel::studio

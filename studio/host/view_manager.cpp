#include "studio/host/view_manager.h"

namespace tessel::studio {

ViewManager::ViewManager(int frameWidth, int frameHeight, const InputState& input,
                         ViewHost& host)
    : width_(frameWidth), height_(frameHeight), host_(host) {
  const ViewKind kinds[kViews] = {ViewKind::Perspective, ViewKind::Top, ViewKind::Front,
                                  ViewKind::Right};
  for (int i = 0; i < kViews; ++i)
    views_.push_back(std::make_unique<StudioView>(i, kinds[i], input, host_));
  placeViews();
}

omView* ViewManager::GetViewAt(std::int32_t index) {
  return index >= 0 && index < GetViewCount() ? views_[index].get() : nullptr;
}

void ViewManager::RefreshViews(std::int32_t) { redrawAll(); }
void ViewManager::FlushRedraws() { redrawAll(); }
// flag 0: the views that asked; otherwise every view.
void ViewManager::FlushRedraws(std::int32_t flag) {
  if (flag != 0) return redrawAll();
  const unsigned requested = requested_;
  requested_ = 0;
  for (int i = 0; i < GetViewCount(); ++i)
    if (requested & (1u << i)) host_.redraw(*views_[i]);
}

void ViewManager::requestRedraw(int index) {
  if (index >= 0 && index < static_cast<int>(views_.size())) requested_ |= 1u << index;
}

void ViewManager::SetCursor(const omCursor* cursor) {
  for (int i = 0; i < GetViewCount(); ++i) views_[i]->SetViewCursor(cursor);
}

void ViewManager::setLayout(bool quad) {
  quad_ = quad;
  if (!quad_) active_ = 0;
  placeViews();
  repaint();
}

bool ViewManager::setActive(int index) {
  if (index < 0 || index >= GetViewCount()) return false;
  active_ = index;
  repaint();
  return true;
}

void ViewManager::repaint() {
  redrawAll();
  host_.viewsRepainted();
}

void ViewManager::redrawAll() {
  requested_ = 0;
  for (int i = 0; i < GetViewCount(); ++i) host_.redraw(*views_[i]);
}

void ViewManager::setSurfaceSize(int index, int width, int height) {
  if (index < 0 || index >= static_cast<int>(views_.size())) return;
  ownSurfaces_ = true;
  views_[index]->rect = {0, 0, width, height};
}

void ViewManager::placeViews() {
  if (ownSurfaces_) return;
  if (!quad_) {
    views_[0]->rect = {0, 0, width_, height_};
    return;
  }
  int w = width_ / 2, h = height_ / 2;
  for (int i = 0; i < 4; ++i) views_[i]->rect = {(i % 2) * w, (i / 2) * h, w, h};
}

}  // namespace tessel::studio

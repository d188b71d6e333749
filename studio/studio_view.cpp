#include "studio/studio_view.h"

namespace tessel::studio {

StudioView::StudioView(int index, ViewKind kind, const InputState& input,
                       std::function<void(StudioView&)> redraw)
    : camera(standardCamera(kind)),
      index_(index),
      kind_(kind),
      input_(input),
      redraw_(std::move(redraw)) {}

void StudioView::GetCursorPosition(float* xy) {
  if (!xy) return;
  xy[0] = input_.x, xy[1] = input_.y;
}

void StudioView::SetViewCursor(const omCursor* cursor) { cursor_ = cursor ? *cursor : omCursor{}; }

const char* StudioView::kindName() const {
  switch (kind_) {
    case ViewKind::Perspective: return "perspective";
    case ViewKind::Top: return "top";
    case ViewKind::Front: return "front";
    case ViewKind::Right: return "right";
  }
  return "";
}

}  // namespace tessel::studio

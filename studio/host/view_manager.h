// The views of the frame: one, or four in a 2 x 2 grid (perspective, top, front, right), the
// active one, and their redrawing.
#pragma once

#include <memory>
#include <vector>

#include "host/omView.h"
#include "studio/host/studio_view.h"

namespace tessel::studio {

class ViewManager final : public omViewManager {
 public:
  ViewManager(int frameWidth, int frameHeight, const InputState& input, ViewHost& host);

  omView* GetActiveView() override { return views_[active_].get(); }
  static constexpr int kViews = 4;  // one shown alone, or all four
  std::int32_t GetViewCount() override { return quad_ ? kViews : 1; }
  omView* GetViewAt(std::int32_t index) override;
  void RefreshViews(std::int32_t flags) override;
  void FlushRedraws() override;
  void FlushRedraws(std::int32_t flag) override;
  void SetCursor(const omCursor* cursor) override;

  // Four views, or the perspective view alone; the cameras are kept across layouts.
  void setLayout(bool quad);
  bool quad() const { return quad_; }
  bool setActive(int index);
  StudioView& active() { return *views_[active_]; }
  StudioView& view(int index) { return *views_[index]; }
  int frameWidth() const { return width_; }
  int frameHeight() const { return height_; }
  void redrawAll();
  // Paints every view again on Studio's own account (layout, active view), telling the host.
  void repaint();
  // A window gives each view a surface of its own: the view's rectangle is then that surface,
  // from its top left corner, whatever the layout.
  void setSurfaceSize(int index, int width, int height);
  void drawIfMarked(StudioView& view) { host_.drawIfMarked(view); }
  // Marks a view to be drawn at the next FlushRedraws.
  void requestRedraw(int index);

 private:
  void placeViews();
  std::vector<std::unique_ptr<StudioView>> views_;  // always four; the layout shows one or all
  int active_ = 0;
  unsigned requested_ = 0;  // a bit per view
  bool quad_ = false;
  int width_, height_;
  bool ownSurfaces_ = false;
  ViewHost& host_;
};

}  // namespace tessel::studio

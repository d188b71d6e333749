// The views of the window in splitters: the perspective view alone, or four views (Perspective,
// Top, Front, Right) in a 2 x 2 grid the user can resize, each under a label; the active view's
// label stands out.
#pragma once

#include <QList>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QSplitter;

namespace tessel::studio {

class StudioHost;
class ViewWidget;
class WindowGlContext;

class ViewArea final : public QWidget {
 public:
  ViewArea(StudioHost& host, WindowGlContext& context, std::function<void()> afterInput,
           QWidget* parent = nullptr);

  // Follows the host's layout and active view.
  ~ViewArea() override;
  void sync();
  ViewWidget* view(int index) const { return views_[index]; }
  ViewWidget* activeView() const;

 private:
  StudioHost& host_;
  WindowGlContext& context_;
  std::array<ViewWidget*, 4> views_{};
  std::array<QWidget*, 4> panes_{};
  std::array<QLabel*, 4> labels_{};
  QSplitter* rows_ = nullptr;
  QSplitter* top_ = nullptr;
  QSplitter* bottom_ = nullptr;
  bool quad_ = false;
  // The columns of the four views when they were last shown, for their return.
  std::optional<QList<int>> columns_;
};

}  // namespace tessel::studio

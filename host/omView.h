// Views and the main view. Only what the module calls so far; later tools append operations.
#pragma once

#include <cstdint>

struct omCursor;

class omViewport;

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
  virtual void RedrawView() = 0;

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

 protected:
  ~omViewManager() = default;
};

class omMainView {
 public:
  virtual void Redraw(std::int32_t flags) = 0;
  // 1 = object mode, 0 = component mode.
  virtual void SetObjectMode(std::int32_t mode) = 0;

 protected:
  ~omMainView() = default;
};

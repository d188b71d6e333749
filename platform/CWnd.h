// The window part shared by toolbars and controls: a data model the host reads to draw them.
// Everything the host calls is virtual, since host and module are separate binaries.
#pragma once

#include <cstdint>
#include <string>

namespace tessel::platform {

inline constexpr std::uint32_t WS_CHILD = 0x40000000u;
inline constexpr std::uint32_t WS_VISIBLE = 0x10000000u;

class CComboBox;

class CWnd {
 public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  virtual ~CWnd() = default;

  virtual bool HasWindow() const { return created_; }
  virtual void SetWindowText(const char* text) { text_ = text ? text : ""; }
  virtual const char* GetWindowText() const { return text_.c_str(); }
  virtual bool IsWindowVisible() const { return (style_ & WS_VISIBLE) != 0; }
  virtual void ShowWindow(bool show) { style_ = show ? style_ | WS_VISIBLE : style_ & ~WS_VISIBLE; }
  virtual bool IsWindowEnabled() const { return enabled_; }
  virtual void EnableWindow(bool enable) { enabled_ = enable; }
  virtual std::uint32_t GetDlgCtrlID() const { return id_; }
  virtual std::uint32_t GetStyle() const { return style_; }
  // Lets the host tell a combo box from other controls without crossing RTTI between binaries.
  virtual CComboBox* AsComboBox() { return nullptr; }

 protected:
  // False when the window exists already.
  bool createWindow(std::uint32_t style, std::uint32_t id);

 private:
  std::string text_;
  std::uint32_t style_ = 0;
  std::uint32_t id_ = 0;
  bool created_ = false;
  bool enabled_ = true;
};

inline bool CWnd::createWindow(std::uint32_t style, std::uint32_t id) {
  if (created_) return false;
  created_ = true;
  style_ = style;
  id_ = id;
  return true;
}

}  // namespace tessel::platform

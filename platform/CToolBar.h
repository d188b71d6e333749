// A toolbar: buttons loaded from a toolbar resource, each with its command ID and state.
#pragma once

#include <cstdint>
#include <vector>

#include "host/omObject.h"
#include "platform/CWnd.h"

namespace tessel::platform {

inline constexpr std::uint32_t TBSTYLE_FLAT = 0x800u;
inline constexpr std::uint32_t TBSTATE_CHECKED = 0x01u;
inline constexpr std::uint32_t TBSTATE_ENABLED = 0x04u;
inline constexpr std::uint32_t TBSTATE_MARKED = 0x80u;

// A toolbar resource: its ID and its button command IDs in order, 0 for a separator.
struct ToolBarTemplate {
  std::uint32_t id = 0;
  std::vector<std::uint32_t> buttons;
};

class CCJToolBar;
class omPropertyToolBar;

class CToolBar : public CWnd {
 public:
  // False when the toolbar exists already.
  bool CreateEx(std::uint32_t controlStyle, std::uint32_t style, const omRect& borders,
                std::uint32_t id);
  // False before CreateEx, or for a missing or empty resource.
  bool LoadToolBar(const ToolBarTemplate* resource);

  virtual std::int32_t GetCount() const { return static_cast<std::int32_t>(buttons_.size()); }
  // 0 for a separator or an index out of range.
  virtual std::uint32_t GetItemID(std::int32_t index) const;
  virtual std::uint32_t GetButtonState(std::int32_t index) const;
  // TB_SETSTATE: by command ID; false when no button has it.
  virtual bool SetButtonState(std::uint32_t id, std::uint32_t state);
  virtual std::uint32_t GetControlStyle() const { return controlStyle_; }
  // Let the host reach the richer toolbars without RTTI across binaries.
  virtual CCJToolBar* AsControlBar() { return nullptr; }
  virtual omPropertyToolBar* AsPropertyToolBar() { return nullptr; }

 private:
  struct Button {
    std::uint32_t id;
    std::uint32_t state;
  };
  std::vector<Button> buttons_;
  std::uint32_t controlStyle_ = 0;
};

}  // namespace tessel::platform

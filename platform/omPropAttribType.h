// One typed attribute of a property panel. The first operations, in this order, are what the
// module's panels call; the host-facing ones after them are how a panel window shows and edits
// the attribute. The attribute keeps the text of its control apart from its value: an edit
// changes the text, and only a valid text becomes the value.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace tessel::platform {

enum class AttribKind : std::int32_t { Int = 0, Choice = 1, Float = 2, Bool = 3, Button = 4 };

// How the value last changed, as GetAttribChangingMethod answers it.
inline constexpr std::int32_t kChangedByProgram = 0;
inline constexpr std::int32_t kChangedByUserEdit = 0x21;

class omPropAttribType {
 public:
  explicit omPropAttribType(const char* name) : name_(name ? name : "") {}
  omPropAttribType(const omPropAttribType&) = delete;
  omPropAttribType& operator=(const omPropAttribType&) = delete;
  virtual ~omPropAttribType() = default;

  virtual const char* GetAttribName() const { return name_.c_str(); }
  // The in-place control exists while the panel is shown.
  virtual bool CreateInPlaceCtrl();
  virtual void DestroyInPlaceCtrl() { hasCtrl_ = false; }
  // Null while the control does not exist.
  virtual const void* GetCtrl() const { return hasCtrl_ ? this : nullptr; }
  virtual void EnableCtrl(bool enable) { ctrlEnabled_ = enable; }
  virtual void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  // The control's text was edited.
  virtual void OnCtrlValueChanged() { changed_ = true; }
  // Whether the control's text is a value this attribute accepts.
  virtual bool IsInValueSet() const = 0;
  // Whether the text was edited since the last reset; `reset` clears the mark.
  virtual bool IsValueChanged(bool reset);
  // Takes the control's text as the value when it is acceptable; false (value kept) otherwise.
  virtual bool ValidateCtrlValue() = 0;
  // The control's text shows the value again.
  virtual void RefreshDisplay();
  virtual void RegisterUpdateDisplay(void (*callback)(void* context), void* context);

  // Host-facing.
  virtual AttribKind GetKind() const = 0;
  virtual const char* GetValueText() const;
  virtual const char* GetCtrlText() const { return ctrlText_.c_str(); }
  virtual void SetCtrlText(const char* text) { ctrlText_ = text ? text : ""; }
  virtual bool IsCtrlEnabled() const { return ctrlEnabled_; }
  virtual bool IsCtrlReadOnly() const { return readOnly_; }
  virtual std::int32_t GetChoiceCount() const { return 0; }
  virtual const char* GetChoice(std::int32_t) const { return ""; }

  // Persistence. `load` answers false (value untouched) for a value of the wrong type or out
  // of range; attributes without a value (buttons) store null.
  virtual nlohmann::json save() const = 0;
  virtual bool load(const nlohmann::json& value) = 0;

 protected:
  // The value as the control shows it.
  virtual std::string formatValue() const = 0;
  void valueSet() { RefreshDisplay(); }

 private:
  std::string name_;
  std::string ctrlText_;
  mutable std::string valueText_;
  void (*updateDisplay_)(void*) = nullptr;
  void* updateContext_ = nullptr;
  bool hasCtrl_ = false;
  bool ctrlEnabled_ = true;
  bool readOnly_ = false;
  bool changed_ = false;
};

}  // namespace tessel::platform

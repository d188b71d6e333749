// A property panel: a titled list of typed attributes that the host's panel window shows and
// edits, and whose values are kept in the settings under the panel's profile path. The virtual
// operations up to RefreshAttribs, in this order, are what the module's panels build on; the
// host-facing ones after them are how a panel window edits the panel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/omPropAttribType.h"

namespace tessel::platform {

// What an edit through the panel window came to.
enum class EditResult : std::int32_t { Ok = 0, NoSuchAttrib, Disabled, ReadOnly, Invalid };

class omPropertyObj {
 public:
  static void* operator new(std::size_t size);
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
  static void operator delete(void* p) noexcept;

  explicit omPropertyObj(const char* title);
  omPropertyObj(const omPropertyObj&) = delete;
  omPropertyObj& operator=(const omPropertyObj&) = delete;
  // Values edited since the last save are written before the panel goes.
  virtual ~omPropertyObj();

  // Settings key of the values, below the application's key; loads the values stored there.
  // A stored value of the wrong type or out of its attribute's range leaves the default.
  void SetProfilePath(const char* profilePath);
  const std::string& settingsKey() const { return settingsKey_; }

  virtual const char* GetName() const { return title_.c_str(); }
  virtual int GetNumAttribs() const { return static_cast<int>(attribs_.size()); }
  virtual const char* GetAttribName(int index) const;
  // The panel owns the attribute from here on; -1 (and the attribute freed) for null.
  virtual int AddAttrib(omPropAttribType* attrib);
  virtual bool ReplaceAttrib(int index, omPropAttribType* attrib);
  // Hands the attribute back to the caller.
  virtual omPropAttribType* RemoveAttrib(int index);
  virtual bool DeleteAttrib(int index);
  virtual void RegisterRefreshCallBack(void (*callback)(long), long context);
  virtual void RefreshPropObj();
  // Index out of range answers a valueless placeholder, never a dangling reference.
  virtual omPropAttribType& GetAttrib(int index);
  virtual bool IsAttribEnabled(int index) const;
  // Also enables or disables the attribute's control.
  virtual void EnableAttrib(int index, bool enable);
  virtual bool IsAttribCtrlReadOnly(int index) const;
  virtual void SetAttribCtrlReadOnly(int index, bool readOnly);
  virtual std::uint32_t GetAttribBkColor(int index) const;
  virtual void SetAttribBkColor(int index, std::uint32_t rgb);
  // The panel window opened; the controls exist until OnPropDestroy.
  virtual void OnPropInit();
  virtual void OnPropDestroy();
  virtual bool IsDisplayed() const { return displayed_; }
  virtual void OnAttribGainFocus(int) {}
  virtual void OnAttribLoseFocus(int) {}
  virtual void OnAttribGainSelection(int) {}
  virtual void OnAttribLoseSelection(int) {}
  // An edit was taken as the attribute's value: first Changing, then Changed.
  virtual void OnAttribChanging(int) {}
  virtual void OnAttribChanged(int) {}
  // The panel's apply button.
  virtual void ApplyAttribs() { Activate(); }
  virtual void Activate() = 0;
  virtual void RefreshAttribs();

  // Host-facing: the user typed `text` into attribute `index` (for a button: pressed it). A
  // valid text becomes the value and the panel is told; the values are saved when the host
  // flushes them (once edits settle), or when the panel goes.
  virtual EditResult EditAttrib(int index, const char* text);
  // Writes the values edited since they were last saved, if any: an edit costs what its work
  // costs, and a burst of edits one write. False when the settings file could not be written;
  // the values then stay unsaved, for the next flush to try again.
  bool flushSettings();
  bool hasUnsavedSettings() const { return unsaved_; }

 protected:
  // Writes the values when they differ from what was last loaded or saved. False when the
  // settings file could not be written.
  bool saveValues();

 private:
  struct Slot {
    std::unique_ptr<omPropAttribType> attrib;
    bool enabled = true;
    bool readOnly = false;
    std::uint32_t bkColor = 0xFFFFFFu;
  };
  bool valid(int index) const { return index >= 0 && index < GetNumAttribs(); }
  nlohmann::json values() const;

  std::string title_;
  std::vector<Slot> attribs_;
  std::string settingsKey_;
  nlohmann::json saved_;
  bool unsaved_ = false;  // edited since the values were last loaded or saved
  void (*refresh_)(long) = nullptr;
  long refreshContext_ = 0;
  bool displayed_ = false;
};

}  // namespace tessel::platform

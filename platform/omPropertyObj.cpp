#include "platform/omPropertyObj.h"

#include "platform/host_services.h"
#include "platform/omPAT_Button.h"
#include "platform/settings_store.h"

namespace tessel::platform {

void* omPropertyObj::operator new(std::size_t size) { return ::operator new(size); }

void* omPropertyObj::operator new(std::size_t size, const std::nothrow_t& tag) noexcept {
  return ::operator new(size, tag);
}

void omPropertyObj::operator delete(void* p) noexcept { ::operator delete(p); }

omPropertyObj::omPropertyObj(const char* title) : title_(title ? title : "") {}

omPropertyObj::~omPropertyObj() { saveValues(); }

bool omPropertyObj::flushSettings() {
  if (!unsaved_) return true;
  if (!saveValues()) return false;
  unsaved_ = false;
  return true;
}

void omPropertyObj::SetProfilePath(const char* profilePath) {
  const CWinApp* app = AfxGetApp();
  settingsKey_ = "software\\" + app->m_pszRegistryKey + "\\" + app->m_pszProfileName + "\\" +
                 (profilePath ? profilePath : "") + "\\" + title_;
  SettingsStore store(userSettingsPath());
  for (Slot& s : attribs_) {
    if (auto v = store.read(settingsKey_, s.attrib->GetAttribName())) s.attrib->load(*v);
  }
  saved_ = values();
}

nlohmann::json omPropertyObj::values() const {
  nlohmann::json out = nlohmann::json::object();
  for (const Slot& s : attribs_) {
    nlohmann::json v = s.attrib->save();
    if (!v.is_null()) out[s.attrib->GetAttribName()] = v;
  }
  return out;
}

bool omPropertyObj::saveValues() {
  if (settingsKey_.empty()) return true;
  nlohmann::json now = values();
  // Only what this panel changed goes to the file: another process may have saved the others
  // since they were loaded here, and its values must not be written back over.
  nlohmann::json changed = nlohmann::json::object();
  for (auto it = now.begin(); it != now.end(); ++it) {
    auto was = saved_.find(it.key());
    if (was == saved_.end() || *was != it.value()) changed[it.key()] = it.value();
  }
  if (changed.empty()) return true;
  if (!SettingsStore(userSettingsPath()).writeAll(settingsKey_, changed)) return false;
  saved_ = now;
  return true;
}

const char* omPropertyObj::GetAttribName(int index) const {
  return valid(index) ? attribs_[index].attrib->GetAttribName() : "";
}

int omPropertyObj::AddAttrib(omPropAttribType* attrib) {
  if (!attrib) return -1;
  attribs_.push_back(Slot{std::unique_ptr<omPropAttribType>(attrib)});
  if (displayed_) attrib->CreateInPlaceCtrl();
  return GetNumAttribs() - 1;
}

bool omPropertyObj::ReplaceAttrib(int index, omPropAttribType* attrib) {
  if (!valid(index) || !attrib) {
    delete attrib;
    return false;
  }
  attribs_[index].attrib.reset(attrib);
  if (displayed_) attrib->CreateInPlaceCtrl();
  return true;
}

omPropAttribType* omPropertyObj::RemoveAttrib(int index) {
  if (!valid(index)) return nullptr;
  omPropAttribType* a = attribs_[index].attrib.release();
  attribs_.erase(attribs_.begin() + index);
  return a;
}

bool omPropertyObj::DeleteAttrib(int index) {
  omPropAttribType* a = RemoveAttrib(index);
  delete a;
  return a != nullptr;
}

void omPropertyObj::RegisterRefreshCallBack(void (*callback)(long), long context) {
  refresh_ = callback;
  refreshContext_ = context;
}

void omPropertyObj::RefreshPropObj() {
  RefreshAttribs();
  if (refresh_) refresh_(refreshContext_);
}

omPropAttribType& omPropertyObj::GetAttrib(int index) {
  static omPAT_Button placeholder("");
  return valid(index) ? *attribs_[index].attrib : placeholder;
}

bool omPropertyObj::IsAttribEnabled(int index) const { return valid(index) && attribs_[index].enabled; }

void omPropertyObj::EnableAttrib(int index, bool enable) {
  if (!valid(index)) return;
  attribs_[index].enabled = enable;
  attribs_[index].attrib->EnableCtrl(enable);
}

bool omPropertyObj::IsAttribCtrlReadOnly(int index) const {
  return valid(index) && attribs_[index].readOnly;
}

void omPropertyObj::SetAttribCtrlReadOnly(int index, bool readOnly) {
  if (!valid(index)) return;
  attribs_[index].readOnly = readOnly;
  attribs_[index].attrib->SetReadOnly(readOnly);
}

std::uint32_t omPropertyObj::GetAttribBkColor(int index) const {
  return valid(index) ? attribs_[index].bkColor : 0u;
}

void omPropertyObj::SetAttribBkColor(int index, std::uint32_t rgb) {
  if (valid(index)) attribs_[index].bkColor = rgb;
}

void omPropertyObj::OnPropInit() {
  displayed_ = true;
  for (Slot& s : attribs_) s.attrib->CreateInPlaceCtrl();
}

void omPropertyObj::OnPropDestroy() {
  for (Slot& s : attribs_) s.attrib->DestroyInPlaceCtrl();
  displayed_ = false;
}

void omPropertyObj::RefreshAttribs() {
  for (Slot& s : attribs_) s.attrib->RefreshDisplay();
}

EditResult omPropertyObj::EditAttrib(int index, const char* text) {
  if (!valid(index)) return EditResult::NoSuchAttrib;
  omPropAttribType& a = *attribs_[index].attrib;
  if (!a.IsCtrlEnabled()) return EditResult::Disabled;
  if (a.IsCtrlReadOnly()) return EditResult::ReadOnly;
  a.SetCtrlText(text);
  a.OnCtrlValueChanged();
  if (!a.ValidateCtrlValue()) {
    a.RefreshDisplay();
    return EditResult::Invalid;
  }
  OnAttribChanging(index);
  OnAttribChanged(index);
  unsaved_ = true;
  return EditResult::Ok;
}

}  // namespace tessel::platform

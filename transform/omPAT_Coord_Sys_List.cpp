#include "transform/omPAT_Coord_Sys_List.h"

#include <algorithm>
#include <new>

#include "host/omApplication.h"
#include "host/omEntity.h"
#include "host/omView.h"
#include "host/om_codes.h"
#include "platform/host_services.h"
#include "platform/omPropertyObj.h"

namespace tessel::transform {
namespace {

constexpr int kDropDown = 3;

omApplication* application() { return platform::AfxGetApp()->application; }

omMainView* mainView() {
  omApplication* app = application();
  return app ? app->GetMainView() : nullptr;
}

void notifyPanelState(omEntity* entity) {
  omApplication* app = application();
  if (!app) return;
  omEvent event;
  event.code = om::kNotifyPanelStateChanged;
  app->Notify(&event, entity);
}

bool hideShown(omEntity* display) {
  if (!display || !display->IsShown()) return false;
  display->Hide();
  notifyPanelState(display);
  return true;
}

}  // namespace

omPAT_Coord_Sys_List::omPAT_Coord_Sys_List(const char* name, const std::vector<std::string>& names,
                                           std::vector<omEntity*> entities)
    : omPAT_Int(name, 0, names, kDropDown), names_(names), entities_(std::move(entities)) {}

omPAT_Coord_Sys_List* omPAT_Coord_Sys_List::Create(const char* name, bool placeholder) {
  std::vector<std::string> names;
  std::vector<omEntity*> entities;
  if (placeholder) {
    names.push_back("temp");
    entities.push_back(nullptr);
  } else if (omMainView* view = mainView()) {
    for (omEntity* e = view->FirstCoordSys(); e; e = view->NextCoordSys()) {
      const char* n = e->GetName();
      names.push_back(n ? n : "");
      entities.push_back(e);
    }
  }
  return new (std::nothrow) omPAT_Coord_Sys_List(name, names, std::move(entities));
}

omEntity* omPAT_Coord_Sys_List::GetAt(int index) const {
  return index >= 0 && index < GetCount() ? entities_[index] : nullptr;
}

omEntity* omPAT_Coord_Sys_List::GetSelected() const {
  const int index = GetValue();
  if (index >= 0 && index < GetCount()) return entities_[index];
  omMainView* view = mainView();
  return view ? view->GetGlobalCoordSys() : nullptr;
}

int omPAT_Coord_Sys_List::IndexOf(omEntity* entity) const {
  if (!entity) return -1;
  const auto it = std::find(entities_.begin(), entities_.end(), entity);
  return it == entities_.end() ? -1 : static_cast<int>(it - entities_.begin());
}

omPAT_Coord_Sys_List* omPAT_Coord_Sys_List::Rebuild(platform::omPropertyObj& panel, int index) {
  auto* old = dynamic_cast<omPAT_Coord_Sys_List*>(&panel.GetAttrib(index));
  if (!old) return nullptr;
  omEntity* chosen = old->GetSelected();
  omPAT_Coord_Sys_List* fresh = Create(old->GetAttribName(), false);
  if (!fresh) return old;
  fresh->SetValue(std::max(0, fresh->IndexOf(chosen)));
  // What the old list hid must still come back when the panel closes.
  fresh->hiddenDisplays_ = std::move(old->hiddenDisplays_);
  fresh->hiddenReference_ = old->hiddenReference_;
  panel.ReplaceAttrib(index, fresh);
  return fresh;
}

bool omPAT_Coord_Sys_List::HideDisplays() {
  omMainView* view = mainView();
  if (!view) return false;
  bool hid = false;
  omEntityList* selection = view->GetSelection(-1);
  const std::int32_t n = selection ? selection->GetCount() : 0;
  for (std::int32_t i = 0; i < n; ++i) {
    omEntity* e = selection->GetAt(i);
    omEntity* display = e ? e->GetCoordSysEntity() : nullptr;
    if (hideShown(display)) {
      hiddenDisplays_.push_back(display);
      hid = true;
    }
  }
  omEntity* ref = GetSelected();
  if (ref != hiddenReference_ && hideShown(ref)) {
    hiddenReference_ = ref;
    return true;
  }
  return hid;
}

bool omPAT_Coord_Sys_List::ShowDisplays() {
  bool any = false;
  if (application() && mainView()) {
    for (omEntity* e : hiddenDisplays_) {
      e->Show();
      any = true;
    }
    if (hiddenReference_) {
      hiddenReference_->Show();
      any = true;
    }
  }
  Forget();
  return any;
}

bool omPAT_Coord_Sys_List::ReferenceChanged() {
  if (!mainView()) return false;
  bool changed = false;
  if (hiddenReference_) {
    // A reference that is also a selected entity's display stays hidden with those.
    if (std::find(hiddenDisplays_.begin(), hiddenDisplays_.end(), hiddenReference_) ==
        hiddenDisplays_.end())
      hiddenReference_->Show();
    hiddenReference_ = nullptr;
    changed = true;
  }
  omEntity* ref = GetSelected();
  if (ref && ref->IsShown()) {
    ref->Hide();
    hiddenReference_ = ref;
    changed = true;
  }
  return changed;
}

void omPAT_Coord_Sys_List::Forget() {
  hiddenDisplays_.clear();
  hiddenReference_ = nullptr;
}

bool omPAT_Coord_Sys_List::AffectsList(omEntity* entity) const {
  if (!entity) return false;
  constexpr std::uint32_t kMask = 0x47FFFFFFu;
  const std::uint32_t type = entity->GetType();
  if (type != kMask && (type & kMask) != type) return false;
  omEntity* display = entity->GetCoordSysEntity();
  const int index = IndexOf(display);
  if (index < 0) return false;
  const char* name = display->GetName();
  return names_[index] != (name ? name : "");
}

void omPAT_Coord_Sys_List::RefreshManipulator() {
  if (omMainView* view = mainView()) view->UpdateManipulator(1);
  if (omApplication* app = application())
    if (omViewManager* views = app->GetViewManager()) views->RefreshViews(1);
}

void omPAT_Coord_Sys_List::PanelShown(platform::omPropertyObj& panel, int index) {
  omPAT_Coord_Sys_List* l = Rebuild(panel, index);
  if (!l) return;
  omEntity* chosen = nullptr;
  if (omMainView* view = mainView()) {
    omEntityList* selection = view->GetSelection(-1);
    const std::int32_t n = selection ? selection->GetCount() : 0;
    omEntity* active = n > 0 ? selection->GetAt(n - 1) : nullptr;
    chosen = active ? active->GetCoordSysEntity() : nullptr;
    if (!chosen) chosen = view->GetGlobalCoordSys();
  }
  l->SetValue(l->IndexOf(chosen));
  if (l->HideDisplays()) RefreshManipulator();
}

void omPAT_Coord_Sys_List::PanelClosed(platform::omPropertyObj& panel, int index) {
  auto* l = dynamic_cast<omPAT_Coord_Sys_List*>(&panel.GetAttrib(index));
  if (l && l->ShowDisplays()) RefreshManipulator();
}

void omPAT_Coord_Sys_List::PanelNotified(platform::omPropertyObj& panel, int index,
                                         const omEvent* event, void* param) {
  auto* l = dynamic_cast<omPAT_Coord_Sys_List*>(&panel.GetAttrib(index));
  if (!event || !l) return;
  switch (event->code) {
    case 0:
      l->Forget();
      break;
    case om::kNotifyPanelStateChanged:
      if (param && !l->AffectsList(static_cast<omEntity*>(param))) break;
      [[fallthrough]];
    case 12:
    case 13:
      Rebuild(panel, index);
      break;
    default:
      break;
  }
}

}  // namespace tessel::transform

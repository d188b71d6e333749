#include "studio/host/panel_manager.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "platform/omPAT_Float.h"

namespace tessel::studio {

void PanelManager::SetPrompt(const char* text) {
  prompt_ = text ? text : "";
  echo_("prompt: " + prompt_);
  if (changed) changed();
}

void PanelManager::SetStatusText(const char* text) {
  status_ = text ? text : "";
  echo_("status: " + status_);
  if (changed) changed();
}

void PanelManager::SetWarning(const char* text) {
  warning_ = text ? text : "";
  echo_("warning: " + warning_);
  if (changed) changed();
}

void PanelManager::ShowPanel(platform::omPropertyObj* panel, std::uint32_t commandId,
                             const omRect&) {
  if (!panel) return;
  if (shown_ && shown_ != panel) shown_->OnPropDestroy();
  if (std::find(known_.begin(), known_.end(), panel) == known_.end()) known_.push_back(panel);
  if (shown_ != panel) {
    shown_ = panel;
    inactive_ = false;  // until the next update pass says otherwise
    panel->OnPropInit();
  }
  shownFor_ = commandId;
  ++shows_;
  echo_("panel: " + std::string(panel->GetName()) + " [" + std::to_string(commandId) + "]");
  if (changed) changed();
}

bool PanelManager::flushSettings() {
  bool ok = true;
  for (platform::omPropertyObj* p : known_) ok = p->flushSettings() && ok;
  return ok;
}

void PanelManager::closePanel() {
  flushSettings();
  if (shown_) shown_->OnPropDestroy();
  shown_ = nullptr;
  shownFor_ = 0;
  known_.clear();
}

platform::omPropertyObj* PanelManager::findPanel(const std::string& title) const {
  for (platform::omPropertyObj* p : known_)
    if (title == p->GetName()) return p;
  return nullptr;
}

std::string PanelManager::valueText(platform::omPropAttribType& attrib) {
  std::string text = attrib.GetValueText();
  if (attrib.GetKind() != platform::AttribKind::Float) return text;
  // A panel's display format may round a value away ("%f" shows 1e-9 as 0.000000, the same as
  // 0): where it does, the shortest text that reads back to the value is shown instead.
  const float value = static_cast<platform::omPAT_Float&>(attrib).GetValue();
  float shown = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), shown);
  if (ec == std::errc() && end == text.data() + text.size() && shown == value) return text;
  char buf[32];
  auto [last, ok] = std::to_chars(buf, buf + sizeof buf, value);
  return ok == std::errc() ? std::string(buf, last) : text;
}

std::vector<std::string> PanelManager::describe(platform::omPropertyObj& panel) const {
  std::vector<std::string> lines;
  lines.push_back(std::string(panel.GetName()) +
                  (&panel != shown_ ? ""
                   : inactive_      ? " (shown, inactive: its tool is not current)"
                                    : " (shown)"));
  for (int i = 0; i < panel.GetNumAttribs(); ++i) {
    platform::omPropAttribType& a = panel.GetAttrib(i);
    std::string line = "  " + std::string(a.GetAttribName()) + " = " + valueText(a);
    if (a.GetChoiceCount() > 0) {
      line += "  {";
      for (int c = 0; c < a.GetChoiceCount(); ++c) line += (c ? ", " : "") + std::string(a.GetChoice(c));
      line += "}";
    }
    if (!panel.IsAttribEnabled(i)) line += "  disabled";
    if (panel.IsAttribCtrlReadOnly(i)) line += "  read-only";
    lines.push_back(line);
  }
  return lines;
}

std::string PanelManager::edit(platform::omPropertyObj& panel, const std::string& name,
                               const std::string& value) {
  int index = -1;
  for (int i = 0; i < panel.GetNumAttribs(); ++i)
    if (name == panel.GetAttribName(i)) index = i;
  using platform::EditResult;
  // An edit may act at once (a transform panel's "Apply" attribute moves the selection).
  if (applying) applying(panel.GetName(), true);
  const EditResult result = panel.EditAttrib(index, value.c_str());
  if (applying) applying(panel.GetName(), false);
  switch (result) {
    case EditResult::Ok:
      if (unsaved && panel.hasUnsavedSettings()) unsaved();
      return {};
    case EditResult::NoSuchAttrib:
      return "panel \"" + std::string(panel.GetName()) + "\" has no attribute \"" + name + "\"";
    case EditResult::Disabled: return "attribute \"" + name + "\" is disabled";
    case EditResult::ReadOnly: return "attribute \"" + name + "\" is read-only";
    case EditResult::Invalid: return "\"" + value + "\" is not a valid value for \"" + name + "\"";
  }
  return "cannot edit \"" + name + "\"";
}

int PanelManager::ownApply(platform::omPropertyObj& panel) {
  for (int i = 0; i < panel.GetNumAttribs(); ++i)
    if (panel.GetAttrib(i).GetKind() == platform::AttribKind::Button &&
        std::string_view(panel.GetAttribName(i)) == "Apply")
      return i;
  return -1;
}

void PanelManager::setShownInactive(bool on) {
  if (inactive_ == on) return;
  inactive_ = on;
  if (changed) changed();
}

std::string PanelManager::apply(platform::omPropertyObj& panel) {
  const std::string title = panel.GetName();
  if (&panel == shownPanel() && shownInactive())
    return "panel \"" + title + "\" is inactive: its tool is not current";
  if (ownApply(panel) >= 0) return edit(panel, "Apply", "");
  if (applying) applying(title, true);
  panel.ApplyAttribs();
  if (applying) applying(title, false);
  return {};
}

}  // namespace tessel::studio

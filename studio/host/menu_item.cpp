#include "studio/host/menu_item.h"

#include <algorithm>

namespace tessel::studio {

MenuItem::~MenuItem() {
  for (omMenuItem* child : children_) child->Release();
  --live_;
}

std::int32_t MenuItem::Release() {
  // A Release without a reference answers 0 and frees nothing twice.
  if (refs_ <= 0) return 0;
  if (--refs_ > 0) return refs_;
  delete this;
  return 0;
}

void MenuItem::AppendItem(omMenuItem* child) {
  if (!child || child == this) return;
  child->AddRef();
  children_.push_back(child);
}

void MenuItem::removeAll() {
  // Released after the list is empty, so nothing reached from a child sees a half-cleared popup.
  std::vector<omMenuItem*> gone;
  gone.swap(children_);
  for (omMenuItem* child : gone) child->Release();
}

void MenuItem::insertItem(std::int32_t position, omMenuItem* child) {
  if (!child || child == this) return;
  child->AddRef();
  position = std::clamp<std::int32_t>(position, 0, GetCount());
  children_.insert(children_.begin() + position, child);
}

void MenuItem::removeItem(std::int32_t index) {
  if (index < 0 || index >= GetCount()) return;
  omMenuItem* gone = children_[index];
  children_.erase(children_.begin() + index);
  gone->Release();
}

omMenuItem* MenuItem::GetItem(std::int32_t index) {
  return index >= 0 && index < GetCount() ? children_[index] : nullptr;
}

void describeMenu(omMenuItem* item, int depth, std::vector<std::string>& lines) {
  std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
  std::string text = item->GetText();
  if (item->GetCount() > 0)
    lines.push_back(indent + text);
  else if (text.empty() && item->GetID() == 0)
    lines.push_back(indent + "-");
  else {
    std::string line = indent + text + "  [" + std::to_string(item->GetID()) + "]";
    if (auto* own = dynamic_cast<MenuItem*>(item)) {
      if (own->checked()) line += " checked";
      if (!own->enabled()) line += " disabled";
    }
    lines.push_back(line);
  }
  for (std::int32_t i = 0; i < item->GetCount(); ++i) describeMenu(item->GetItem(i), depth + 1, lines);
}

namespace {
std::string plain(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
  if (auto tab = text.find('\t'); tab != std::string::npos) text.resize(tab);
  return text;
}
}  // namespace

std::uint32_t findMenuCommand(omMenuItem* root, const std::string& path) {
  auto slash = path.find('/');
  std::string head = path.substr(0, slash);
  for (std::int32_t i = 0; i < root->GetCount(); ++i) {
    omMenuItem* item = root->GetItem(i);
    if (plain(item->GetText()) != head) continue;
    if (slash == std::string::npos) {
      if (item->GetCount() == 0 && item->GetID() != 0) return item->GetID();
    } else if (std::uint32_t id = findMenuCommand(item, path.substr(slash + 1))) {
      return id;
    }
  }
  return 0;
}

}  // namespace tessel::studio

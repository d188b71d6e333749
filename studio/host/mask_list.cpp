#include "studio/host/mask_list.h"

#include <algorithm>

namespace tessel::studio {

void MaskList::Clear() {
  entries_.clear();
  current_ = -1;
}

void MaskList::AddEntry(const char* name, std::uint32_t mask) {
  entries_.emplace_back(name ? name : "", mask);
}

bool MaskList::choose(std::int32_t index) {
  bool changed = index != current_;
  current_ = index;
  if (changed && onChange) onChange(*this);
  return true;
}

bool MaskList::SelectName(const char* name) {
  for (std::size_t i = 0; name && i < entries_.size(); ++i)
    if (entries_[i].first == name) return choose(static_cast<std::int32_t>(i));
  return false;
}

bool MaskList::SelectMask(std::uint32_t mask) {
  for (std::size_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].second == mask) return choose(static_cast<std::int32_t>(i));
  return false;
}

bool MaskList::StepEntry(std::int32_t step) {
  const std::int32_t n = GetCount();
  if (n == 0) return false;
  const std::int32_t from = current_ < 0 ? 0 : current_;
  return choose(((from + step) % n + n) % n);
}

bool MaskList::PushTemporaryMask(const char* name) {
  const std::string before = GetCurrentName();
  if (!SelectName(name)) return false;
  saved_.push_back(before);
  return true;
}

void MaskList::PopTemporaryMask() {
  if (saved_.empty()) return;
  // By name: the list may have been refilled meanwhile.
  SelectName(saved_.back().c_str());
  saved_.pop_back();
}

std::uint32_t MaskList::GetCurrentMask() { return current_ < 0 ? 0 : entries_[current_].second; }

const char* MaskList::GetCurrentName() {
  return current_ < 0 ? "" : entries_[current_].first.c_str();
}

bool MaskList::GetEntry(std::int32_t index, const char** name, std::uint32_t* mask) {
  if (index < 0 || index >= GetCount()) return false;
  if (name) *name = entries_[index].first.c_str();
  if (mask) *mask = entries_[index].second;
  return true;
}

bool MaskList::HasMask(std::uint32_t mask) {
  return std::any_of(entries_.begin(), entries_.end(), [&](auto& e) { return e.second == mask; });
}

}  // namespace tessel::studio

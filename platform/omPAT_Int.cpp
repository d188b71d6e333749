#include "platform/omPAT_Int.h"

#include <cstdio>
#include <cstdlib>

namespace tessel::platform {

omPAT_Int::omPAT_Int(const char* name, int value, int min, int max, int step, int ctrlType)
    : omPropAttribType(name), value_(value), min_(min), max_(max), step_(step), ctrlType_(ctrlType) {
  RefreshDisplay();
}

omPAT_Int::omPAT_Int(const char* name, int value, const std::vector<std::string>& choices,
                     int ctrlType)
    : omPropAttribType(name),
      choices_(choices),
      value_(value),
      min_(0),
      max_(static_cast<int>(choices.size()) - 1),
      step_(1),
      ctrlType_(ctrlType) {
  RefreshDisplay();
}

AttribKind omPAT_Int::GetKind() const { return choices_.empty() ? AttribKind::Int : AttribKind::Choice; }

std::int32_t omPAT_Int::GetChoiceCount() const { return static_cast<std::int32_t>(choices_.size()); }

const char* omPAT_Int::GetChoice(std::int32_t index) const {
  return index >= 0 && index < GetChoiceCount() ? choices_[index].c_str() : "";
}

bool omPAT_Int::accepts(long long v) const { return v >= min_ && v <= max_; }

bool omPAT_Int::parse(const std::string& text, int& out) const {
  for (std::size_t i = 0; i < choices_.size(); ++i)
    if (choices_[i] == text) {
      out = static_cast<int>(i);
      return true;
    }
  if (text.empty()) return false;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 10);
  if (*end != '\0' || !accepts(v)) return false;
  out = static_cast<int>(v);
  return true;
}

bool omPAT_Int::IsInValueSet() const {
  int v = 0;
  return parse(GetCtrlText(), v);
}

bool omPAT_Int::ValidateCtrlValue() {
  int v = 0;
  if (!parse(GetCtrlText(), v)) return false;
  value_ = v;
  changingMethod_ = kChangedByUserEdit;
  valueSet();
  return true;
}

void omPAT_Int::SetValue(int value) {
  value_ = value;
  changingMethod_ = kChangedByProgram;
  valueSet();
}

bool omPAT_Int::load(const nlohmann::json& value) {
  if (!value.is_number_integer() || !accepts(value.get<long long>())) return false;
  value_ = value.get<int>();
  valueSet();
  return true;
}

void omPAT_Int::GetNumRange(int& min, int& max, int& step) const {
  min = min_;
  max = max_;
  step = step_;
}

void omPAT_Int::SetNumRange(int min, int max, int step) {
  min_ = min;
  max_ = max;
  step_ = step;
}

std::string omPAT_Int::formatValue() const {
  if (!choices_.empty())
    return value_ >= 0 && value_ < GetChoiceCount() ? choices_[value_] : std::string();
  char buf[64];
  std::snprintf(buf, sizeof buf, format_.c_str(), value_);
  return buf;
}

}  // namespace tessel::platform

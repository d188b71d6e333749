#include "platform/omPAT_Float.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace tessel::platform {

omPAT_Float::omPAT_Float(const char* name, float value, float min, float max, float step,
                         int ctrlType)
    : omPropAttribType(name), value_(value), min_(min), max_(max), step_(step), ctrlType_(ctrlType) {
  RefreshDisplay();
}

bool omPAT_Float::accepts(double v) const {
  // NaN and infinities never become values, bounded or not.
  if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max()) return false;
  return max_ < min_ || (v >= min_ && v <= max_);
}

bool omPAT_Float::parse(const std::string& text, float& out) const {
  if (text.empty()) return false;
  char* end = nullptr;
  double v = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !accepts(v)) return false;
  out = static_cast<float>(v);
  return true;
}

bool omPAT_Float::IsInValueSet() const {
  float v = 0;
  return parse(GetCtrlText(), v);
}

bool omPAT_Float::ValidateCtrlValue() {
  float v = 0;
  if (!parse(GetCtrlText(), v)) return false;
  value_ = v;
  changingMethod_ = kChangedByUserEdit;
  valueSet();
  return true;
}

void omPAT_Float::SetValue(float value) {
  value_ = value;
  changingMethod_ = kChangedByProgram;
  valueSet();
}

bool omPAT_Float::load(const nlohmann::json& value) {
  if (!value.is_number() || !accepts(value.get<double>())) return false;
  value_ = value.get<float>();
  valueSet();
  return true;
}

void omPAT_Float::GetNumRange(float& min, float& max, float& step) const {
  min = min_;
  max = max_;
  step = step_;
}

void omPAT_Float::SetNumRange(float min, float max, float step) {
  min_ = min;
  max_ = max;
  step_ = step;
}

std::string omPAT_Float::formatValue() const {
  char buf[128];
  std::snprintf(buf, sizeof buf, format_.c_str(), static_cast<double>(value_));
  return buf;
}

}  // namespace tessel::platform

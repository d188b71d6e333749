#include "platform/omPAT_Bool.h"

#include <optional>

namespace tessel::platform {

namespace {
std::optional<bool> parseBool(const std::string& t) {
  if (t == "true" || t == "on" || t == "yes" || t == "1") return true;
  if (t == "false" || t == "off" || t == "no" || t == "0") return false;
  return std::nullopt;
}
}  // namespace

omPAT_Bool::omPAT_Bool(const char* name, bool value, int ctrlType)
    : omPropAttribType(name), value_(value), ctrlType_(ctrlType) {
  RefreshDisplay();
}

bool omPAT_Bool::IsInValueSet() const { return parseBool(GetCtrlText()).has_value(); }

bool omPAT_Bool::ValidateCtrlValue() {
  auto v = parseBool(GetCtrlText());
  if (!v) return false;
  value_ = *v;
  valueSet();
  return true;
}

void omPAT_Bool::SetValue(bool value) {
  value_ = value;
  valueSet();
}

bool omPAT_Bool::load(const nlohmann::json& value) {
  if (!value.is_boolean()) return false;
  value_ = value.get<bool>();
  valueSet();
  return true;
}

}  // namespace tessel::platform

// A yes/no attribute; its control accepts "true"/"false", "on"/"off", "yes"/"no" and "1"/"0".
#pragma once

#include <string>

#include "platform/omPropAttribType.h"

namespace tessel::platform {

class omPAT_Bool : public omPropAttribType {
 public:
  omPAT_Bool(const char* name, bool value, int ctrlType);

  bool IsInValueSet() const override;
  bool ValidateCtrlValue() override;
  AttribKind GetKind() const override { return AttribKind::Bool; }
  nlohmann::json save() const override { return value_; }
  bool load(const nlohmann::json& value) override;

  virtual bool GetValue() const { return value_; }
  virtual void SetValue(bool value);
  virtual int GetCtrlType() const { return ctrlType_; }

 protected:
  std::string formatValue() const override { return value_ ? "true" : "false"; }

 private:
  bool value_;
  int ctrlType_;
};

}  // namespace tessel::platform

// A float attribute in [min, max]; a range with max below min has no bounds at all.
#pragma once

#include <string>

#include "platform/omPropAttribType.h"

namespace tessel::platform {

class omPAT_Float : public omPropAttribType {
 public:
  omPAT_Float(const char* name, float value, float min, float max, float step, int ctrlType);

  bool IsInValueSet() const override;
  bool ValidateCtrlValue() override;
  AttribKind GetKind() const override { return AttribKind::Float; }
  nlohmann::json save() const override { return value_; }
  bool load(const nlohmann::json& value) override;

  virtual void SetDisplayFormatStr(const char* format) { format_ = format ? format : "%g"; }
  virtual float GetValue() const { return value_; }
  virtual void SetValue(float value);
  virtual std::int32_t GetAttribChangingMethod() const { return changingMethod_; }
  virtual void GetNumRange(float& min, float& max, float& step) const;
  virtual void SetNumRange(float min, float max, float step);
  virtual int GetCtrlType() const { return ctrlType_; }

 protected:
  std::string formatValue() const override;

 private:
  bool accepts(double v) const;
  bool parse(const std::string& text, float& out) const;

  std::string format_ = "%g";
  float value_, min_, max_, step_;
  int ctrlType_;
  std::int32_t changingMethod_ = kChangedByProgram;
};

}  // namespace tessel::platform

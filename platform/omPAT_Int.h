// An integer attribute: a number in [min, max] with a step, or an index into a list of choices.
#pragma once

#include <string>
#include <vector>

#include "platform/omPropAttribType.h"

namespace tessel::platform {

class omPAT_Int : public omPropAttribType {
 public:
  omPAT_Int(const char* name, int value, int min, int max, int step, int ctrlType);
  omPAT_Int(const char* name, int value, const std::vector<std::string>& choices, int ctrlType);

  bool IsInValueSet() const override;
  bool ValidateCtrlValue() override;
  AttribKind GetKind() const override;
  std::int32_t GetChoiceCount() const override;
  const char* GetChoice(std::int32_t index) const override;
  nlohmann::json save() const override { return value_; }
  bool load(const nlohmann::json& value) override;

  virtual void SetDisplayFormatStr(const char* format) { format_ = format ? format : "%d"; }
  virtual int GetValue() const { return value_; }
  virtual void SetValue(int value);
  virtual std::int32_t GetAttribChangingMethod() const { return changingMethod_; }
  virtual void GetNumRange(int& min, int& max, int& step) const;
  virtual void SetNumRange(int min, int max, int step);
  virtual int GetCtrlType() const { return ctrlType_; }

 protected:
  std::string formatValue() const override;

 private:
  bool accepts(long long v) const;
  // A choice by its text or its index, a number by its digits.
  bool parse(const std::string& text, int& out) const;

  std::vector<std::string> choices_;
  std::string format_ = "%d";
  int value_, min_, max_, step_, ctrlType_;
  std::int32_t changingMethod_ = kChangedByProgram;
};

}  // namespace tessel::platform

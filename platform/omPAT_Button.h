// A push button in a panel: no value; pressing it is an edit the panel reacts to.
#pragma once

#include <string>

#include "platform/omPropAttribType.h"

namespace tessel::platform {

class omPAT_Button : public omPropAttribType {
 public:
  explicit omPAT_Button(const char* name) : omPropAttribType(name) {}

  bool IsInValueSet() const override { return true; }
  bool ValidateCtrlValue() override { return true; }
  AttribKind GetKind() const override { return AttribKind::Button; }
  nlohmann::json save() const override { return nullptr; }
  bool load(const nlohmann::json&) override { return true; }

 protected:
  std::string formatValue() const override { return {}; }
};

}  // namespace tessel::platform

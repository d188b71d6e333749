// A filter: named masks with one current entry, as the object and component filter combos show.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/omApplication.h"

namespace tessel::studio {

class MaskList final : public omMaskList {
 public:
  void Clear() override;
  void AddEntry(const char* name, std::uint32_t mask) override;
  bool SelectName(const char* name) override;
  std::uint32_t GetCurrentMask() override;
  const char* GetCurrentName() override;
  std::int32_t GetCount() override { return static_cast<std::int32_t>(entries_.size()); }
  bool GetEntry(std::int32_t index, const char** name, std::uint32_t* mask) override;
  bool HasMask(std::uint32_t mask) override;
  bool SelectMask(std::uint32_t mask) override;
  bool StepEntry(std::int32_t step) override;
  bool PushTemporaryMask(const char* name) override;
  void PopTemporaryMask() override;

  // Called after the current entry changed to another one.
  std::function<void(MaskList&)> onChange;

 private:
  bool choose(std::int32_t index);
  std::vector<std::pair<std::string, std::uint32_t>> entries_;
  std::int32_t current_ = -1;
  std::vector<std::string> saved_;  // entries replaced by temporary masks, innermost last
};

}  // namespace tessel::studio

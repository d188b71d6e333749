// The ordered entity sets the module hands the host to fill during a connected flood.
#pragma once

#include <unordered_set>
#include <vector>

#include "host/omEntity.h"

namespace tessel::selection {

class omEntitySetImpl final : public omEntitySet {
 public:
  bool Insert(omEntity* entity) override {
    if (!entity || !members_.insert(entity).second) return false;
    order_.push_back(entity);
    return true;
  }
  bool Contains(omEntity* entity) override { return members_.count(entity) != 0; }
  std::int32_t GetCount() override { return static_cast<std::int32_t>(order_.size()); }
  omEntity* GetAt(std::int32_t i) override {
    return i >= 0 && i < GetCount() ? order_[i] : nullptr;
  }
  const std::vector<omEntity*>& entities() const { return order_; }

 private:
  std::vector<omEntity*> order_;
  std::unordered_set<omEntity*> members_;
};

}  // namespace tessel::selection

// "Seed Select" (the Flood menu item): grows the face selection of every selected mesh over its
// surface, or, in object mode, the selection of curves or springs through their connections.
#pragma once

#include "framework/omCommandBase.h"
#include "host/omCommand.h"

namespace tessel::selection {

struct omCmdSeedSelectData : omCommandData {
  static constexpr std::int32_t kFillAll = -1;
  // Growth steps, or kFillAll.
  std::int32_t range = kFillAll;
};

class omCmdSeedSelect : public framework::omCommandBase {
 public:
  const char* GetName() override { return "Seed Select"; }
  omCommandData* CreateData(std::int32_t) override;
  bool CanExecute() override;
  std::int32_t Execute(omProgress* progress, omCommandData* data) override;

 private:
  std::int32_t floodFaces(omMainView& main, omProgress* progress, std::int32_t range);
  std::int32_t floodConnected(omMainView& main, std::uint32_t filter, std::int32_t range);
};

}  // namespace tessel::selection

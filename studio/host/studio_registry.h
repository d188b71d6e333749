// The registry a module fills while it loads: the factories of its commands and tools. Panels come
// with the tools and commands that own them, so there is no panel factory list.
#pragma once

#include "host/omModule2.h"
#include "studio/host/factory_list.h"

namespace tessel::studio {

class StudioRegistry final : public omRegistry {
 public:
  omFactoryList* GetCommandFactories() override { return &commands; }
  omFactoryList* GetToolFactories() override { return &tools; }
  omFactoryList* GetPanelFactories() override { return nullptr; }

  FactoryList tools{FactoryList::Kind::Tools};
  FactoryList commands{FactoryList::Kind::Commands};
};

}  // namespace tessel::studio

// Studio's one document: the scene. Its kind (which filter mode the module offers) follows the
// data it holds; it has no frames besides the main one.
#pragma once

#include <cstdint>

#include "host/omApplication.h"

namespace tessel::studio {

class StudioDocument final : public omDocument {
 public:
  std::int32_t GetFrameCount() override { return 0; }
  omFrame* GetFrame(std::int32_t) override { return nullptr; }
  std::int32_t GetFilterMode() override { return filterMode; }

  // 1: meshes; see StudioHost::followDocumentKind for the others.
  std::int32_t filterMode = 1;
};

}  // namespace tessel::studio

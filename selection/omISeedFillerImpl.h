// The module's seed filler. Its working lists are shared by every filler of the module and
// reused from call to call, so a flood allocates nothing once they have grown.
#pragma once

#include <vector>

#include "selection/omISeedFiller.h"

namespace tessel::selection {

class omISeedFillerImpl final : public omISeedFiller {
 public:
  std::int32_t AddRef() override { return ++refCount_; }
  std::int32_t Release() override;
  const char* GetName() override { return "Seed Filler"; }

  void FillFromVertex(omMesh* mesh, std::uint32_t vertex, const omFaceSet& seeds,
                      omFaceSet* out) override;
  void FillFromFace(omMesh* mesh, std::uint32_t face, const omFaceSet& barriers, omFaceSet* out,
                    std::uint32_t maxRings) override;
  void FillFromSeeds(omMesh* mesh, const omFaceSet& seeds, omFaceSet* out, std::int32_t value,
                     std::uint32_t maxRings) override;
  void ComputeEdgeCosines(omMesh* mesh) override;
  void SelectSharpEdgePolygons(omMesh* mesh, float minCosine, float maxCosine, omFaceSet* faces,
                               std::int32_t filter, omProgress* progress) override;
  bool ComputeEdgeCosinesOrCancel(omMesh* mesh, omProgress* progress) override;

 private:
  std::int32_t refCount_ = 0;
};

}  // namespace tessel::selection

// Floods over the faces of a mesh through shared vertices, and measures and collects the folds
// between faces. Reference counted like every module object; used from one thread at a time.
#pragma once

#include <cstdint>

#include "host/omObject.h"
#include "selection/omFaceSet.h"

class omMesh;
class omProgress;

class omISeedFiller : public omObject {
 public:
  // Unlimited flood from the faces around `vertex`; the faces of `seeds` are selected without
  // spreading.
  virtual void FillFromVertex(omMesh* mesh, std::uint32_t vertex, const omFaceSet& seeds,
                              omFaceSet* out) = 0;
  // Flood from `face`, stopping at `barriers`, for at most `maxRings` rings (0 and 1: one ring).
  virtual void FillFromFace(omMesh* mesh, std::uint32_t face, const omFaceSet& barriers,
                            omFaceSet* out, std::uint32_t maxRings) = 0;
  // Flood from `seeds` through the faces that pass FaceMatches with `value` (-1: all of them).
  virtual void FillFromSeeds(omMesh* mesh, const omFaceSet& seeds, omFaceSet* out,
                             std::int32_t value, std::uint32_t maxRings) = 0;
  // Stores in every edge's value the dot product of its two face normals; 1.0 where there is
  // no such pair (an excluded face, a boundary edge, a face without normal).
  virtual void ComputeEdgeCosines(omMesh* mesh) = 0;
  // Adds every face, not excluded and passing `filter`, that touches an edge whose value lies in
  // [minCosine, maxCosine].
  virtual void SelectSharpEdgePolygons(omMesh* mesh, float minCosine, float maxCosine,
                                       omFaceSet* faces, std::int32_t filter,
                                       omProgress* progress) = 0;
  // As ComputeEdgeCosines, asking `progress` (may be null) between batches of edges whether the
  // user cancelled: on a large scan the measure takes a third of a second or more. False when
  // cancelled; the edges measured by then keep their new values.
  virtual bool ComputeEdgeCosinesOrCancel(omMesh* mesh, omProgress* progress) = 0;
};

namespace tessel::selection {
// Creates a filler into `out` with no reference taken yet; answers 1.
std::int32_t createSeedFiller(omISeedFiller** out);

// A filler held for one scope: created with the first reference, released at its end.
class ScopedSeedFiller {
 public:
  ScopedSeedFiller() {
    createSeedFiller(&filler_);
    filler_->AddRef();
  }
  ~ScopedSeedFiller() { filler_->Release(); }
  ScopedSeedFiller(const ScopedSeedFiller&) = delete;
  ScopedSeedFiller& operator=(const ScopedSeedFiller&) = delete;
  omISeedFiller* operator->() const { return filler_; }

 private:
  omISeedFiller* filler_ = nullptr;
};
}  // namespace tessel::selection

#include "selection/omISeedFillerImpl.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "host/omCommand.h"
#include "host/omMesh.h"

namespace tessel::selection {
namespace {

constexpr std::uint32_t kAllRings = std::numeric_limits<std::uint32_t>::max();
constexpr std::int32_t kNoValueTest = -1;
constexpr std::uint32_t kVertexOnSharpEdge = 1;

// The module-wide working storage. A marked face is recorded in exactly one list: `selected`
// when it spreads (those are also the fill's new result), `blocked` when it stops the fill.
// Keeping the result apart from the blocked faces means the result needs no second copy.
struct FillBuffers {
  std::vector<std::uint32_t> vertexBuffer = std::vector<std::uint32_t>(100);
  std::vector<std::uint32_t> selected;
  std::vector<std::uint32_t> blocked;
  std::vector<std::uint32_t> markedVertices;
  std::vector<std::uint32_t> frontier, working, scratch;
  // Faces a seeding puts into the result without marking them as spreading.
  std::vector<std::uint32_t> seededResult;
};

FillBuffers& buffers() {
  static FillBuffers b;
  return b;
}

// One fill: empties the lists on the way in and, on the way out, clears every mark it set and
// hands its result to `out`. The result list is reserved for the whole mesh so that it never
// reallocates (a doubling vector would hold three times the result at its peak); untouched
// reserved pages cost nothing.
class Fill {
 public:
  Fill(omMesh& mesh, omFaceSet* out) : mesh_(mesh), out_(out), b_(buffers()) {
    b_.selected.clear();
    b_.blocked.clear();
    b_.markedVertices.clear();
    b_.frontier.clear();
    b_.seededResult.clear();
    b_.selected.reserve(mesh.GetFaceCount());
    b_.markedVertices.reserve(mesh.GetVertexCount());
  }
  Fill(const Fill&) = delete;
  Fill& operator=(const Fill&) = delete;

  ~Fill() {
    for (std::uint32_t f : b_.blocked) mesh_.UnmarkFace(f);
    for (std::uint32_t f : b_.selected) mesh_.UnmarkFace(f);
    for (std::uint32_t v : b_.markedVertices) mesh_.UnmarkVertex(v);
    b_.blocked.clear();
    b_.markedVertices.clear();
    b_.frontier.clear();
    b_.working.clear();
    if (out_) {
      out_->insertMany(b_.seededResult);
      out_->insertMany(b_.selected);
    }
    b_.selected.clear();
    b_.seededResult.clear();
  }

  void block(std::uint32_t face) {
    mesh_.MarkFaceBlocked(face);
    b_.blocked.push_back(face);
  }
  void spread(std::uint32_t face) {
    mesh_.MarkFace(face);
    b_.selected.push_back(face);
  }
  void addToResult(std::uint32_t face) { b_.seededResult.push_back(face); }
  void addToFrontier(std::uint32_t face) { b_.frontier.push_back(face); }

  void run(std::uint32_t maxRings, std::int32_t value) {
    std::uint32_t rings = 0;
    while (!b_.frontier.empty()) {
      b_.working.swap(b_.frontier);
      b_.frontier.clear();
      std::sort(b_.working.begin(), b_.working.end());
      if (value == kNoValueTest)
        for (std::uint32_t f : b_.working) expand<false>(f, value);
      else
        for (std::uint32_t f : b_.working) expand<true>(f, value);
      if (++rings >= maxRings) break;
    }
  }

 private:
  template <bool kValueTest>
  void expand(std::uint32_t face, std::int32_t value) {
    std::uint32_t* corners = b_.vertexBuffer.data();
    if (mesh_.GetFaceVertices(face, corners, 0) < 3) return;
    for (int k = 0; k < 3; ++k) {
      const std::uint32_t v = corners[k];
      if (mesh_.IsVertexMarked(v)) continue;
      mesh_.MarkVertex(v);
      b_.markedVertices.push_back(v);
      const std::uint32_t* around = nullptr;
      const std::int32_t n = mesh_.GetVertexFaces(v, &around, 0);
      for (std::int32_t i = 0; i < n; ++i) {
        const std::uint32_t g = around[i];
        if (mesh_.IsFaceHidden(g) || mesh_.IsFaceMarked(g)) continue;
        if ((kValueTest && !mesh_.FaceMatches(g, value)) || mesh_.IsFaceExcluded(g)) {
          block(g);
          continue;
        }
        spread(g);
        b_.frontier.push_back(g);
      }
    }
  }

  omMesh& mesh_;
  omFaceSet* out_;
  FillBuffers& b_;
};

}  // namespace

std::int32_t createSeedFiller(omISeedFiller** out) {
  if (!out) return 0;
  FillBuffers& b = buffers();
  if (b.vertexBuffer.size() < 100) b.vertexBuffer.resize(100);
  *out = new omISeedFillerImpl;
  return 1;
}

std::int32_t omISeedFillerImpl::Release() {
  if (refCount_ <= 0) return 0;  // nobody holds it; never free twice
  if (--refCount_ == 0) {
    delete this;
    return 0;
  }
  return refCount_;
}

void omISeedFillerImpl::FillFromVertex(omMesh* mesh, std::uint32_t vertex, const omFaceSet& seeds,
                                       omFaceSet* out) {
  if (!mesh) return;
  Fill fill(*mesh, out);
  for (std::uint32_t s : seeds) {
    fill.block(s);
    fill.addToResult(s);
  }
  const std::uint32_t* around = nullptr;
  const std::int32_t n = mesh->GetVertexFaces(vertex, &around, 0);
  for (std::int32_t i = 0; i < n; ++i) {
    const std::uint32_t g = around[i];
    // Hidden faces are never selected, not even as the starting ring.
    if (mesh->IsFaceHidden(g)) continue;
    if (mesh->IsFaceExcluded(g)) {
      fill.block(g);
    } else if (!mesh->IsFaceMarked(g)) {
      fill.addToFrontier(g);
      fill.addToResult(g);
    }
  }
  fill.run(kAllRings, kNoValueTest);
}

void omISeedFillerImpl::FillFromFace(omMesh* mesh, std::uint32_t face, const omFaceSet& barriers,
                                     omFaceSet* out, std::uint32_t maxRings) {
  if (!mesh) return;
  Fill fill(*mesh, out);
  for (std::uint32_t b : barriers) fill.block(b);
  if (!mesh->IsFaceMarked(face))
    fill.spread(face);
  else
    fill.addToResult(face);
  fill.addToFrontier(face);
  fill.run(maxRings, kNoValueTest);
}

void omISeedFillerImpl::FillFromSeeds(omMesh* mesh, const omFaceSet& seeds, omFaceSet* out,
                                      std::int32_t value, std::uint32_t maxRings) {
  if (!mesh) return;
  Fill fill(*mesh, out);
  for (std::uint32_t s : seeds) {
    if (mesh->IsFaceExcluded(s))
      fill.block(s);
    else
      fill.addToFrontier(s);
  }
  fill.run(maxRings, value);
}

void omISeedFillerImpl::ComputeEdgeCosines(omMesh* mesh) {
  if (!mesh) return;
  for (std::uint32_t e = mesh->FirstEdge(); e != om::kNoHandle; e = mesh->NextEdge(e)) {
    float* value = mesh->GetEdgeValue(e);
    if (!value) continue;
    std::uint32_t f0 = 0, f1 = 0;
    float n0[3], n1[3];
    // A boundary edge has no second face and a face without area no normal: like an edge next
    // to an excluded face, neither measures a fold.
    const bool measurable = mesh->GetEdgeFaces(e, &f0, &f1) == 2 && !mesh->IsFaceExcluded(f0) &&
                            !mesh->IsFaceExcluded(f1) && mesh->GetFaceNormal(f0, n0) &&
                            mesh->GetFaceNormal(f1, n1);
    *value = measurable ? n0[0] * n1[0] + n0[1] * n1[1] + n0[2] * n1[2] : 1.0f;
  }
}

void omISeedFillerImpl::SelectSharpEdgePolygons(omMesh* mesh, float minCosine, float maxCosine,
                                                omFaceSet* faces, std::int32_t filter,
                                                omProgress* progress) {
  if (!mesh || !faces) return;
  const std::uint32_t total = mesh->GetFaceCount();
  if (progress) {
    progress->SetMessage("Collecting faces on marked edges ...", 0);
    progress->SetRange(static_cast<std::int32_t>(std::min<std::uint32_t>(total, INT32_MAX)));
  }
  mesh->ClearVertexFlags();
  for (std::uint32_t e = mesh->FirstEdge(); e != om::kNoHandle; e = mesh->NextEdge(e)) {
    const float* value = mesh->GetEdgeValue(e);
    if (!value || !(minCosine <= *value && *value <= maxCosine)) continue;
    mesh->SetVertexFlags(mesh->GetEdgeStart(e), kVertexOnSharpEdge);
    mesh->SetVertexFlags(mesh->GetEdgeEnd(e), kVertexOnSharpEdge);
  }
  std::vector<std::uint32_t> found;
  std::int32_t count = 0;
  bool cancelled = false;
  std::uint32_t corners[3];
  for (std::uint32_t f = mesh->FirstFace(); f != om::kNoHandle; f = mesh->NextFace(f)) {
    if (!mesh->IsFaceExcluded(f) && mesh->FaceMatches(f, filter) &&
        mesh->GetFaceVertices(f, corners, 0) == 3 &&
        (mesh->GetVertexFlags(corners[0]) || mesh->GetVertexFlags(corners[1]) ||
         mesh->GetVertexFlags(corners[2]))) {
      found.push_back(f);
      ++count;
    }
    if (progress) {
      if (progress->IsCancelled()) {
        cancelled = true;
        break;
      }
      progress->Step(1);
    }
  }
  // Faces come in ascending order, so the set takes them without sorting.
  faces->insertMany(found);
  if (!progress) return;
  progress->Finish();
  if (cancelled) {
    progress->SetMessage("Sharp polygons selection canceled.", 0);
  } else {
    char text[96];
    std::snprintf(text, sizeof text, "%d sharp edge polygons have been selected.", count);
    progress->SetMessage(text, 0);
  }
}

}  // namespace tessel::selection

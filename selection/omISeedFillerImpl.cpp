#include "selection/omISeedFillerImpl.h"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "host/omCommand.h"
#include "host/omMesh.h"
#include "selection/face_scan.h"

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
  std::vector<std::uint32_t> frontier, scratch;
  // Faces a seeding puts into the result without marking them as spreading.
  std::vector<std::uint32_t> seededResult;
};

FillBuffers& buffers() {
  static FillBuffers b;
  return b;
}

// One fill: empties the lists on the way in and, on the way out, clears every mark it set and
// hands its result to `out`. Nothing is sized for the mesh up front, so a small flood on a large
// scan costs what it reaches.
class Fill {
 public:
  Fill(omMesh& mesh, omFaceSet* out) : mesh_(mesh), out_(out), b_(buffers()) {
    b_.selected.clear();
    b_.blocked.clear();
    b_.markedVertices.clear();
    b_.frontier.clear();
    b_.seededResult.clear();
  }
  Fill(const Fill&) = delete;
  Fill& operator=(const Fill&) = delete;

  ~Fill() {
    unmark(b_.blocked, &omMesh::UnmarkFaces);
    unmark(b_.selected, &omMesh::UnmarkFaces);
    unmark(b_.markedVertices, &omMesh::UnmarkVertices);
    b_.blocked.clear();
    b_.markedVertices.clear();
    b_.frontier.clear();
    if (out_) {
      out_->insertMany(b_.seededResult, b_.scratch);
      out_->insertMany(b_.selected, b_.scratch);
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
    if (value == kNoValueTest)
      rings<false>(maxRings, value);
    else
      rings<true>(maxRings, value);
  }

 private:
  // The first ring is the seeding's frontier. Every later ring is the faces the ring before it
  // selected, which are the tail of the result list, so no frontier is copied. A ring is
  // expanded in the order its faces were reached: which faces a ring reaches does not depend on
  // that order (a face or vertex is taken by whichever member of the ring gets to it first, and
  // the tests on it are the same), and sorting every ring cost more than the flood itself.
  template <bool kValueTest>
  void rings(std::uint32_t maxRings, std::int32_t value) {
    if (b_.frontier.empty()) return;
    std::size_t from = b_.selected.size();
    for (std::uint32_t f : b_.frontier) expand<kValueTest>(f, value);
    b_.frontier.clear();
    for (std::uint32_t ring = 1; ring < maxRings; ++ring) {
      const std::size_t to = b_.selected.size();
      if (from == to) break;
      // By index: expanding appends to the list being walked.
      for (std::size_t i = from; i < to; ++i) expand<kValueTest>(b_.selected[i], value);
      from = to;
    }
  }

  void unmark(const std::vector<std::uint32_t>& list,
              void (omMesh::*op)(const std::uint32_t*, std::int32_t)) {
    constexpr std::size_t kBatch = std::size_t{1} << 30;  // counts stay within int32
    for (std::size_t at = 0; at < list.size(); at += kBatch)
      (mesh_.*op)(list.data() + at, static_cast<std::int32_t>(std::min(kBatch, list.size() - at)));
  }

  template <bool kValueTest>
  void expand(std::uint32_t face, std::int32_t value) {
    // The mesh leaves out the corners already walked, one call instead of one a corner.
    std::uint32_t* corners = b_.vertexBuffer.data();
    const std::int32_t open = mesh_.GetFaceVertices(face, corners, om::kFaceVerticesUnmarked);
    for (std::int32_t k = 0; k < open; ++k) {
      const std::uint32_t v = corners[k];
      // A face that names a vertex twice walks it once.
      if ((k > 0 && v == corners[0]) || (k == 2 && v == corners[1])) continue;
      mesh_.MarkVertex(v);
      b_.markedVertices.push_back(v);
      const std::uint32_t* around = nullptr;
      const std::int32_t n = mesh_.GetVertexFaces(v, &around, 0);
      for (std::int32_t i = 0; i < n; ++i) {
        const std::uint32_t g = around[i];
        const std::uint32_t state = mesh_.GetFaceState(g);
        if (state & (om::kFaceMarked | om::kFaceHidden)) continue;
        if ((kValueTest && !mesh_.FaceMatches(g, value)) || (state & om::kFaceExcluded)) {
          block(g);
          continue;
        }
        spread(g);
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
  bool cancelled = false;
  // The edge loop reports no progress of its own, but on a large scan it takes long enough that
  // a cancel must not wait for it.
  constexpr std::uint32_t kCancelPoll = 1u << 14;
  std::uint32_t sinceCheck = 0;
  for (std::uint32_t e = mesh->FirstEdge(); e != om::kNoHandle; e = mesh->NextEdge(e)) {
    if (progress && ++sinceCheck == kCancelPoll) {
      sinceCheck = 0;
      if ((cancelled = progress->IsCancelled())) break;
    }
    const float* value = mesh->GetEdgeValue(e);
    if (!value || !(minCosine <= *value && *value <= maxCosine)) continue;
    mesh->SetVertexFlags(mesh->GetEdgeStart(e), kVertexOnSharpEdge);
    mesh->SetVertexFlags(mesh->GetEdgeEnd(e), kVertexOnSharpEdge);
  }
  std::vector<std::uint32_t> found;
  std::int32_t count = 0;
  std::uint32_t words[3];
  const std::uint32_t first = cancelled ? om::kNoHandle : mesh->FirstFace();
  for (std::uint32_t f = first; f != om::kNoHandle; f = mesh->NextFace(f)) {
    if (!mesh->IsFaceExcluded(f) && mesh->FaceMatches(f, filter) &&
        mesh->GetFaceVertexRecords(f, words) == 3 && (words[0] || words[1] || words[2])) {
      found.push_back(f);
      ++count;
    }
    if (!stepOrCancel(progress)) {
      cancelled = true;
      break;
    }
  }
  // Faces come in ascending order, so the set takes them without sorting.
  faces->insertMany(found);
  finishScan(progress, cancelled, "Sharp polygons selection canceled.",
             "%d sharp edge polygons have been selected.", count);
}

}  // namespace tessel::selection

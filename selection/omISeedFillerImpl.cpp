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

namespace {
// Edges and faces go over in batches: a call an element would cost more than the arithmetic on
// a scan.
constexpr std::int32_t kEdgeBatch = 1024;

struct EdgeBatch {
  std::vector<omEdgeRecord> records = std::vector<omEdgeRecord>(kEdgeBatch);
  std::vector<std::uint32_t> handles = std::vector<std::uint32_t>(kEdgeBatch);
  std::vector<float> values = std::vector<float>(kEdgeBatch);
  std::uint32_t after = om::kNoHandle;
  std::int32_t count = 0;

  bool next(omMesh& mesh) {
    count = mesh.GetEdgeRecords(after, records.data(), kEdgeBatch);
    if (count <= 0) return false;
    for (std::int32_t i = 0; i < count; ++i) handles[i] = records[i].edge;
    after = records[count - 1].edge;
    return true;
  }
};
}  // namespace

void omISeedFillerImpl::ComputeEdgeCosines(omMesh* mesh) {
  if (!mesh) return;
  EdgeBatch batch;
  std::vector<std::uint32_t> faces(2 * kEdgeBatch), states(2 * kEdgeBatch);
  std::vector<float> normals(6 * kEdgeBatch);
  std::vector<std::uint8_t> valid(2 * kEdgeBatch);
  while (batch.next(*mesh)) {
    std::int32_t m = 0;
    for (std::int32_t i = 0; i < batch.count; ++i)
      if (batch.records[i].faceCount == 2) {
        faces[m++] = batch.records[i].f0;
        faces[m++] = batch.records[i].f1;
      }
    mesh->GetFaceStates(faces.data(), m, states.data());
    mesh->GetFaceNormals(faces.data(), m, normals.data(), valid.data());
    for (std::int32_t i = 0, j = 0; i < batch.count; ++i) {
      // A boundary edge has no second face and a face without area no normal: like an edge
      // next to an excluded face, neither measures a fold.
      float value = 1.0f;
      if (batch.records[i].faceCount == 2) {
        const float* n0 = &normals[3 * j];
        const float* n1 = n0 + 3;
        if (!((states[j] | states[j + 1]) & om::kFaceExcluded) && valid[j] && valid[j + 1])
          value = n0[0] * n1[0] + n0[1] * n1[1] + n0[2] * n1[2];
        j += 2;
      }
      batch.values[i] = value;
    }
    mesh->SetEdgeValues(batch.handles.data(), batch.count, batch.values.data());
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
  EdgeBatch batch;
  // The edge loop reports no progress of its own, but on a large scan it takes long enough that
  // a cancel must not wait for it: it is asked once a batch.
  while (!cancelled && batch.next(*mesh)) {
    mesh->GetEdgeValues(batch.handles.data(), batch.count, batch.values.data());
    for (std::int32_t i = 0; i < batch.count; ++i) {
      const float value = batch.values[i];
      if (!(minCosine <= value && value <= maxCosine)) continue;
      mesh->SetVertexFlags(batch.records[i].start, kVertexOnSharpEdge);
      mesh->SetVertexFlags(batch.records[i].end, kVertexOnSharpEdge);
    }
    cancelled = progress && progress->IsCancelled();
  }
  std::vector<std::uint32_t> found;
  std::int32_t count = 0;
  std::vector<std::uint32_t> faceBatch(kEdgeBatch), states(kEdgeBatch), words(3 * kEdgeBatch);
  std::vector<std::uint8_t> matches(kEdgeBatch);
  std::uint32_t after = om::kNoHandle;
  std::int32_t n = 0;
  while (!cancelled && (n = mesh->GetFaces(after, faceBatch.data(), kEdgeBatch)) > 0) {
    after = faceBatch[n - 1];
    mesh->GetFaceStates(faceBatch.data(), n, states.data());
    mesh->FacesMatch(faceBatch.data(), n, filter, matches.data());
    mesh->GetFacesVertexRecords(faceBatch.data(), n, words.data());
    for (std::int32_t i = 0; i < n; ++i) {
      const std::uint32_t* w = &words[3 * i];
      if (!(states[i] & om::kFaceExcluded) && matches[i] && (w[0] || w[1] || w[2])) {
        found.push_back(faceBatch[i]);
        ++count;
      }
      if (!stepOrCancel(progress)) {
        cancelled = true;
        break;
      }
    }
  }
  // Faces come in ascending order, so the set takes them without sorting.
  faces->insertMany(found);
  finishScan(progress, cancelled, "Sharp polygons selection canceled.",
             "%d sharp edge polygons have been selected.", count);
}

}  // namespace tessel::selection

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
  std::vector<std::uint32_t> states;  // of the faces around one vertex
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
      if (n <= 0) continue;
      if (b_.states.size() < static_cast<std::size_t>(n)) b_.states.resize(static_cast<std::size_t>(n));
      mesh_.GetFaceStates(around, n, b_.states.data());
      for (std::int32_t i = 0; i < n; ++i) {
        const std::uint32_t g = around[i];
        // Read before this loop marks anything: a face a host lists twice around one vertex is
        // taken twice, and the result's sort drops the repeat.
        const std::uint32_t state = b_.states[i];
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

// Edges come in the order of their lower vertex, so neighbouring edges share faces: a batch asks
// the mesh for each face's state and normal once, not once an edge.
class BatchFaces {
 public:
  explicit BatchFaces(std::size_t maxFaces) : faces_(maxFaces) {}

  // The place of `face` in this batch's list of distinct faces. Whether a face was met before
  // is a coin toss to the branch predictor, so the lookup does not branch on it.
  std::int32_t slotOf(std::uint32_t face) {
    Entry& e = table_[(face * 2654435761u) >> (32 - kTableBits)];
    const bool met = e.batch == batch_ && e.face == face;
    const std::int32_t slot = met ? e.slot : count_;
    faces_[static_cast<std::size_t>(count_)] = face;
    count_ += met ? 0 : 1;
    e = {face, slot, batch_};
    return slot;
  }
  void nextBatch() {
    count_ = 0;
    ++batch_;
  }
  const std::uint32_t* faces() const { return faces_.data(); }
  std::int32_t count() const { return count_; }

 private:
  static constexpr int kTableBits = 12;
  struct Entry {
    std::uint32_t face = om::kNoHandle;
    std::int32_t slot = 0;
    std::uint32_t batch = 0;
  };
  std::vector<Entry> table_ = std::vector<Entry>(std::size_t{1} << kTableBits);
  std::vector<std::uint32_t> faces_;
  std::int32_t count_ = 0;
  std::uint32_t batch_ = 1;
};
}  // namespace

void omISeedFillerImpl::ComputeEdgeCosines(omMesh* mesh) { ComputeEdgeCosinesOrCancel(mesh, nullptr); }

bool omISeedFillerImpl::ComputeEdgeCosinesOrCancel(omMesh* mesh, omProgress* progress) {
  if (!mesh) return true;
  EdgeBatch batch;
  BatchFaces distinct(2 * kEdgeBatch);
  std::vector<std::int32_t> slots(2 * kEdgeBatch);
  std::vector<std::uint32_t> states(2 * kEdgeBatch);
  std::vector<float> normals(6 * kEdgeBatch);
  std::vector<std::uint8_t> valid(2 * kEdgeBatch);
  while (batch.next(*mesh)) {
    distinct.nextBatch();
    std::int32_t m = 0;
    for (std::int32_t i = 0; i < batch.count; ++i)
      if (batch.records[i].faceCount == 2) {
        slots[m++] = distinct.slotOf(batch.records[i].f0);
        slots[m++] = distinct.slotOf(batch.records[i].f1);
      }
    mesh->GetFaceStates(distinct.faces(), distinct.count(), states.data());
    mesh->GetFaceNormals(distinct.faces(), distinct.count(), normals.data(), valid.data());
    for (std::int32_t i = 0, j = 0; i < batch.count; ++i) {
      // A boundary edge has no second face and a face without area no normal: like an edge
      // next to an excluded face, neither measures a fold.
      float value = 1.0f;
      if (batch.records[i].faceCount == 2) {
        const std::int32_t a = slots[j], b = slots[j + 1];
        const float* n0 = &normals[3 * a];
        const float* n1 = &normals[3 * b];
        // The dot product of two unit normals can round past 1 on a flat stretch, which would
        // put flat edges outside even the widest window (0..180 degrees).
        if (!((states[a] | states[b]) & om::kFaceExcluded) && valid[a] && valid[b])
          value = std::clamp(n0[0] * n1[0] + n0[1] * n1[1] + n0[2] * n1[2], -1.0f, 1.0f);
        j += 2;
      }
      batch.values[i] = value;
    }
    mesh->SetEdgeValues(batch.handles.data(), batch.count, batch.values.data());
    if (progress && progress->IsCancelled()) return false;
  }
  return true;
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
  // a cancel must not wait for it: it is asked once a batch. Few edges of a scan are sharp, so
  // their ends are asked one by one.
  std::vector<std::uint32_t> edges(kEdgeBatch);
  std::vector<float> values(kEdgeBatch);
  std::uint32_t lastEdge = om::kNoHandle;
  std::int32_t m = 0;
  while (!cancelled && (m = mesh->GetEdges(lastEdge, edges.data(), kEdgeBatch)) > 0) {
    lastEdge = edges[m - 1];
    mesh->GetEdgeValues(edges.data(), m, values.data());
    for (std::int32_t i = 0; i < m; ++i) {
      if (!(minCosine <= values[i] && values[i] <= maxCosine)) continue;
      mesh->SetVertexFlags(mesh->GetEdgeStart(edges[i]), kVertexOnSharpEdge);
      mesh->SetVertexFlags(mesh->GetEdgeEnd(edges[i]), kVertexOnSharpEdge);
    }
    cancelled = progress && progress->IsCancelled();
  }
  // Reserved up front: growing by copies in the middle of a large scan would keep a cancel
  // waiting. Only the pages used are ever touched.
  std::vector<std::uint32_t> found;
  found.reserve(total);
  std::int32_t count = 0;
  std::vector<std::uint32_t> faceBatch(kEdgeBatch), words(3 * kEdgeBatch);
  // Most faces of a scan touch no sharp edge; the state and filter are asked only of those that do.
  std::vector<std::uint32_t> candidates(kEdgeBatch), states(kEdgeBatch);
  std::vector<std::int32_t> positions(kEdgeBatch);
  std::vector<std::uint8_t> matches(kEdgeBatch);
  std::uint32_t after = om::kNoHandle;
  std::int32_t n = 0;
  while (!cancelled && (n = mesh->GetFaces(after, faceBatch.data(), kEdgeBatch)) > 0) {
    after = faceBatch[n - 1];
    mesh->GetFacesVertexRecords(faceBatch.data(), n, words.data());
    std::int32_t c = 0;
    for (std::int32_t i = 0; i < n; ++i) {
      const std::uint32_t* w = &words[3 * i];
      candidates[c] = faceBatch[i];
      positions[c] = i;
      c += (w[0] | w[1] | w[2]) ? 1 : 0;
    }
    mesh->GetFaceStates(candidates.data(), c, states.data());
    mesh->FacesMatch(candidates.data(), c, filter, matches.data());
    for (std::int32_t i = 0, k = 0; i < n; ++i) {
      if (k < c && positions[k] == i) {
        if (!(states[k] & om::kFaceExcluded) && matches[k]) {
          found.push_back(faceBatch[i]);
          ++count;
        }
        ++k;
      }
      if (!stepOrCancel(progress)) {
        cancelled = true;
        break;
      }
    }
  }
  // Faces come in ascending order, so the set takes them without sorting, and takes the storage
  // as it is: no copy on the way out either, which a cancel would wait for.
  faces->adopt(found);
  finishScan(progress, cancelled, "Sharp polygons selection canceled.",
             "%d sharp edge polygons have been selected.", count);
}

}  // namespace tessel::selection

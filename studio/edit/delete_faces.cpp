#include "studio/edit/delete_faces.h"

#include <algorithm>

#include "host/om_codes.h"
#include "studio/edit/scene_recorder.h"
#include "studio/scene/scene.h"

namespace tessel::studio::edit {
namespace {

// The flagged edges of a mesh by their ends.
void flaggedEdges(const Mesh& m, std::vector<std::uint32_t>& ends,
                  std::vector<std::uint8_t>& flags) {
  ends.clear(), flags.clear();
  if (!m.hasEdgeTable()) return;
  const std::vector<Edge>& edges = m.edges();
  for (std::size_t e = 0; e < m.edgeFlags.size() && e < edges.size(); ++e)
    if (m.edgeFlags[e] & kRecordedFlags) {
      ends.push_back(edges[e].v0), ends.push_back(edges[e].v1);
      flags.push_back(m.edgeFlags[e]);
    }
}

}  // namespace

std::vector<std::uint32_t> facesToDelete(const Mesh& m, std::uint32_t mask) {
  std::vector<std::uint32_t> out;
  const std::uint32_t nf = m.faceCount();
  if (mask & om::kMaskFaces) {
    for (std::uint32_t f = 0; f < nf; ++f)
      if (m.faceFlags[f] & kSelected) out.push_back(f);
  } else if (mask & om::kMaskVertices) {
    for (std::uint32_t f = 0; f < nf; ++f) {
      const std::uint32_t* v = &m.faces[3 * std::size_t{f}];
      if ((m.vertexFlags[v[0]] | m.vertexFlags[v[1]] | m.vertexFlags[v[2]]) & kSelected)
        out.push_back(f);
    }
  } else if (mask & om::kMaskEdges) {
    // Only a built table can hold selected edges.
    if (!m.hasEdgeTable()) return out;
    std::vector<bool> hit(nf, false);
    for (std::uint32_t e = 0; e < m.edgeFlags.size(); ++e)
      if (m.edgeFlags[e] & kSelected)
        for (std::uint32_t f : edgeFaces(m, e)) hit[f] = true;
    for (std::uint32_t f = 0; f < nf; ++f)
      if (hit[f]) out.push_back(f);
  }
  return out;
}

void rebuildKeepingFlags(Mesh& m, bool edgeTable, const std::vector<std::uint32_t>& edgeEnds,
                         const std::vector<std::uint8_t>& edgeFlags) {
  std::vector<std::uint8_t> vertexFlags = std::move(m.vertexFlags);
  std::vector<std::uint8_t> faceFlags = std::move(m.faceFlags);
  buildTopology(m);
  m.vertexFlags = std::move(vertexFlags);
  m.faceFlags = std::move(faceFlags);
  if (!edgeTable) return;
  const std::vector<Edge>& edges = m.edges();
  std::vector<std::uint8_t>& flags = m.tableEdgeFlags();
  for (std::size_t i = 0; i < edgeFlags.size(); ++i) {
    const std::uint32_t v0 = edgeEnds[2 * i], v1 = edgeEnds[2 * i + 1];
    auto it = std::lower_bound(edges.begin(), edges.end(), std::pair{v0, v1},
                               [](const Edge& e, const std::pair<std::uint32_t, std::uint32_t>& k) {
                                 return e.v0 < k.first || (e.v0 == k.first && e.v1 < k.second);
                               });
    if (it != edges.end() && it->v0 == v0 && it->v1 == v1) flags[it - edges.begin()] = edgeFlags[i];
  }
}

Mesh withoutUnusedVertices(const Mesh& m) {
  Mesh out;
  out.offset = m.offset;
  const bool residuals = m.residuals.size() == m.positions.size();
  std::vector<std::uint32_t> renumbered(m.vertexCount(), 0);
  std::uint32_t next = 0;
  for (std::uint32_t v = 0; v < m.vertexCount(); ++v) {
    if (m.vertexFlags[v] & kUnused) continue;
    renumbered[v] = next++;
    out.positions.insert(out.positions.end(), &m.positions[3 * std::size_t{v}],
                         &m.positions[3 * std::size_t{v} + 3]);
    if (residuals)
      out.residuals.insert(out.residuals.end(), &m.residuals[3 * std::size_t{v}],
                           &m.residuals[3 * std::size_t{v} + 3]);
  }
  out.faces.reserve(m.faces.size());
  for (std::uint32_t v : m.faces) out.faces.push_back(renumbered[v]);
  buildTopology(out);
  return out;
}

FaceRemoval::FaceRemoval(std::uint32_t entityId, Mesh& mesh, std::vector<std::uint32_t> faces)
    : entityId_(entityId), faces_(std::move(faces)) {
  corners_.reserve(3 * faces_.size());
  flags_.reserve(faces_.size());
  for (std::uint32_t f : faces_) {
    const std::uint32_t* v = &mesh.faces[3 * std::size_t{f}];
    corners_.insert(corners_.end(), v, v + 3);
    flags_.push_back(mesh.faceFlags[f]);
  }
  hadEdgeTable_ = mesh.hasEdgeTable();
  flaggedEdges(mesh, edgeEnds_, edgeFlags_);
  const std::vector<std::uint8_t> vertexBefore = mesh.vertexFlags;
  remove(mesh);
  vertexChange_ = diffFlags(vertexBefore.data(), vertexBefore.size(), mesh.vertexFlags.data(),
                            mesh.vertexFlags.size(), 0xFF);
}

void FaceRemoval::remove(Mesh& m) {
  std::vector<std::uint32_t> ends;
  std::vector<std::uint8_t> edgeFlags;
  flaggedEdges(m, ends, edgeFlags);
  const bool edgeTable = m.hasEdgeTable();
  const std::uint32_t nf = m.faceCount();
  std::vector<bool> used(m.vertexCount(), false), touched(m.vertexCount(), false);
  std::size_t out = 0, next = 0;
  for (std::uint32_t f = 0; f < nf; ++f) {
    const std::uint32_t* v = &m.faces[3 * std::size_t{f}];
    if (next < faces_.size() && faces_[next] == f) {
      ++next;
      touched[v[0]] = touched[v[1]] = touched[v[2]] = true;
      continue;
    }
    used[v[0]] = used[v[1]] = used[v[2]] = true;
    std::copy(v, v + 3, &m.faces[3 * out]);
    m.faceFlags[out++] = m.faceFlags[f];
  }
  m.faces.resize(3 * out);
  m.faceFlags.resize(out);
  // A vertex whose last face went is not drawn, picked or saved as the mesh's any more.
  for (std::uint32_t v = 0; v < m.vertexCount(); ++v)
    if (touched[v] && !used[v])
      m.vertexFlags[v] =
          static_cast<std::uint8_t>((m.vertexFlags[v] & ~kSelected) | kHidden | kUnused);
  rebuildKeepingFlags(m, edgeTable, ends, edgeFlags);
}

Mesh* FaceRemoval::meshOf(Scene& scene) const {
  Entity* e = scene.find(entityId_);
  return e && e->mesh ? e->mesh.get() : nullptr;
}

void FaceRemoval::redo(Scene& scene) {
  Mesh* m = meshOf(scene);
  if (!m) return;
  scene.meshChanging(*m);
  remove(*m);
  scene.geometryChanged();
}

void FaceRemoval::undo(Scene& scene) {
  Mesh* m = meshOf(scene);
  if (!m) return;
  scene.meshChanging(*m);
  // The kept faces and the removed ones merged back by their old handles.
  const std::size_t total = m->faceCount() + faces_.size();
  std::vector<std::uint32_t> merged(3 * total);
  std::vector<std::uint8_t> mergedFlags(total);
  std::size_t kept = 0, next = 0;
  for (std::size_t f = 0; f < total; ++f) {
    if (next < faces_.size() && faces_[next] == f) {
      std::copy(&corners_[3 * next], &corners_[3 * next + 3], &merged[3 * f]);
      mergedFlags[f] = flags_[next++];
    } else {
      std::copy(&m->faces[3 * kept], &m->faces[3 * kept + 3], &merged[3 * f]);
      mergedFlags[f] = m->faceFlags[kept++];
    }
  }
  m->faces = std::move(merged);
  m->faceFlags = std::move(mergedFlags);
  applyFlagDiff(vertexChange_, m->vertexFlags.data(), m->vertexFlags.size());
  rebuildKeepingFlags(*m, hadEdgeTable_, edgeEnds_, edgeFlags_);
  scene.geometryChanged();
}

std::size_t FaceRemoval::bytes() const {
  return sizeof(*this) + faces_.capacity() * 4 + corners_.capacity() * 4 + flags_.capacity() +
         vertexChange_.bytes() + edgeEnds_.capacity() * 4 + edgeFlags_.capacity();
}

}  // namespace tessel::studio::edit

#include "studio/edit/separate_faces.h"

#include <algorithm>
#include <cctype>

#include "studio/edit/delete_faces.h"
#include "studio/edit/scene_recorder.h"

namespace tessel::studio::edit {
namespace {

constexpr std::uint8_t kKept = kHidden | kExcluded;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;

}  // namespace

FacePart meshOfFaces(const Mesh& m, const std::vector<std::uint32_t>& faces) {
  FacePart part;
  std::vector<std::uint32_t> renumbered(m.vertexCount(), kNone);
  for (std::uint32_t f : faces)
    for (int k = 0; k < 3; ++k) renumbered[m.faces[3 * std::size_t{f} + k]] = 0;
  for (std::uint32_t v = 0; v < m.vertexCount(); ++v) {
    if (renumbered[v] == kNone) continue;
    renumbered[v] = static_cast<std::uint32_t>(part.vertices.size());
    part.vertices.push_back(v);
  }
  Mesh& out = part.mesh;
  // A part of a shifted scan is shifted as its source: it stays where its file put it.
  out.offset = m.offset;
  const bool residuals = m.residuals.size() == m.positions.size();
  out.positions.reserve(3 * part.vertices.size());
  for (std::uint32_t v : part.vertices) {
    out.positions.insert(out.positions.end(), &m.positions[3 * std::size_t{v}],
                         &m.positions[3 * std::size_t{v} + 3]);
    if (residuals)
      out.residuals.insert(out.residuals.end(), &m.residuals[3 * std::size_t{v}],
                           &m.residuals[3 * std::size_t{v} + 3]);
  }
  out.faces.reserve(3 * faces.size());
  for (std::uint32_t f : faces)
    for (int k = 0; k < 3; ++k) out.faces.push_back(renumbered[m.faces[3 * std::size_t{f} + k]]);
  out.faceFlags.reserve(faces.size());
  for (std::uint32_t f : faces)
    out.faceFlags.push_back(static_cast<std::uint8_t>(m.faceFlags[f] & kKept));
  out.vertexFlags.reserve(part.vertices.size());
  for (std::uint32_t v : part.vertices)
    out.vertexFlags.push_back(static_cast<std::uint8_t>(m.vertexFlags[v] & kKept));
  // Hidden edges stay hidden where both ends came along and the part still has the edge.
  std::vector<std::uint32_t> ends;
  std::vector<std::uint8_t> flags;
  if (m.hasEdgeTable()) {
    const std::vector<Edge>& edges = m.edges();
    for (std::size_t e = 0; e < edges.size() && e < m.edgeFlags.size(); ++e) {
      const std::uint32_t a = renumbered[edges[e].v0], b = renumbered[edges[e].v1];
      if (!(m.edgeFlags[e] & kKept) || a == kNone || b == kNone) continue;
      ends.push_back(std::min(a, b)), ends.push_back(std::max(a, b));
      flags.push_back(static_cast<std::uint8_t>(m.edgeFlags[e] & kKept));
    }
  }
  rebuildKeepingFlags(out, m.hasEdgeTable(), ends, flags);
  return part;
}

std::string partName(const std::string& source) {
  std::string base = source;
  // "NAME part" or "NAME part N": the part's own number goes, the word stays once.
  std::size_t end = base.size();
  while (end > 0 && std::isdigit(static_cast<unsigned char>(base[end - 1]))) --end;
  if (end < base.size() && end > 0 && base[end - 1] == ' ') base.erase(end - 1);
  static const std::string kWord = " part";
  if (base.size() > kWord.size() && base.compare(base.size() - kWord.size(), kWord.size(), kWord) == 0)
    return base;
  return (source.empty() ? std::string("mesh") : source) + kWord;
}

}  // namespace tessel::studio::edit

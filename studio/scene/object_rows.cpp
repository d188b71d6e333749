#include "studio/scene/object_rows.h"

#include <algorithm>

#include "studio/scene/coordinate_offset.h"

namespace tessel::studio {
namespace {

ObjectGroup groupOf(const Entity& e) {
  if (e.isMesh()) return ObjectGroup::Meshes;
  if (e.isPointCloud()) return ObjectGroup::PointClouds;
  if (e.isCurve()) return ObjectGroup::Curves;
  if (e.isSpring()) return ObjectGroup::Springs;
  if (e.type == om::kEntityLight) return ObjectGroup::Lights;
  if (e.type == om::kEntityCoordSys) return ObjectGroup::CoordinateSystems;
  return ObjectGroup::Other;
}

std::size_t selectedIn(const std::vector<std::uint8_t>& flags) {
  std::size_t n = 0;
  for (std::uint8_t f : flags) n += f & kSelected;
  return n;
}

MeshCounts countsOf(const Entity& e, bool components) {
  const Mesh& m = *e.mesh;
  MeshCounts c;
  c.vertices = m.vertexCount();
  if (components) c.selectedVertices = selectedIn(m.vertexFlags);
  if (!e.isMesh()) return c;
  c.faces = m.faceCount();
  c.edges = m.edgeCount();
  c.boundaryEdges = m.boundaryEdgeCount();
  c.nonManifoldEdges = m.nonManifoldEdgeCount();
  c.degenerateFaces = m.degenerateFaceCount();
  if (components) {
    c.selectedFaces = selectedIn(m.faceFlags);
    c.selectedEdges = selectedIn(m.edgeFlags);
  }
  return c;
}

std::string plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

const char* groupTitle(ObjectGroup group) {
  switch (group) {
    case ObjectGroup::Meshes: return "Meshes";
    case ObjectGroup::PointClouds: return "Point clouds";
    case ObjectGroup::Curves: return "Curves";
    case ObjectGroup::Springs: return "Springs";
    case ObjectGroup::Lights: return "Lights";
    case ObjectGroup::CoordinateSystems: return "Coordinate systems";
    case ObjectGroup::Other: break;
  }
  return "Other";
}

const char* kindName(ObjectGroup group) {
  switch (group) {
    case ObjectGroup::Meshes: return "mesh";
    case ObjectGroup::PointClouds: return "point cloud";
    case ObjectGroup::Curves: return "curve";
    case ObjectGroup::Springs: return "spring";
    case ObjectGroup::Lights: return "light";
    case ObjectGroup::CoordinateSystems: return "coordinate system";
    case ObjectGroup::Other: break;
  }
  return "entity";
}

std::vector<ObjectRow> objectRows(const Scene& scene) {
  std::vector<ObjectRow> rows;
  rows.reserve(scene.entities().size());
  const std::vector<std::uint32_t>& selection = scene.selection();
  for (const auto& e : scene.entities()) {
    ObjectRow r;
    r.id = e->id;
    r.group = groupOf(*e);
    r.name = e->name;
    r.visible = e->visible;
    r.selected = (e->state & kStateSelected) != 0;
    r.active = !selection.empty() && selection.back() == e->id;
    r.showable = e->type != om::kEntityCoordSys;
    // Components are selected in component mode; reading a scan's flags at every idle moment
    // of object mode (a drag of the manipulator) would cost for nothing.
    if (e->mesh) r.counts = countsOf(*e, !scene.objectMode);
    if (e->mesh && e->mesh->shifted()) r.offset = offsetText(e->mesh->offset);
    if (const VertexMap* map = e->currentVertexMap()) r.map = map->name;
    r.maps = e->maps.size();
    if (e->type == om::kEntityLight) r.lightSlot = e->light.slot;
    rows.push_back(std::move(r));
  }
  // Entities are kept by id, so a stable sort by group keeps the order they were added in.
  std::stable_sort(rows.begin(), rows.end(),
                   [](const ObjectRow& a, const ObjectRow& b) { return a.group < b.group; });
  return rows;
}

MeshCounts selectedTotals(const std::vector<ObjectRow>& rows) {
  MeshCounts t;
  for (const ObjectRow& r : rows)
    if (r.counts) {
      t.selectedVertices += r.counts->selectedVertices;
      t.selectedFaces += r.counts->selectedFaces;
      t.selectedEdges += r.counts->selectedEdges;
    }
  return t;
}

std::string objectName(const Scene& scene, std::uint32_t id, const std::string& wanted,
                       std::string* problem) {
  auto refuse = [problem](std::string why) {
    *problem = std::move(why);
    return std::string();
  };
  const Entity* e = nullptr;
  for (const auto& each : scene.entities())
    if (each->id == id) e = each.get();
  if (!e) return refuse("no object " + std::to_string(id));
  if (e == scene.entities().front().get())
    return refuse("the global coordinate system keeps its name");
  const std::size_t first = wanted.find_first_not_of(' ');
  if (first == std::string::npos) return refuse("a name cannot be empty");
  const std::string name = wanted.substr(first, wanted.find_last_not_of(' ') - first + 1);
  // Printed lines and scripts name objects one line each.
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F) return refuse("a name cannot hold a control character");
  for (const auto& other : scene.entities())
    if (other.get() != e && other->name == name)
      return refuse("\"" + name + "\" is the name of another object");
  problem->clear();
  return name;
}

std::string describeRow(const ObjectRow& r) {
  std::string line = std::to_string(r.id) + " " + r.name + " (" + kindName(r.group) + ")";
  if (r.counts) {
    const MeshCounts& c = *r.counts;
    line += " " + std::to_string(c.vertices) + " vertices";
    if (r.group == ObjectGroup::Meshes)
      line += " " + std::to_string(c.faces) + " faces " + std::to_string(c.edges) + " edges";
    if (!r.offset.empty()) line += " offset " + r.offset;
    if (r.group == ObjectGroup::Meshes)
      line += " (" + std::to_string(c.boundaryEdges) + " boundary, " +
              std::to_string(c.nonManifoldEdges) + " non-manifold, " +
              plural(c.degenerateFaces, "degenerate face", "degenerate faces") + ")";
    if (c.selectedVertices + c.selectedFaces + c.selectedEdges)
      line += "; selected " + std::to_string(c.selectedFaces) + " faces, " +
              std::to_string(c.selectedVertices) + " vertices, " +
              std::to_string(c.selectedEdges) + " edges";
  }
  if (r.group == ObjectGroup::Lights) line += " slot " + std::to_string(r.lightSlot);
  if (!r.map.empty()) line += " map " + r.map + " (" + std::to_string(r.maps) + " in all)";
  if (!r.visible) line += " hidden";
  if (r.selected) line += " selected";
  if (r.active) line += " active";
  return line;
}

}  // namespace tessel::studio

// The scene as a list of rows, one per entity, grouped by kind: what the window's object list
// shows and `print scene` prints, so both read one source. Plain data, rebuilt when asked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "studio/scene/scene.h"

namespace tessel::studio {

// In the order the list shows them.
enum class ObjectGroup { Meshes, PointClouds, Curves, Springs, Lights, CoordinateSystems, Other };

// What a mesh or point cloud holds and, in component mode, how much of it is selected. A point
// cloud has no faces or edges: those counts stay 0.
struct MeshCounts {
  std::uint32_t vertices = 0, faces = 0, edges = 0;
  std::uint32_t boundaryEdges = 0, nonManifoldEdges = 0, degenerateFaces = 0;
  std::size_t selectedVertices = 0, selectedFaces = 0, selectedEdges = 0;
  bool operator==(const MeshCounts&) const = default;
};

struct ObjectRow {
  std::uint32_t id = 0;
  ObjectGroup group = ObjectGroup::Other;
  std::string name;
  bool visible = true;
  bool selected = false;
  bool active = false;  // the last selected, which commands take as the active entity
  // Whether a person may show and hide it: a coordinate system is shown and hidden by the
  // module as its panels come and go.
  bool showable = true;
  std::optional<MeshCounts> counts;  // meshes and point clouds
  std::string offset;                // a shifted mesh's offset (offsetText), if any
  std::string map;                   // the current vertex map's name, if any
  std::size_t maps = 0;
  int lightSlot = -1;
  bool operator==(const ObjectRow&) const = default;
};

const char* groupTitle(ObjectGroup group);  // "Meshes", "Point clouds", ...
const char* kindName(ObjectGroup group);    // "mesh", "point cloud", ...

// Every entity, grouped in ObjectGroup order and by id (the order added) within a group.
std::vector<ObjectRow> objectRows(const Scene& scene);

// The selected components summed over the rows.
MeshCounts selectedTotals(const std::vector<ObjectRow>& rows);

// A name a person gives entity `id`, with spaces at either end dropped; *problem says why it
// cannot be had (empty, a control character, another entity's, the global coordinate system's)
// and the result is then empty.
std::string objectName(const Scene& scene, std::uint32_t id, const std::string& wanted,
                       std::string* problem);

// One row as `print scene` prints it: "ID NAME (kind) V vertices F faces E edges [offset ...]
// (B boundary, N non-manifold, D degenerate faces)", then the selected components, the light's
// slot, the map and the state.
std::string describeRow(const ObjectRow& row);

}  // namespace tessel::studio

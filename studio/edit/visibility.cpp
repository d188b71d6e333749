#include "studio/edit/visibility.h"

#include "studio/edit/delete_faces.h"

namespace tessel::studio::edit {
namespace {

void hideElement(std::uint8_t& flags) {
  flags = static_cast<std::uint8_t>((flags & ~kSelected) | kHidden);
}

}  // namespace

std::size_t hideEntities(Scene& scene, bool selected) {
  std::size_t hidden = 0;
  for (const auto& e : scene.entities()) {
    if (e.get() == &scene.globalCoordSys() || !e->visible) continue;
    if (bool(e->state & kStateSelected) != selected) continue;
    if (selected) scene.select(e->id, false);
    e->visible = false;
    ++hidden;
  }
  return hidden;
}

std::size_t showEntities(Scene& scene) {
  std::size_t shown = 0;
  for (const auto& e : scene.entities()) {
    if (e->visible) continue;
    if (EntityGroup* g = scene.group(e->group); g && !g->shown) continue;
    e->visible = true;
    ++shown;
  }
  return shown;
}

std::size_t hideComponents(Scene& scene, std::uint32_t mask, bool selected) {
  // Holes are boundary edges: hiding them hides the faces on them.
  const std::uint32_t kind = mask & om::kMaskHoles ? om::kMaskEdges : mask;
  std::size_t hidden = 0;
  for (const auto& e : scene.entities()) {
    if (!e->mesh || !e->visible) continue;
    Mesh& m = *e->mesh;
    const std::vector<std::uint32_t> touched = facesToDelete(m, kind);
    std::vector<std::uint8_t>* own = kind & om::kMaskVertices ? &m.vertexFlags
                                     : kind & om::kMaskEdges && m.hasEdgeTable() ? &m.edgeFlags
                                                                                 : nullptr;
    if (selected) {
      for (std::uint32_t f : touched)
        if (!(m.faceFlags[f] & kHidden)) hideElement(m.faceFlags[f]), ++hidden;
      if (own)
        for (std::uint8_t& flags : *own)
          if ((flags & (kSelected | kHidden)) == kSelected) {
            hideElement(flags);
            hidden += e->isPointCloud();
          }
      continue;
    }
    std::size_t next = 0;
    for (std::uint32_t f = 0; f < m.faceCount(); ++f) {
      if (next < touched.size() && touched[next] == f) {
        ++next;
        continue;
      }
      if (!(m.faceFlags[f] & kHidden)) hideElement(m.faceFlags[f]), ++hidden;
    }
    if (own)
      for (std::uint8_t& flags : *own)
        if (!(flags & (kSelected | kHidden))) {
          hideElement(flags);
          hidden += e->isPointCloud();
        }
  }
  return hidden;
}

std::size_t showComponents(Scene& scene) {
  std::size_t shown = 0;
  auto show = [&shown](std::vector<std::uint8_t>& flags) {
    for (std::uint8_t& f : flags)
      if ((f & (kHidden | kUnused)) == kHidden) f &= ~kHidden, ++shown;
  };
  for (const auto& e : scene.entities()) {
    if (!e->mesh) continue;
    show(e->mesh->faceFlags);
    show(e->mesh->vertexFlags);
    show(e->mesh->edgeFlags);
  }
  return shown;
}

}  // namespace tessel::studio::edit

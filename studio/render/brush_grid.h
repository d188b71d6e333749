// The paint brush's acceleration structure: the selectable components of one mesh bucketed by
// the screen cell their place falls in, built once for a camera, a view and a mesh state and
// then asked for every brush step. Only handles are kept (4 bytes a component): a cell wholly
// inside the brush is taken without looking at its components, and only the places in the cells
// the brush's rim crosses are projected again, which costs less than storing every place.
#pragma once

#include <cstdint>
#include <vector>

#include "studio/render/screen_regions.h"

namespace tessel::studio {

class SeenMemo;

class BrushGrid {
 public:
  static constexpr int kCellPixels = 8;  // the coarsest cells; denser meshes get finer ones

  // Buckets the components of `target` that lie on the view, are not hidden and, with `depth`,
  // are not behind a surface; `memo`, kept with `depth` for this mesh and projector, answers the
  // depth test for the runs it has seen.
  void build(const Mesh& mesh, ComponentTarget target, const ScreenProjector& project,
             const VisibleDepth* depth, const SeenMemo* memo = nullptr);
  // Appends the components within `radius` pixels of (cx, cy), in cell order.
  void query(const Mesh& mesh, const ScreenProjector& project, float cx, float cy, float radius,
             std::vector<std::uint32_t>& out) const;
  // Sets (select) or clears kSelected on the components query would answer; answers how many.
  std::size_t mark(Mesh& mesh, const ScreenProjector& project, float cx, float cy, float radius,
                   bool select) const;
  ComponentTarget target() const { return target_; }
  int cellPixels() const { return cellPixels_; }
  std::size_t size() const { return handles_.size(); }
  std::size_t memoryBytes() const {
    return (handles_.capacity() + cellStart_.capacity()) * sizeof(std::uint32_t);
  }
  void clear();

 private:
  // Calls take(first, last) for runs of handles_ wholly inside and take(k, k + 1) for each
  // handle on the rim that is inside.
  template <class Take>
  void visit(const Mesh& mesh, const ScreenProjector& project, float cx, float cy, float radius,
             Take take) const;
  ComponentTarget target_ = ComponentTarget::Vertices;
  int cellPixels_ = kCellPixels, columns_ = 0, rows_ = 0;
  std::vector<std::uint32_t> cellStart_;  // #cells + 1 offsets into handles_, row-major cells
  std::vector<std::uint32_t> handles_;    // components, cell by cell
};

}  // namespace tessel::studio

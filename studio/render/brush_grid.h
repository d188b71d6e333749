// The paint brush's acceleration structure: the selectable components of one mesh bucketed by
// the screen cell their place falls in, built once for a camera, a view and a mesh state and
// then asked for every brush step. Only handles are kept (4 bytes a component): a cell wholly
// inside the brush is taken without looking at its components, and only the places in the cells
// the brush's rim crosses are projected again, which costs less than storing every place.
//
// Faces, given their owners (face_owners.h), are bucketed by where their owners project, which
// needs no face placed: only vertices are projected for a camera. Each cell then holds runs of
// consecutive faces, and every face lies within its cell's reach (reach(), or 4 or 16 times it
// where owners reach farther), so the brush takes a cell whole when the cell widened by its reach
// is inside it and places the faces of the cells near its rim.
#pragma once

#include <cstdint>
#include <vector>

#include "studio/render/screen_regions.h"

namespace tessel::studio {

class FaceOwners;
class SeenMemo;

class BrushGrid {
 public:
  static constexpr int kCellPixels = 8;  // the coarsest cells; denser meshes get finer ones

  // Buckets the components of `target` that lie on the view, are not hidden and, with `depth`,
  // are not behind a surface; `memo`, kept with `depth` for this mesh and projector, answers the
  // depth test for the runs it has seen. `owners`, for faces, buckets them by their owners.
  void build(const Mesh& mesh, ComponentTarget target, const ScreenProjector& project,
             const VisibleDepth* depth, const SeenMemo* memo = nullptr,
             const FaceOwners* owners = nullptr);
  // Appends the components within `radius` pixels of (cx, cy), in cell order.
  void query(const Mesh& mesh, const ScreenProjector& project, float cx, float cy, float radius,
             std::vector<std::uint32_t>& out) const;
  // Sets (select) or clears kSelected on the components query would answer; answers how many.
  std::size_t mark(Mesh& mesh, const ScreenProjector& project, float cx, float cy, float radius,
                   bool select) const;
  ComponentTarget target() const { return target_; }
  int cellPixels() const { return cellPixels_; }
  std::size_t size() const { return owned() ? ownedCount_ : handles_.size(); }
  // Whether faces are kept by their owners, in runs; how far from its cell a face then lies.
  bool owned() const { return owned_; }
  float reach() const { return reach_; }
  std::size_t memoryBytes() const {
    return (handles_.capacity() + cellStart_.capacity() + runFirst_.capacity()) *
               sizeof(std::uint32_t) +
           runLength_.capacity() * sizeof(std::uint16_t) + cellWiden_.capacity();
  }
  void clear();

 private:
  // The cell of a place on the view, as a value the build's loops keep in registers.
  struct CellIndex {
    float perPixel;
    std::uint32_t columns;
    std::uint32_t operator()(const ScreenVertex& s) const {
      return static_cast<std::uint32_t>(s.y * perPixel) * columns +
             static_cast<std::uint32_t>(s.x * perPixel);
    }
  };
  // A place on the view scaled by a power of two is exact, and truncates to the same cell as
  // its pixel shifted; the multiply is the cheaper of the two.
  CellIndex cellFinder() const {
    return {1.0f / static_cast<float>(cellPixels_), static_cast<std::uint32_t>(columns_)};
  }
  // Walks the cells the brush may reach (for owned faces, within each cell's reach): whole(k0,
  // k1) for ranges of slots (of handles_, or of runs) whose cells lie wholly inside, rim(k0, k1)
  // for the others.
  template <class Whole, class Rim>
  void cellsUnder(float cx, float cy, float radius, int width, int height, Whole whole,
                  Rim rim) const;
  // Calls take(first, last) for runs of handles_ wholly inside and take(k, k + 1) for each
  // handle on the rim that is inside.
  template <class Take>
  void visit(const Mesh& mesh, const ScreenProjector& project, float cx, float cy, float radius,
             Take take) const;
  void buildOwned(const Mesh& mesh, const ScreenProjector& project, const VisibleDepth* depth,
                  const SeenMemo* memo, const FaceOwners& owners);
  // Calls take(first, last) for each range of face handles [first, last) the brush takes.
  template <class Take>
  void visitOwned(const Mesh& mesh, const ScreenProjector& project, float cx, float cy,
                  float radius, Take take) const;
  ComponentTarget target_ = ComponentTarget::Vertices;
  int cellPixels_ = kCellPixels, columns_ = 0, rows_ = 0;
  std::vector<std::uint32_t> cellStart_;  // #cells + 1 offsets into handles_, row-major cells
  std::vector<std::uint32_t> handles_;    // components, cell by cell
  // Owned faces: runs of consecutive handles, cell by cell (cellStart_ then counts runs).
  std::vector<std::uint32_t> runFirst_;
  std::vector<std::uint16_t> runLength_;
  std::vector<std::uint8_t> cellWiden_;  // a cell's reach: reach_ widened by 4^this
  std::uint8_t widest_ = 0;
  bool owned_ = false;
  std::size_t ownedCount_ = 0;
  float reach_ = 0;
};

}  // namespace tessel::studio

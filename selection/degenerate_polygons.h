// Finding the triangles too small to be trusted: a side shorter than the tolerance, or a corner
// closer than the tolerance to the opposite side.
#pragma once

#include <cstdint>

class omFaceSet;
class omMesh;
class omProgress;

namespace tessel::selection {

// Module-wide; 1e-8 until a panel sets it.
void SetDegenerateTolerance(double tolerance);
double degenerateTolerance();

// Distance from p to the segment s-e (to s when the segment has no length), in double precision.
double cornerHeight(const float* p, const float* s, const float* e);
// Every test is strict, so a tolerance of 0 finds nothing.
bool isDegenerate(const float* v1, const float* v2, const float* v3, double tolerance);

// Adds the mesh's degenerate faces (excluded ones aside) to `faces`. False when the mesh has no
// faces or the search was cancelled.
bool SelectDegeneratePolygons(omMesh* mesh, omFaceSet* faces, omProgress* progress);

}  // namespace tessel::selection

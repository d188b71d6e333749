#include "studio/scene/boundary_loops.h"

#include <algorithm>

namespace tessel::studio {

std::vector<std::uint32_t> boundaryLoops(const Mesh& m, const std::vector<std::uint32_t>& seeds) {
  const std::vector<Edge>& edges = m.edges();
  auto boundary = [&](std::uint32_t e) {
    return e < edges.size() && edges[e].f1 == kNoFace && !(m.edgeFlags[e] & kHidden);
  };
  std::vector<std::uint32_t> frontier;
  for (std::uint32_t e : seeds)
    if (boundary(e)) frontier.push_back(e);
  if (frontier.empty()) return {};
  // Boundary edges around each vertex, in compressed rows.
  const std::uint32_t nv = m.vertexCount();
  std::vector<std::uint32_t> start(nv + 1, 0);
  for (std::uint32_t e = 0; e < edges.size(); ++e)
    if (boundary(e)) ++start[edges[e].v0 + 1], ++start[edges[e].v1 + 1];
  for (std::uint32_t v = 0; v < nv; ++v) start[v + 1] += start[v];
  std::vector<std::uint32_t> around(start[nv]), fill(start.begin(), start.end() - 1);
  for (std::uint32_t e = 0; e < edges.size(); ++e)
    if (boundary(e)) around[fill[edges[e].v0]++] = e, around[fill[edges[e].v1]++] = e;
  std::vector<bool> taken(edges.size(), false);
  std::vector<std::uint32_t> out;
  for (std::uint32_t e : frontier) taken[e] = true;
  while (!frontier.empty()) {
    const std::uint32_t e = frontier.back();
    frontier.pop_back();
    out.push_back(e);
    for (std::uint32_t v : {edges[e].v0, edges[e].v1})
      for (std::uint32_t k = start[v]; k < start[v + 1]; ++k)
        if (!taken[around[k]]) taken[around[k]] = true, frontier.push_back(around[k]);
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace tessel::studio

#include "studio/render/screen_regions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "studio/scene/boundary_loops.h"
#include "studio/render/brush_grid.h"
#include "studio/render/chunk_boxes.h"
#include "studio/render/face_owners.h"
#include "studio/render/seen_memo.h"
#include "tests/studio/lasso_rows.h"
#include "tests/studio/mesh_fixtures.h"
#include "tests/studio/screen_fixtures.h"

namespace tessel::studio {
namespace {

constexpr ViewSize kSize{160, 120};

using test::rayDepth;
using test::wavySheet;

Camera obliqueCamera() { return test::obliqueCamera(kSize); }


std::vector<float> randomOutline(std::mt19937& rng, int points, bool integral) {
  // A star-like closed outline about the view's middle, wiggly enough to cross itself.
  std::uniform_real_distribution<float> radius(10, 70), jitter(-0.3f, 0.3f);
  std::vector<float> out;
  for (int i = 0; i < points; ++i) {
    const float a = 6.2831853f * (static_cast<float>(i) + jitter(rng)) / static_cast<float>(points);
    float x = 80 + radius(rng) * std::cos(a), y = 60 + radius(rng) * 0.8f * std::sin(a);
    // Whole pixels, as the tool clamps them, or 1/256 pixels: positions whose half-pixel widening
    // a float holds exactly, so the table still carries the outline itself.
    const float step = integral ? 1.0f : 1.0f / 256;
    x = std::round(x / step) * step, y = std::round(y / step) * step;
    out.insert(out.end(), {x, y});
  }
  return out;
}

ComponentKind kindOf(ComponentTarget t) {
  return t == ComponentTarget::Vertices ? ComponentKind::Vertices
         : t == ComponentTarget::Faces  ? ComponentKind::Faces
                                        : ComponentKind::Edges;
}

const std::vector<std::uint8_t>& flagsOf(const Mesh& m, ComponentTarget t) {
  return t == ComponentTarget::Vertices ? m.vertexFlags
         : t == ComponentTarget::Faces  ? m.faceFlags
                                        : m.edgeFlags;
}

constexpr ComponentTarget kTargets[] = {ComponentTarget::Vertices, ComponentTarget::Faces,
                                        ComponentTarget::Edges};

TEST(ScreenProjection, AgreesWithTheCamerasProjectionAndDropsWhatIsBehind) {
  Camera c = obliqueCamera();
  const Projector exact(c, kSize.width, kSize.height);
  const ScreenProjector fast(c, kSize.width, kSize.height);
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> coord(-1, 2);
  for (int i = 0; i < 1000; ++i) {
    const float p[3] = {coord(rng), coord(rng), coord(rng)};
    const ScreenPoint e = exact({p[0], p[1], p[2]});
    const ScreenVertex s = fast(p);
    if (!e.inFront) {
      EXPECT_TRUE(std::isnan(s.x) && std::isnan(s.y));
      continue;
    }
    EXPECT_NEAR(s.x, e.x, 1e-2);
    EXPECT_NEAR(s.y, e.y, 1e-2);
  }
  // Behind the eye nothing is inside any region, whatever its shape.
  const float behind[3] = {static_cast<float>(c.eye.x * 2 - c.target.x),
                           static_cast<float>(c.eye.y * 2 - c.target.y),
                           static_cast<float>(c.eye.z * 2 - c.target.z)};
  const ScreenVertex s = fast(behind);
  EXPECT_FALSE((RectRegion{-1e9f, -1e9f, 1e9f, 1e9f}.contains(s.x, s.y)));
  EXPECT_FALSE(onView(s, kSize.width, kSize.height));
}

// Four lanes at a time or one: the same bits, so faces placed from either land alike.
// A perspective, an orthographic and a placed perspective projector of the test view.
std::vector<ScreenProjector> projectorsOfEachKind() {
  Camera ortho = standardCamera(ViewKind::Front);
  ortho.orthographic = true, ortho.orthoHeight = 1.3;
  Placement turned;
  transform::Mat4 m = transform::identity();
  m[0] = 0.6, m[1] = 0.8, m[4] = -0.8, m[5] = 0.6, m[12] = 0.25, m[14] = -0.5;
  EXPECT_TRUE(turned.set(m));
  return {ScreenProjector(obliqueCamera(), kSize.width, kSize.height),
          ScreenProjector(ortho, kSize.width, kSize.height),
          ScreenProjector(obliqueCamera(), kSize.width, kSize.height, turned)};
}

// Every point of a box projects within its bounds, in perspective (also placed) and orthographic
// views; a box reaching the eye's plane has none.
TEST(ScreenProjection, ABoxsBoundsHoldEachOfItsPoints) {
  std::mt19937 rng(8);
  std::uniform_real_distribution<float> coord(-3, 4), size(0, 0.6f), inside(0, 1);
  int bounded = 0, refused = 0;
  for (const ScreenProjector& project : projectorsOfEachKind())
    for (int k = 0; k < 400; ++k) {
      float lo[3], hi[3], b[4];
      for (int i = 0; i < 3; ++i) lo[i] = coord(rng), hi[i] = lo[i] + size(rng);
      if (!project.boxBounds(lo, hi, b)) {
        ++refused;
        continue;
      }
      ++bounded;
      for (int n = 0; n < 40; ++n) {
        // The corners, then points within.
        float q[3];
        for (int i = 0; i < 3; ++i)
          q[i] = n < 8 ? (n >> i & 1 ? hi[i] : lo[i]) : lo[i] + inside(rng) * (hi[i] - lo[i]);
        const ScreenVertex s = project(q);
        ASSERT_TRUE(s.x >= b[0] && s.x <= b[2] && s.y >= b[1] && s.y <= b[3])
            << "box " << k << " point " << n << ": " << s.x << ", " << s.y;
      }
    }
  // The oblique camera's eye lies within the coordinates' range: some boxes reach its plane.
  EXPECT_GT(refused, 10);
  EXPECT_GT(bounded, 600);
}

// A place's reach bounds where every point within that length of it lands: in perspective (also
// placed, and placed with a stretch and a shear) and orthographic views. Four lanes answer as one.
TEST(ScreenProjection, APlacesReachHoldsForEveryPointWithinIt) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<float> coord(-3, 4), size(0, 0.6f), unit(-1, 1);
  std::vector<ScreenProjector> projectors = projectorsOfEachKind();
  Placement stretched;
  transform::Mat4 m = transform::identity();
  m[0] = 2.5, m[1] = 0.7, m[5] = 0.4, m[9] = 0.3, m[10] = 1.8;
  ASSERT_TRUE(stretched.set(m));
  projectors.emplace_back(obliqueCamera(), kSize.width, kSize.height, stretched);
  int bounded = 0, unbounded = 0;
  for (const ScreenProjector& project : projectors)
    for (int k = 0; k < 400; ++k) {
      const float p[3] = {coord(rng), coord(rng), coord(rng)}, length = size(rng);
      const ScreenVertex s = project(p);
      const float reach = project.reachOf(s, length);
      if (!std::isfinite(reach)) {
        ++unbounded;
        EXPECT_FALSE(project.reachWithin(s, length, 1e30f));
        continue;
      }
      ++bounded;
      EXPECT_TRUE(project.reachWithin(s, length, reach * 1.0001f + 1e-6f));
      if (reach > 1e-3f) {
        EXPECT_FALSE(project.reachWithin(s, length, reach * 0.999f));
      }
#if defined(__SSE2__)
      const int lanes = _mm_movemask_ps(project.reachWithinLanes(
          _mm_set1_ps(s.x), _mm_set1_ps(s.y), _mm_set1_ps(s.depth), _mm_set1_ps(length), reach));
      EXPECT_EQ(lanes == 0xF, project.reachWithin(s, length, reach));
#endif
      for (int n = 0; n < 30; ++n) {
        // Points at the length itself, then within it.
        float d[3] = {unit(rng), unit(rng), unit(rng)};
        const float norm = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        const float along = length * (n < 10 ? 1.0f : std::abs(unit(rng))) / norm;
        const float q[3] = {p[0] + d[0] * along, p[1] + d[1] * along, p[2] + d[2] * along};
        const ScreenVertex o = project(q);
        ASSERT_TRUE(std::isfinite(o.x));
        ASSERT_LE(std::hypot(o.x - s.x, o.y - s.y), reach * 1.0001f + 1e-3f) << k << ", " << n;
      }
    }
  EXPECT_GT(bounded, 1000);
  EXPECT_GT(unbounded, 20);
}

TEST(ScreenProjection, ARunProjectsEachVertexBitForBitAsOneAtATime) {
  std::mt19937 rng(6);
  std::uniform_real_distribution<float> coord(-3, 4);
  std::vector<float> p(3 * 1003);  // not a whole number of lanes
  for (float& v : p) v = coord(rng);
  for (const ScreenProjector& project : projectorsOfEachKind()) {
    std::vector<ScreenVertex> run(1003);
    project.run(p.data(), 1003, run.data());
    int behind = 0;
    for (std::size_t v = 0; v < run.size(); ++v) {
      const ScreenVertex one = project(&p[3 * v]);
      ASSERT_EQ(std::memcmp(&one, &run[v], sizeof one), 0) << "vertex " << v;
      behind += std::isnan(one.x);
    }
    EXPECT_LT(behind, 1003);
  }
}

TEST(LassoRegion, AnswersAsPointInPolygonOnTheSameOutline) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> anywhere(-5, 165);
  for (int round = 0; round < 40; ++round) {
    const int points = round % 2 ? 12 : 200 + round * 20;
    const std::vector<float> outline = randomOutline(rng, points, round % 3 != 0);
    const test::RowTable table = test::lassoRows(outline, kSize.height);
    const LassoRegion lasso = table.region();
    const std::vector<double> polygon = test::asDoubles(outline);
    int inside = 0;
    for (int k = 0; k < 4000; ++k) {
      // Half the probes on whole and half pixels, where outline points and edges lie.
      float x = anywhere(rng), y = anywhere(rng) * 0.75f;
      if (k % 2) x = std::round(x * 2) / 2, y = std::round(y * 2) / 2;
      const bool plain = pointInPolygon(polygon, x, y);
      ASSERT_EQ(lasso.contains(x, y), plain) << "round " << round << " at " << x << ", " << y;
      inside += plain;
    }
    EXPECT_GT(inside, 0);
    // Every outline point itself answers the same too.
    for (std::size_t i = 0; i < outline.size(); i += 2)
      ASSERT_EQ(lasso.contains(outline[i], outline[i + 1]),
                pointInPolygon(polygon, outline[i], outline[i + 1]));
  }
}

TEST(LassoRegion, TiesInFirstYAndLevelSegmentsKeepTheCountRight) {
  // A comb: several segments start on the same row at the same y; dropping one of them would
  // flip the spans that follow it on that row.
  const std::vector<float> comb = {10, 10, 20, 40, 30, 10, 40, 40, 50, 10, 60, 40,
                                   70, 10, 80, 40, 90, 10, 90, 50, 10, 50};
  const test::RowTable table = test::lassoRows(comb, kSize.height);
  const LassoRegion lasso = table.region();
  const std::vector<double> polygon = test::asDoubles(comb);
  for (float y = 8; y <= 52; y += 0.5f)
    for (float x = 5; x <= 95; x += 0.5f)
      ASSERT_EQ(lasso.contains(x, y), pointInPolygon(polygon, x, y)) << x << ", " << y;
  EXPECT_FALSE(lasso.contains(20, 35));  // in the notch above a tooth's tip
  EXPECT_TRUE(lasso.contains(30, 30));   // in a tooth
  EXPECT_TRUE(lasso.contains(50, 45));   // the comb's back
}

TEST(LassoRegion, MalformedTablesSelectNothing) {
  const std::vector<ScanEdge> edges = {{0, 0, 10, 10}};
  const std::vector<std::uint32_t> pastTheEdges = {0, 5};
  EXPECT_TRUE(LassoRegion(edges, pastTheEdges).empty());
  EXPECT_FALSE(LassoRegion(edges, pastTheEdges).contains(5, 0.5f));
  EXPECT_FALSE(LassoRegion({}, {}).contains(0, 0));
}

TEST(VisibleDepth, AnswersAsTheDepthImageDoes) {
  std::mt19937 rng(9);
  std::uniform_real_distribution<float> depth(1, 2), pos(0, 1);
  DepthImage image{17, 11, {}};
  for (int i = 0; i < 17 * 11; ++i) image.depth.push_back(i % 7 ? depth(rng) : INFINITY);
  const VisibleDepth fast(image);
  for (int k = 0; k < 5000; ++k) {
    const float x = pos(rng) * 17, y = pos(rng) * 11, d = depth(rng);
    ASSERT_EQ(fast.visible(x, y, d), image.visible(x, y, d)) << x << ", " << y << ", " << d;
  }
  EXPECT_EQ(VisibleDepth(DepthImage{}).width(), 0);
}

// The fast region selection and the plain one, over every kind, region and depth setting.
TEST(ComponentsInRegion, FastAndPlainSelectTheSameComponents) {
  Mesh m = wavySheet(24);
  const Camera c = obliqueCamera();
  const ScreenProjector project(c, kSize.width, kSize.height);
  const DepthImage image = rayDepth(m, c, kSize);
  const VisibleDepth visible(image);
  // Hidden ones scattered through runs the region takes whole, too.
  m.faceFlags[100] |= kHidden, m.vertexFlags[50] |= kHidden, m.tableEdgeFlags()[70] |= kHidden;
  for (std::uint32_t k = 3; k < m.vertexCount(); k += 37) m.vertexFlags[k] |= kHidden;
  for (std::uint32_t k = 5; k < m.faceCount(); k += 41) m.faceFlags[k] |= kHidden;
  std::mt19937 rng(11);
  const std::vector<float> outline = randomOutline(rng, 300, false);
  const LassoRegion lasso = test::lassoRows(outline, kSize.height).region();
  std::vector<std::uint32_t> fast;
  // Plain loops, boxes of runs, and boxes with a memo of the depth test that one region fills in
  // part and the next ones read and complete, or that the whole view filled first.
  for (ComponentTarget target : kTargets)
    for (bool seen : {false, true})
      for (int way : {0, 1, 2, 3}) {
      const DepthImage* plainDepth = seen ? &image : nullptr;
      const VisibleDepth* fastDepth = seen ? &visible : nullptr;
      const ChunkBoxes boxes(m, target);
      const ChunkBoxes* chunks = way > 0 ? &boxes : nullptr;
      SeenMemo memoOf(target, componentCount(m, target));
      SeenMemo* memo = way >= 2 ? &memoOf : nullptr;
      if (way == 3 && target != ComponentTarget::Holes)
        learnSeen(m, target, project, visible, boxes, memoOf);
      componentsInRegion(m, target, project, RectRegion{20, 15, 130.5f, 100}, fastDepth,
                         fast, kWholeProjection, chunks, memo);
      EXPECT_EQ(fast, componentsInRect(m, kindOf(target), c, kSize, 20, 15, 130.5, 100,
                                       plainDepth));
      EXPECT_FALSE(fast.empty());
      if (target != ComponentTarget::Holes) {
        // Marking straight into the flags takes the same, and says how many.
        Mesh marked = m;
        EXPECT_EQ(markInRegion(marked, target, project, RectRegion{20, 15, 130.5f, 100}, fastDepth,
                               true, chunks, memo),
                  fast.size());
        EXPECT_EQ(test::flagged(flagsOf(marked, target)), fast);
      }
      componentsInRegion(m, target, project, lasso, fastDepth, fast, kWholeProjection, chunks,
                         memo);
      EXPECT_EQ(fast, componentsInPolygon(m, kindOf(target), c, kSize, test::asDoubles(outline),
                                          plainDepth));
      componentsInRegion(m, target, project, CircleRegion{70, 50, 30}, fastDepth, fast,
                         kWholeProjection, chunks, memo);
      EXPECT_EQ(fast, componentsInCircle(m, kindOf(target), c, kSize, 70, 50, 30, plainDepth));
    }
  // What is hidden behind the waves is left out when only the visible counts.
  std::vector<std::uint32_t> all, seen;
  const RectRegion view{0, 0, kSize.width, kSize.height};
  componentsInRegion(m, ComponentTarget::Vertices, project, view, nullptr, all);
  componentsInRegion(m, ComponentTarget::Vertices, project, view, &visible, seen);
  EXPECT_LT(seen.size(), all.size());
  EXPECT_GT(seen.size(), all.size() / 3);
  EXPECT_FALSE(std::binary_search(all.begin(), all.end(), 50u)) << "hidden vertex";
}

// Faces and edges are placed from vertices projected all at once or as the faces ask for them
// (large meshes): in file order, reversed, and shuffled (far more vertices than a window keeps),
// the same ones are selected, also by boxes whose borders pass through many face centres (a
// front view of a regular grid).
TEST(ComponentsInRegion, VertexOrderAndBoxBordersDoNotChangeTheAnswer) {
  const Mesh sheet = wavySheet(190);
  Camera front = standardCamera(ViewKind::Front);
  front.orthographic = true, front.target = {0.5, 0.5, 0}, front.eye = {0.5, 0.5, 5};
  front.orthoHeight = 1.0 * kSize.height / kSize.width;
  std::mt19937 rng(3);
  std::vector<std::uint32_t> order(sheet.vertexCount());
  for (std::uint32_t v = 0; v < order.size(); ++v) order[v] = v;
  for (int arrangement = 0; arrangement < 3; ++arrangement) {
    if (arrangement == 1) std::reverse(order.begin(), order.end());
    if (arrangement == 2) std::shuffle(order.begin(), order.end(), rng);
    // Vertex v of the sheet becomes vertex order[v].
    std::vector<float> p(sheet.positions.size());
    for (std::uint32_t v = 0; v < order.size(); ++v)
      std::copy_n(&sheet.positions[3 * std::size_t{v}], 3, &p[3 * std::size_t{order[v]}]);
    std::vector<std::uint32_t> f(sheet.faces.size());
    for (std::size_t k = 0; k < f.size(); ++k) f[k] = order[sheet.faces[k]];
    const Mesh m = test::makeMesh(p, f);
    for (const Camera& c : {obliqueCamera(), front}) {
      const ScreenProjector project(c, kSize.width, kSize.height);
      // Any image serves to compare the two: one that hides about half the sheet in stripes.
      std::vector<float> depths;
      for (std::uint32_t v = 0; v < m.vertexCount(); ++v)
        depths.push_back(project(&m.positions[3 * std::size_t{v}]).depth);
      std::nth_element(depths.begin(), depths.begin() + depths.size() / 2, depths.end());
      DepthImage image{kSize.width, kSize.height, {}};
      for (int k = 0; k < kSize.width * kSize.height; ++k)
        image.depth.push_back(depths[depths.size() / 2] * (1 + 0.02f * static_cast<float>(k % 5 - 2)));
      const VisibleDepth visible(image);
      for (RectRegion box : {RectRegion{20, 15, 130.5f, 100}, RectRegion{40, 30, 40, 90},
                             RectRegion{-5, 60, 200, 60.5f}, RectRegion{0, 0, 160, 120}})
        for (ComponentTarget target : {ComponentTarget::Faces, ComponentTarget::Edges})
          for (bool seen : {false, true})
            for (std::uint32_t whole : {0u, kWholeProjection}) {
            std::vector<std::uint32_t> fast;
            // Boxes of runs decide only in file order; in the others each box spans the sheet.
            const ChunkBoxes boxes(m, target);
            const std::vector<std::uint32_t> plain = componentsInRect(
                m, kindOf(target), c, kSize, box.x0, box.y0, box.x1, box.y1, seen ? &image : nullptr);
            componentsInRegion(m, target, project, box, seen ? &visible : nullptr, fast, whole,
                               whole ? &boxes : nullptr);
            ASSERT_EQ(fast, plain) << "arrangement " << arrangement << " box " << box.x0 << ", "
                                   << box.y0 << (whole ? " whole" : " window");
            if (!seen || !whole) continue;
            // A memo of the depth test, filled by a first request and read by a second.
            SeenMemo memo(target, componentCount(m, target));
            for (int pass = 0; pass < 2; ++pass) {
              componentsInRegion(m, target, project, box, &visible, fast, whole, &boxes, &memo);
              ASSERT_EQ(fast, plain) << "arrangement " << arrangement << " pass " << pass;
            }
          }
    }
  }
}

// A run of components is taken or left whole only when each of its components would be: over
// boxes and lassos, a perspective camera low over the sheet, one whose eye lies among the sheet's
// runs (some behind it), and a front view whose box borders pass through many face centres.
TEST(ChunkBoxes, ARunIsDecidedWholeOnlyWhenEachOfItsComponentsAgrees) {
  const Mesh m = wavySheet(60);
  Camera front = standardCamera(ViewKind::Front);
  front.orthographic = true, front.target = {0.5, 0.5, 0}, front.eye = {0.5, 0.5, 5};
  front.orthoHeight = 1.0 * kSize.height / kSize.width;
  Camera among = standardCamera(ViewKind::Perspective);
  among.eye = {0.5, 0.3, 0.3}, among.target = {0.5, 1, 0}, among.up = {0, 0, 1};
  std::mt19937 rng(5);
  const LassoRegion lasso = test::lassoRows(randomOutline(rng, 300, false), kSize.height).region();
  std::size_t decided[3] = {};
  for (const Camera& c : {obliqueCamera(), among, front}) {
    const ScreenProjector project(c, kSize.width, kSize.height);
    for (ComponentTarget target : kTargets) {
      const ChunkBoxes boxes(m, target);
      ASSERT_TRUE(boxes.fits(m, target));
      auto check = [&](const auto& region) {
        const RegionCodes codes(region, kSize.width, kSize.height, nullptr,
                                RegionCodes::Asks::Blocks);
        for (std::uint32_t chunk = 0; chunk < boxes.count(); ++chunk) {
          const std::uint8_t cls = boxes.classify(chunk, project, codes);
          ++decided[cls];
          if (cls == kClassMixed) continue;
          const std::uint32_t first = chunk * ChunkBoxes::kRun;
          const std::uint32_t last = std::min<std::uint32_t>(
              first + ChunkBoxes::kRun, target == ComponentTarget::Vertices ? m.vertexCount()
                                        : target == ComponentTarget::Faces  ? m.faceCount()
                                                              : static_cast<std::uint32_t>(m.edges().size()));
          for (std::uint32_t k = first; k < last; ++k) {
            const ScreenVertex s = screenPlace(m, target, project, k);
            ASSERT_EQ(region.contains(s.x, s.y) && onView(s, kSize.width, kSize.height),
                      cls == kClassIn)
                << "chunk " << chunk << " component " << k;
          }
        }
      };
      for (RectRegion box : {RectRegion{20, 15, 130.5f, 100}, RectRegion{40, 30, 40, 90},
                             RectRegion{-5, 60, 200, 60.5f}, RectRegion{0, 0, 160, 120}})
        check(box);
      check(lasso);
    }
  }
  EXPECT_GT(decided[kClassIn], 100u);
  EXPECT_GT(decided[kClassOut], 100u);
  // Boxes of another mesh, or of another kind, are not used; a tetrahedron has as many faces as
  // vertices.
  EXPECT_FALSE(ChunkBoxes(m, ComponentTarget::Faces).fits(wavySheet(30), ComponentTarget::Faces));
  const Mesh tetrahedron =
      test::makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3});
  EXPECT_FALSE(ChunkBoxes(tetrahedron, ComponentTarget::Faces)
                   .fits(tetrahedron, ComponentTarget::Vertices));
  EXPECT_TRUE(ChunkBoxes(m, ComponentTarget::Edges).fits(m, ComponentTarget::Holes));
}

TEST(ComponentsInRegion, BordersZeroSizeViewsAndDegenerateFaces) {
  // Two triangles; the second has all three corners on one point.
  Mesh m = test::makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 0.5f, 0.5f, 0}, {0, 1, 2, 3, 3, 3});
  Camera c = standardCamera(ViewKind::Front);
  c.orthographic = true, c.target = {0.5, 0.5, 0}, c.eye = {0.5, 0.5, 5}, c.orthoHeight = 2;
  const ScreenProjector project(c, 100, 100);
  std::vector<std::uint32_t> out;
  // Vertex 1 sits at (75, 75): a rectangle whose edge passes through it takes it.
  componentsInRegion(m, ComponentTarget::Vertices, project, RectRegion{75, 75, 75, 75}, nullptr, out);
  EXPECT_EQ(out, (std::vector<std::uint32_t>{1}));
  componentsInRegion(m, ComponentTarget::Vertices, project, RectRegion{75.01f, 0, 100, 100},
                     nullptr, out);
  EXPECT_TRUE(out.empty());
  // The degenerate face is placed at its one point, like any other.
  componentsInRegion(m, ComponentTarget::Faces, project, RectRegion{50, 50, 50, 50}, nullptr, out);
  EXPECT_EQ(out, (std::vector<std::uint32_t>{1}));
  // A view without pixels selects nothing, and so does a depth image of another size.
  for (auto [w, h] : {std::pair{0, 100}, {100, 0}, {0, 0}}) {
    componentsInRegion(m, ComponentTarget::Vertices, ScreenProjector(c, w, h),
                       RectRegion{-1e9f, -1e9f, 1e9f, 1e9f}, nullptr, out);
    EXPECT_TRUE(out.empty());
  }
  DepthImage small{10, 10, std::vector<float>(100, INFINITY)};
  const VisibleDepth wrongSize(small);
  componentsInRegion(m, ComponentTarget::Vertices, project, RectRegion{0, 0, 100, 100}, &wrongSize, out);
  EXPECT_TRUE(out.empty());
}

TEST(BrushGrid, StepsSelectWhatThePlainCircleSelects) {
  Mesh m = wavySheet(30, 3);
  const Camera c = obliqueCamera();
  const ScreenProjector project(c, kSize.width, kSize.height);
  const DepthImage image = rayDepth(m, c, kSize);
  const VisibleDepth visible(image);
  m.faceFlags[10] |= kHidden;
  std::mt19937 rng(13);
  std::uniform_real_distribution<float> x(-20, 180), y(-20, 140), r(0, 40);
  // Visible only, the depth test is answered by the image itself, by a memo of the whole view,
  // or by one that a region filled in part.
  const FaceOwners owners(m);
  for (ComponentTarget target : kTargets)
    for (int way : {0, 1, 2, 3, 4, 5, 6, 7}) {
      // Ways 4 to 7 bucket faces by their owners.
      const bool byOwners = way > 3;
      if (byOwners && target != ComponentTarget::Faces) continue;
      way %= 4;
      const bool seen = way > 0;
      SeenMemo memo(target, componentCount(m, target));
      const ChunkBoxes boxes(m, target);
      if (target == ComponentTarget::Holes && way > 1) continue;
      if (way == 2) learnSeen(m, target, project, visible, boxes, memo);
      if (way == 3) {
        std::vector<std::uint32_t> part;
        componentsInRegion(m, target, project, RectRegion{10, 30, 90, 70}, &visible, part,
                           kWholeProjection, &boxes, &memo);
      }
      BrushGrid grid;
      grid.build(m, target, project, seen ? &visible : nullptr, way > 1 ? &memo : nullptr,
                 byOwners ? &owners : nullptr);
      ASSERT_EQ(grid.owned(), byOwners);
      // A handle a component, or at most a run a face (6 bytes), and an offset a cell.
      EXPECT_LE(grid.memoryBytes(), (byOwners ? 6 : 4) * componentCount(m, kindOf(target)) +
                                        4 * (160 / grid.cellPixels() * 120 / grid.cellPixels() + 1) +
                                        64);
      for (int k = 0; k < 60; ++k) {
        const float cx = k ? x(rng) : 40, cy = k ? y(rng) : 40, radius = k % 10 ? r(rng) : 0;
        std::vector<std::uint32_t> got;
        grid.query(m, project, cx, cy, radius, got);
        std::sort(got.begin(), got.end());
        ASSERT_EQ(got, componentsInCircle(m, kindOf(target), c, kSize, cx, cy, radius,
                                          seen ? &image : nullptr))
            << cx << ", " << cy << " r " << radius;
        // Marking takes the same ones, whole cells inside the brush included.
        m.clearSelectedComponents();
        ASSERT_EQ(grid.mark(m, project, cx, cy, radius, true), got.size());
        if (target != ComponentTarget::Holes) {
          ASSERT_EQ(test::flagged(flagsOf(m, target)), got);
        }
      }
    }
}

// Faces kept by their owners select what the plain circle selects wherever the camera is: close
// enough that part of the sheet lies behind the eye, zoomed in until faces span many pixels,
// straight down in an orthographic view; with faces listed in no useful order (owners too far
// apart for a byte), and with a few faces stretched far past their neighbours.
TEST(BrushGrid, FacesByOwnersSelectWhatThePlainCircleSelectsFromAnyCamera) {
  std::vector<std::pair<const char*, Mesh>> meshes;
  meshes.emplace_back("sheet", wavySheet(30, 5));
  Mesh shuffled = wavySheet(30, 5);
  {
    std::mt19937 rng(4);
    std::vector<std::uint32_t> order(shuffled.faceCount());
    for (std::uint32_t f = 0; f < order.size(); ++f) order[f] = f;
    std::shuffle(order.begin(), order.end(), rng);
    std::vector<std::uint32_t> faces;
    for (std::uint32_t f : order)
      faces.insert(faces.end(), shuffled.faces.begin() + 3 * f, shuffled.faces.begin() + 3 * f + 3);
    shuffled.faces = faces;
  }
  meshes.emplace_back("shuffled", std::move(shuffled));
  Mesh spiked = wavySheet(30, 5);
  spiked.positions[3 * 400 + 2] += 0.6f, spiked.positions[3 * 620 + 2] -= 0.3f;
  spiked.faceFlags[77] |= kHidden;
  meshes.emplace_back("spiked", std::move(spiked));

  std::vector<std::pair<const char*, Camera>> cameras;
  cameras.emplace_back("oblique", obliqueCamera());
  Camera close = standardCamera(ViewKind::Perspective);
  close.eye = {0.5, 0.3, 0.12}, close.target = {0.5, 0.9, 0}, close.up = {0, 0, 1};
  close.fovDegrees = 70;
  cameras.emplace_back("close", close);
  Camera zoomed = obliqueCamera();
  zoomed.fovDegrees = 4;
  cameras.emplace_back("zoomed", zoomed);
  Camera cropped = obliqueCamera();  // the sheet runs past every border of the view
  cropped.fovDegrees /= 3;
  cameras.emplace_back("cropped", cropped);
  Camera top = standardCamera(ViewKind::Top);
  studio::Box sheet;
  sheet.add({0.2, 0.1, -0.3});
  sheet.add({0.7, 0.6, 0.3});
  frameBox(top, sheet, kSize.width, kSize.height);
  cameras.emplace_back("top", top);

  std::mt19937 rng(21);
  std::uniform_real_distribution<float> x(-20, 180), y(-20, 140), r(0, 40);
  int owned = 0, kept = 0;
  for (auto& [meshName, m] : meshes) {
    const FaceOwners owners(m);
    for (const auto& [cameraName, c] : cameras) {
      const ScreenProjector project(c, kSize.width, kSize.height);
      const DepthImage image = rayDepth(m, c, kSize);
      const VisibleDepth visible(image);
      SeenMemo memo(ComponentTarget::Faces, m.faceCount());
      learnSeen(m, ComponentTarget::Faces, project, visible, ChunkBoxes(m, ComponentTarget::Faces),
                memo);
      for (bool seen : {false, true}) {
        BrushGrid grid;
        grid.build(m, ComponentTarget::Faces, project, seen ? &visible : nullptr,
                   seen ? &memo : nullptr, &owners);
        ASSERT_TRUE(grid.owned());
        ++owned;
        for (int k = 0; k < 40; ++k) {
          float cx = x(rng), cy = y(rng);
          const float radius = k % 8 ? r(rng) : 0;
          // Every fourth brush on a border of the view.
          if (k % 8 == 1) cx = k % 16 == 1 ? 0.0f : 160.0f;
          if (k % 8 == 5) cy = k % 16 == 5 ? 0.0f : 120.0f;
          std::vector<std::uint32_t> got;
          grid.query(m, project, cx, cy, radius, got);
          std::sort(got.begin(), got.end());
          ASSERT_EQ(got, componentsInCircle(m, ComponentKind::Faces, c, kSize, cx, cy, radius,
                                            seen ? &image : nullptr))
              << meshName << " from " << cameraName << (seen ? ", visible only" : "") << ": "
              << cx << ", " << cy << " r " << radius;
          kept += !got.empty();
        }
      }
    }
  }
  EXPECT_EQ(owned, 30);
  EXPECT_GT(kept, 300);

  // Seen from so wide an angle that a sheet of 71,000 faces covers a pixel: a run longer than a
  // run's length holds is kept in pieces, every face still taken.
  const Mesh dense = wavySheet(190, 2);
  Camera wide = obliqueCamera();
  wide.fovDegrees = 179.5;
  // An odd size puts the view's middle, where the sheet lands, inside a cell.
  const ViewSize odd{161, 121};
  const ScreenProjector project(wide, odd.width, odd.height);
  const FaceOwners denseOwners(dense);
  BrushGrid grid;
  grid.build(dense, ComponentTarget::Faces, project, nullptr, nullptr, &denseOwners);
  std::vector<std::uint32_t> got;
  grid.query(dense, project, 80, 60, 30, got);
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got.size(), dense.faceCount());
  EXPECT_EQ(got, componentsInCircle(dense, ComponentKind::Faces, wide, odd, 80, 60, 30, nullptr));
}

TEST(BoundaryLoops, HolesComeWholeAndApart) {
  // A 4 x 4 grid of quads with the middle 2 x 2 left out: an outer loop of 16 edges and an inner
  // one of 8.
  std::vector<float> p;
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 5; ++i) p.insert(p.end(), {float(i), float(j), 0});
  std::vector<std::uint32_t> f;
  for (std::uint32_t j = 0; j < 4; ++j)
    for (std::uint32_t i = 0; i < 4; ++i) {
      if ((i == 1 || i == 2) && (j == 1 || j == 2)) continue;
      std::uint32_t a = j * 5 + i;
      f.insert(f.end(), {a, a + 1, a + 6, a, a + 6, a + 5});
    }
  Mesh m = test::makeMesh(p, f);
  std::vector<std::uint32_t> outerSeed, innerSeed;
  for (std::uint32_t e = 0; e < m.edgeCount(); ++e) {
    if (m.edges()[e].f1 != kNoFace) continue;
    const Vec3 mid = (m.position(m.edges()[e].v0) + m.position(m.edges()[e].v1)) * 0.5;
    (mid.x > 0.9 && mid.x < 3.1 && mid.y > 0.9 && mid.y < 3.1 ? innerSeed : outerSeed).push_back(e);
  }
  ASSERT_EQ(outerSeed.size(), 16u);
  ASSERT_EQ(innerSeed.size(), 8u);
  EXPECT_EQ(boundaryLoops(m, {innerSeed[3]}), innerSeed);
  EXPECT_EQ(boundaryLoops(m, {outerSeed[0]}), outerSeed);
  // An inner edge is no hole; a hidden edge breaks its loop.
  std::uint32_t interior = 0;
  while (m.edges()[interior].f1 == kNoFace) ++interior;
  EXPECT_TRUE(boundaryLoops(m, {interior}).empty());
  m.edgeFlags[innerSeed[0]] |= kHidden;
  EXPECT_EQ(boundaryLoops(m, {innerSeed[3]}).size(), 7u);
}

}  // namespace
}  // namespace tessel::studio

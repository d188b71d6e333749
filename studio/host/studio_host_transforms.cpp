// Studio side of coordinate systems: adding a named one, and the frames report.
#include "studio/host/studio_host.h"

#include <cmath>
#include <cstdio>

#include "transform/transform_math.h"

namespace tessel::studio {

void StudioHost::entityMoved(omEntity* moved) {
  // Only an entity of this scene is touched: the pointer is compared, never trusted.
  for (const auto& e : scene_.entities())
    if (static_cast<omEntity*>(e.get()) == moved) e->placementChanged();
  mainView_.components().sceneChanged();
  mainView_.followSelection();
  mainView_.redrawAll();
}

namespace {

// Four decimals, without a "-0.0000" for a value that rounds to zero.
double clean(double v) { return std::fabs(v) < 5e-5 ? 0.0 : v; }

std::string triple(double x, double y, double z) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "(%.4f, %.4f, %.4f)", clean(x), clean(y), clean(z));
  return buf;
}

}  // namespace

std::string StudioHost::addCoordSys(const std::string& name, const Vec3& origin,
                                    const double* xyzw) {
  if (!isFinite(origin)) return "a coordinate system's origin must be finite";
  const auto q = transform::normalized(transform::Quat{xyzw[0], xyzw[1], xyzw[2], xyzw[3]});
  if (!q) return "a coordinate system's orientation must be a finite, non-zero quaternion";
  auto entity = std::make_unique<Entity>();
  entity->name = scene_.uniqueName(name);
  entity->type = om::kEntityCoordSys;
  beginEdit("Add " + entity->name);
  Entity& added = scene_.add(std::move(entity));
  const float o[3] = {static_cast<float>(origin.x), static_cast<float>(origin.y),
                      static_cast<float>(origin.z)};
  const float f[4] = {static_cast<float>(q->x), static_cast<float>(q->y), static_cast<float>(q->z),
                      static_cast<float>(q->w)};
  added.GetCoordSys()->SetOrigin(o);
  added.GetCoordSys()->SetOrientation(f);
  endEdit();
  echo_("added: " + added.name + " (coordinate system)");
  mainView_.redrawAll();
  return {};
}

std::vector<std::string> StudioHost::describeFrames() {
  std::vector<std::string> lines;
  for (const auto& e : scene_.entities()) {
    float o[3], q[4], box[6];
    e->GetCoordSys()->GetOrigin(o);
    e->GetCoordSys()->GetOrientation(q);
    char quat[200];
    std::snprintf(quat, sizeof quat, "(%.4f, %.4f, %.4f, %.4f)", clean(q[0]), clean(q[1]),
                  clean(q[2]), clean(q[3]));
    std::string line = e->name + ": origin " + triple(o[0], o[1], o[2]) + " orientation " + quat;
    if (e->GetBoundingBox(box))
      line += " box " + triple(box[0], box[1], box[2]) + " - " + triple(box[3], box[4], box[5]);
    if (!e->placement.isIdentity()) {
      // The rows of the row-vector matrix: the placed x, y and z axes, then the translation.
      const auto& f = e->placement.forward();
      line += " placement";
      for (int r = 0; r < 4; ++r) line += " " + triple(f[4 * r], f[4 * r + 1], f[4 * r + 2]);
    }
    lines.push_back(line);
  }
  return lines;
}

}  // namespace tessel::studio

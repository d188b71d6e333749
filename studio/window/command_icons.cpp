#include "studio/window/command_icons.h"

#include <QFile>

#include "resources/resource_ids.h"
#include "studio/window/svg_icon_engine.h"

namespace tessel::studio {
namespace {

namespace id = resources::id;

constexpr CommandIcon kIcons[] = {
    // Select
    {id::kObjectSelect, {}, "object-select"},
    {id::kFlood, {}, "flood-select"},
    {id::kComponentSelect, {}, "component-select"},
    {id::kLassoSelect, {}, "lasso-select"},
    {id::kPaintSelect, {}, "paint-select"},
    {id::kCustomSelect, {}, "custom-select"},
    // Zoom
    {id::kViewAll, {}, "view-all"},
    {id::kViewSelected, {}, "view-selected"},
    {id::kZoom, {}, "zoom"},
    // Orient
    {id::kOrientSync, {}, "synchronize"},
    {id::kTranslate, {}, "translate"},
    {id::kRotate, {}, "rotate"},
    {id::kScale, {}, "scale"},
    {id::kCreateCoordSys, {}, "create-coord-sys"},
    // Camera
    {id::kTumble, {}, "tumble"},
    {id::kPan, {}, "pan"},
    {id::kRoll, {}, "roll"},
    {id::kDolly, {}, "dolly"},
    // Light
    {id::kDisplayLights, {}, "display-lights"},
    {id::kDirectionalLight, {}, "directional-light"},
    {id::kEvalLight, {}, "evaluation-light"},
    // Studio's own
    {0, "Open...", "open"},
    {0, "Save", "save"},
};

}  // namespace

std::span<const CommandIcon> commandIconTable() { return kIcons; }

QIcon iconFile(std::string_view file) {
  QFile in(QStringLiteral(":/icons/%1.svg").arg(QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size()))));
  if (!in.open(QIODevice::ReadOnly)) return {};
  return QIcon(new SvgIconEngine(in.readAll()));
}

QIcon commandIcon(std::uint32_t commandId) {
  for (const CommandIcon& c : kIcons)
    if (c.id != 0 && c.id == commandId) return iconFile(c.file);
  return {};
}

QIcon studioIcon(std::string_view name) {
  for (const CommandIcon& c : kIcons)
    if (c.id == 0 && c.name == name) return iconFile(c.file);
  return {};
}

}  // namespace tessel::studio

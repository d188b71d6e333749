// Which icon each toolbar button and menu item shows: one table from a command (the module's
// command ID, or the name of one of Studio's own items) to an SVG file among the window's
// resources (studio/resources/icons).
#pragma once

#include <QIcon>

#include <cstdint>
#include <span>
#include <string_view>

namespace tessel::studio {

struct CommandIcon {
  std::uint32_t id;       // 0 for one of Studio's own items, named instead
  std::string_view name;  // Studio's own item: its name without markers ("Open")
  std::string_view file;  // under :/icons/, without ".svg"
};

std::span<const CommandIcon> commandIconTable();
// Null when the table gives the command no icon.
QIcon commandIcon(std::uint32_t id);
QIcon studioIcon(std::string_view name);
// The icon of a file under :/icons/; null when there is no such file.
QIcon iconFile(std::string_view file);

}  // namespace tessel::studio

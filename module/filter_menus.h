// The rules of the filter controls. The "Object Filter" and "Component Filter" submenus hold one
// numbered item per filter entry, the current one checked, rebuilt whenever the menu is brought
// up to date. Each submenu owns a fixed range of command IDs; entries beyond it are left out
// rather than run into other commands' IDs.
#pragma once

#include <cstdint>
#include <string>

#include "resources/resource_ids.h"

class omMaskList;

namespace tessel::platform {
class CCmdUI;
}

namespace tessel::module {

struct FilterMenu {
  std::uint32_t firstId;  // the placeholder's ID, given to the first entry
  std::uint32_t lastId;

  std::int32_t capacity() const { return static_cast<std::int32_t>(lastId - firstId + 1); }
  bool owns(std::uint32_t id) const { return id >= firstId && id <= lastId; }
};

inline constexpr FilterMenu kObjectFilterMenu{resources::id::kObjectFilterFirst,
                                              resources::id::kObjectFilterLast};
inline constexpr FilterMenu kComponentFilterMenu{resources::id::kComponentFilterFirst,
                                                 resources::id::kComponentFilterLast};

inline constexpr char kNoMasks[] = "No Masks Available";

// "&1 Mesh" for entry 0, ..., "&0 ..." for entry 9, "&1 ..." again for entry 10.
std::string filterMenuText(std::int32_t entry, const char* name);

// Brings a submenu item up to date from `list` (null counts as empty): rebuilds the popup with
// the list's entries, or shrinks it to one disabled "No Masks Available" item.
void updateFilterMenu(omMaskList* list, const FilterMenu& menu, platform::CCmdUI& ui);

// Makes the entry that command `id` stands for the list's current one. False, and nothing
// changed, for an ID outside the menu's range or past the list's entries.
bool chooseFilterEntry(omMaskList& list, const FilterMenu& menu, std::uint32_t id);

// True when a filter change from or to `mask` must clear a selection of `selected` entities:
// holes always; lights, coordinate systems and mesh vertices, edges and faces when something is
// selected, since what is selected under one of them means nothing under another.
bool clearsSelection(std::uint32_t mask, std::int32_t selected);

}  // namespace tessel::module

// Studio's own preferences (Edit > Preferences, the `preference` verb): how the mouse navigates,
// where the wheel zooms, the undo history's memory and the views' colours. They are kept under
// software\Tessel\Studio in the settings file, beside the module's settings; a value missing
// there is the default, and one that cannot be used is named in a warning and left at the
// default, never written over until the person chooses again.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "studio/host/mouse_navigation.h"
#include "studio/render/renderer.h"

namespace tessel::studio {

struct Preferences {
  Navigation navigation = Navigation::Tessel;
  // The wheel moves towards the point under the cursor (else towards the view's centre).
  bool wheelTowardsCursor = true;
  // The undo history's budget; the oldest steps go beyond it.
  std::uint32_t historyMB = 512;
  Palette colours;
  // The time a frame aims at while the camera moves: large scans are drawn in as much detail as
  // fits in it.
  std::uint32_t movingFrameMs = 60;
  bool operator==(const Preferences&) const = default;
};

inline constexpr std::uint32_t kHistoryMBMin = 1, kHistoryMBMax = 1u << 20;
inline constexpr std::uint32_t kMovingFrameMsMin = 10, kMovingFrameMsMax = 1000;

// The names the `preference` verb and `print preferences` use, in the dialog's order.
const std::vector<std::string>& preferenceNames();
// One preference as the verb writes it ("middle", "on", "512", "#2a2b33").
std::string preferenceText(const Preferences& p, const std::string& name);
// Sets one preference from its text; the problem (naming the values it takes), else empty, and
// `p` unchanged on a problem.
std::string setPreference(Preferences& p, const std::string& name, const std::string& text);

// "#rrggbb" or "rrggbb" (case ignored) to bytes; false for anything else.
bool parseColour(const std::string& text, Rgb* out);
std::string colourText(const Rgb& c);

// The preferences in `file`: each one missing or unusable stays at its default, and each
// unusable one adds a line to `problems` naming it and what it must be.
Preferences readPreferences(const std::filesystem::path& file, std::vector<std::string>* problems);
// Writes every preference (atomically, as every settings write); false when the file could not
// be written, which the settings store has said why.
bool writePreferences(const std::filesystem::path& file, const Preferences& p);

}  // namespace tessel::studio

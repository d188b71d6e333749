#include "studio/host/preferences.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <utility>

#include "platform/settings_store.h"
#include "studio/edit/history.h"

namespace tessel::studio {
namespace {

const char* const kKey = "software\\Tessel\\Studio";
static_assert(Preferences{}.historyMB << 20 == edit::History::kDefaultBudget);
static_assert(Preferences{}.movingFrameMs == kMovingFrameSeconds * 1000);

// The verb's name of each preference and the settings file's.
struct Name {
  const char* verb;
  const char* setting;
};
constexpr Name kNames[] = {
    {"navigation", "Navigation"},
    {"wheel-to-cursor", "Wheel zooms to cursor"},
    {"history-mb", "History MB"},
    {"moving-frame-ms", "Moving frame ms"},
    {"background", "Background colour"},
    {"object-colour", "Selected object colour"},
    {"selection-colour", "Selection colour"},
};

const Rgb* colourOf(const Preferences& p, const std::string& name) {
  if (name == "background") return &p.colours.background;
  if (name == "object-colour") return &p.colours.selectedObject;
  if (name == "selection-colour") return &p.colours.selection;
  return nullptr;
}
Rgb* colourOf(Preferences& p, const std::string& name) {
  return const_cast<Rgb*>(colourOf(std::as_const(p), name));
}

// What a value must be, for the problem lines.
std::string expected(const std::string& name) {
  if (name == "navigation") return "\"tessel\" or \"middle\"";
  if (name == "wheel-to-cursor") return "on or off";
  if (name == "history-mb")
    return "a whole number of megabytes from " + std::to_string(kHistoryMBMin) + " to " +
           std::to_string(kHistoryMBMax);
  if (name == "moving-frame-ms")
    return "a whole number of milliseconds from " + std::to_string(kMovingFrameMsMin) + " to " +
           std::to_string(kMovingFrameMsMax);
  return "a colour as #rrggbb or rrggbb";
}

}  // namespace

const std::vector<std::string>& preferenceNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const Name& n : kNames) v.push_back(n.verb);
    return v;
  }();
  return names;
}

bool parseColour(const std::string& text, Rgb* out) {
  // The '#' may be left out: a script line's '#' starts a comment unless quoted.
  const std::size_t at = !text.empty() && text[0] == '#' ? 1 : 0;
  if (text.size() != at + 6) return false;
  Rgb c{};
  for (std::size_t i = 0; i < 3; ++i) {
    int byte = 0;
    for (std::size_t j = 0; j < 2; ++j) {
      const char h =
          static_cast<char>(std::tolower(static_cast<unsigned char>(text[at + 2 * i + j])));
      const int digit = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : -1;
      if (digit < 0) return false;
      byte = byte * 16 + digit;
    }
    c[i] = static_cast<std::uint8_t>(byte);
  }
  *out = c;
  return true;
}

std::string colourText(const Rgb& c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c[0], c[1], c[2]);
  return text;
}

std::string preferenceText(const Preferences& p, const std::string& name) {
  if (name == "navigation") return p.navigation == Navigation::Tessel ? "tessel" : "middle";
  if (name == "wheel-to-cursor") return p.wheelTowardsCursor ? "on" : "off";
  if (name == "history-mb") return std::to_string(p.historyMB);
  if (name == "moving-frame-ms") return std::to_string(p.movingFrameMs);
  if (const Rgb* c = colourOf(p, name)) return colourText(*c);
  return {};
}

std::string setPreference(Preferences& p, const std::string& name, const std::string& text) {
  const auto bad = [&] { return "preference " + name + " must be " + expected(name); };
  if (name == "navigation") {
    if (text != "tessel" && text != "middle") return bad();
    p.navigation = text == "tessel" ? Navigation::Tessel : Navigation::MiddleButtonOrbits;
    return {};
  }
  if (name == "wheel-to-cursor") {
    if (text != "on" && text != "off") return bad();
    p.wheelTowardsCursor = text == "on";
    return {};
  }
  if (name == "history-mb" || name == "moving-frame-ms") {
    const bool history = name == "history-mb";
    const std::uint32_t least = history ? kHistoryMBMin : kMovingFrameMsMin;
    const std::uint32_t most = history ? kHistoryMBMax : kMovingFrameMsMax;
    std::size_t used = 0;
    unsigned long value = 0;
    try {
      value = std::stoul(text, &used);
    } catch (...) {
      used = 0;
    }
    if (used == 0 || used != text.size() || !std::isdigit(static_cast<unsigned char>(text[0])) ||
        value < least || value > most)
      return bad();
    (history ? p.historyMB : p.movingFrameMs) = static_cast<std::uint32_t>(value);
    return {};
  }
  if (Rgb* c = colourOf(p, name)) return parseColour(text, c) ? std::string() : bad();
  std::string names;
  for (const std::string& n : preferenceNames()) names += (names.empty() ? "" : ", ") + n;
  return "no preference \"" + name + "\"; there are " + names;
}

Preferences readPreferences(const std::filesystem::path& file, std::vector<std::string>* problems) {
  Preferences p;
  const platform::SettingsStore store(file);
  for (const Name& n : kNames) {
    const std::optional<nlohmann::json> value = store.read(kKey, n.setting);
    if (!value) continue;
    std::string text;
    if (value->is_boolean())
      text = value->get<bool>() ? "on" : "off";
    else if (value->is_number()) {
      // A budget written by hand may carry a fraction: the nearest whole megabyte.
      const double v = value->get<double>();
      text = std::isfinite(v) && v >= 0 && v < 1e12 ? std::to_string(std::llround(v)) : "x";
    } else if (value->is_string())
      text = value->get<std::string>();
    const std::string verb = n.verb;
    // Each value has one type in the file: a flag is a boolean, the budget a number.
    const bool typed = verb == "wheel-to-cursor" ? value->is_boolean()
                       : verb == "history-mb" || verb == "moving-frame-ms" ? value->is_number()
                                                 : value->is_string();
    Preferences next = p;
    if (!typed || !setPreference(next, verb, text).empty()) {
      if (problems)
        problems->push_back("\"" + std::string(n.setting) + "\" in the settings must be " +
                            expected(verb) + "; the default stays");
      continue;
    }
    p = next;
  }
  return p;
}

bool writePreferences(const std::filesystem::path& file, const Preferences& p) {
  nlohmann::json values = nlohmann::json::object();
  for (const Name& n : kNames) {
    const std::string verb = n.verb, text = preferenceText(p, verb);
    if (verb == "wheel-to-cursor")
      values[n.setting] = p.wheelTowardsCursor;
    else if (verb == "history-mb")
      values[n.setting] = p.historyMB;
    else if (verb == "moving-frame-ms")
      values[n.setting] = p.movingFrameMs;
    else
      values[n.setting] = text;
  }
  return platform::SettingsStore(file).writeAll(kKey, values);
}

}  // namespace tessel::studio

#include "studio/script/script_runner.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <utility>

namespace tessel::studio {
namespace {

bool parseInt(const std::string& s, long long* out) {
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *out);
  return ec == std::errc() && end == s.data() + s.size();
}

bool parseFloat(const std::string& s, double* out) {
  char* end = nullptr;
  *out = std::strtod(s.c_str(), &end);
  return !s.empty() && end == s.c_str() + s.size() && std::isfinite(*out);
}

std::int32_t parseButton(const std::string& s) {
  if (s == "left") return om::kButtonLeft;
  if (s == "middle") return om::kButtonMiddle;
  if (s == "right") return om::kButtonRight;
  return 0;
}

struct Modifiers {
  bool shift = false, ctrl = false, alt = false;
};

// Reads trailing "shift", "ctrl", "alt" words from `from` on; false on any other word.
bool parseModifiers(const std::vector<std::string>& w, std::size_t from, Modifiers* m,
                    std::string* bad) {
  for (std::size_t i = from; i < w.size(); ++i) {
    if (w[i] == "shift") m->shift = true;
    else if (w[i] == "ctrl") m->ctrl = true;
    else if (w[i] == "alt") m->alt = true;
    else {
      *bad = w[i];
      return false;
    }
  }
  return true;
}

const std::map<std::string, std::string>& usages();

std::string usage(const std::string& verb) {
  static const std::map<std::string, std::string>& forms = usages();
  auto it = forms.find(verb);
  return it == forms.end() ? "" : "usage: " + it->second;
}

const std::map<std::string, std::string>& usages() {
  static const std::map<std::string, std::string> forms = {
      {"help", "help [VERB]"},
      {"expect-refusal", "expect-refusal VERB ... (the line's command must refuse to run)"},
      {"open", "open PATH"},
      {"layout", "layout single|quad"},
      {"view", "view N"},
      {"display", "display smooth|flat|wireframe|points [VIEW] (the active view's, or view VIEW's)"},
      {"tool", "tool \"Name\""},
      {"command", "command \"Name\""},
      {"id", "id N [shift]"},
      {"key", "key KEY [ctrl] [shift] [alt]"},
      {"press", "press left|middle|right X Y [shift] [ctrl] [alt]"},
      {"move", "move left|middle|right X Y [shift] [ctrl] [alt]"},
      {"release", "release left|middle|right X Y [shift] [ctrl] [alt]"},
      {"drag", "drag left|middle|right X0 Y0 X1 Y1 [steps N] [shift] [ctrl] [alt]"},
      {"wheel", "wheel DELTA X Y [shift] [ctrl] [alt]"},
      {"select", "select \"Object\" faces|vertices|edges H [H...]"},
      {"set", "set \"Panel title\" \"Attribute\" VALUE"},
      {"apply", "apply \"Panel title\""},
      {"print", "print camera|selection|scene|frames|manipulator|panel \"Title\"|menu|toolbars|accelerators|history|preferences"},
      {"preference", "preference navigation tessel|middle | wheel-to-cursor on|off | history-mb N | moving-frame-ms N | background|object-colour|selection-colour rrggbb|\"#rrggbb\" (as Edit > Preferences sets and keeps them)"},
      {"undo", "undo (the last step of the history)"},
      {"redo", "redo (the step undone last)"},
      {"delete", "delete (the selected objects, or in component mode the selected faces and points)"},
      {"hide", "hide selected|unselected|object \"Name\""},
      {"show", "show all|object \"Name\""},
      {"pick", "pick [\"Name\"...] (select exactly those objects, the last one active)"},
      {"rename", "rename \"Name\" \"New name\""},
      {"shot", "shot PATH.png [frame|window|dialog preferences|shortcuts]"},
      {"save", "save [[selection] PATH] (the active mesh to its own file, or to PATH, or only the faces the selection takes)"},
      {"separate", "separate (the selected faces of each mesh become a mesh of their own)"},
      {"filter", "filter object|component \"Name\""},
      {"panel", "panel ID|\"Name\"|close"},
      {"mode", "mode object|component"},
      {"curve", "curve \"Name\" X Y Z X Y Z [X Y Z...]"},
      {"stroke", "stroke left|middle|right X Y X Y [X Y...] [shift] [ctrl] [alt]"},
      {"invert", "invert on|off"},
      {"check", "check lasso [through] X Y X Y X Y [X Y...]"},
      {"spring", "spring \"Name\" X Y Z X Y Z [X Y Z...]"},
      {"coordsys", "coordsys \"Name\" X Y Z [QX QY QZ QW]"},
      {"group", "group lights|coordsys show|hide"},
      {"map", "map \"Object\" \"Name\" x|y|z (the vertices' world coordinate as a value map)"},
      {"manipulator", "manipulator X|Y|Z|XY|YZ|ZX|centre DX DY [steps N] [shift] [ctrl] [alt]"},
  };
  return forms;
}

}  // namespace

std::vector<std::string> tokenize(const std::string& line, std::string* error) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    if (std::isspace(static_cast<unsigned char>(line[i]))) {
      ++i;
      continue;
    }
    if (line[i] == '#') break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '\\' && i < line.size()) {
          word += line[i++];
        } else if (c == '"') {
          closed = true;
          break;
        } else {
          word += c;
        }
      }
      if (!closed) {
        *error = "unterminated quote";
        return {};
      }
    } else {
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
        word += line[i++];
    }
    words.push_back(word);
  }
  return words;
}

std::uint8_t virtualKey(const std::string& name) {
  if (name.size() == 1) {
    char c = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<std::uint8_t>(c);
  }
  if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
    long long n;
    if (parseInt(name.substr(1), &n) && n >= 1 && n <= 12)
      return static_cast<std::uint8_t>(0x70 + n - 1);
  }
  static const std::map<std::string, std::uint8_t> named = {
      {"Backspace", 0x08}, {"Tab", 0x09},    {"Enter", 0x0D},    {"Escape", 0x1B},
      {"Space", 0x20},     {"Delete", 0x2E}, {"Home", 0x24},     {"PageUp", 0x21},
      {"PageDown", 0x22},  {"Left", 0x25},   {"Up", 0x26},       {"Right", 0x27},
      {"Down", 0x28},
  };
  auto it = named.find(name);
  return it == named.end() ? 0 : it->second;
}

void ScriptRunner::lines(const std::vector<std::string>& text) {
  for (const std::string& l : text) out_ << l << '\n';
  out_.flush();
}

std::string ScriptRunner::print(const std::vector<std::string>& w) {
  if (w.size() < 2) return usage("print");
  const std::string& what = w[1];
  if (what == "panel") {
    if (w.size() != 3) return usage("print");
    platform::omPropertyObj* panel = host_.panels().findPanel(w[2]);
    if (!panel) return "panel \"" + w[2] + "\" has not been shown";
    lines(host_.panels().describe(*panel));
    return {};
  }
  if (w.size() != 2) return usage("print");
  if (what == "camera") lines(host_.describeCamera());
  else if (what == "selection") lines(host_.describeSelection());
  else if (what == "scene") lines(host_.describeScene());
  else if (what == "frames") lines(host_.describeFrames());
  else if (what == "manipulator") {
    const ManipulatorCore* m = host_.mainView().shownManipulator();
    lines({m ? m->describe() : std::string("manipulator: none")});
  }
  else if (what == "menu") lines(host_.describeMenus());
  else if (what == "toolbars") lines(host_.frame().describeToolbars());
  else if (what == "accelerators") lines(host_.frame().describeAccelerators());
  else if (what == "history") lines(host_.describeHistory());
  else if (what == "preferences") lines(host_.describePreferences());
  else return "cannot print \"" + what + "\"; " + usage("print");
  return {};
}

std::string ScriptRunner::pointer(const std::vector<std::string>& w) {
  const std::string& verb = w[0];
  bool drag = verb == "drag", wheel = verb == "wheel";
  std::size_t numbers = drag ? 4 : 2;
  const std::size_t first = 2;  // verb, button or delta, then the coordinates
  if (w.size() < first + numbers) return usage(verb);
  std::int32_t button = 0;
  long long delta = 0;
  if (wheel) {
    if (!parseInt(w[1], &delta) || delta < -100000 || delta > 100000)
      return "wheel delta \"" + w[1] + "\" is not a whole number";
  } else if (!(button = parseButton(w[1]))) {
    return "unknown button \"" + w[1] + "\"; " + usage(verb);
  }
  double c[4];
  for (std::size_t i = 0; i < numbers; ++i)
    if (!parseFloat(w[first + i], &c[i])) return "\"" + w[first + i] + "\" is not a coordinate";
  std::size_t rest = first + numbers;
  long long steps = 8;
  if (drag && rest < w.size() && w[rest] == "steps") {
    if (rest + 1 >= w.size() || !parseInt(w[rest + 1], &steps) || steps < 1 || steps > 10000)
      return "steps must be a whole number from 1 to 10000";
    rest += 2;
  }
  Modifiers m;
  std::string bad;
  if (!parseModifiers(w, rest, &m, &bad)) return "unexpected \"" + bad + "\"; " + usage(verb);
  host_.setModifiers(m.shift, m.ctrl, m.alt);
  auto f = [](double v) { return static_cast<float>(v); };
  if (verb == "press") host_.mouseButton(button, true, f(c[0]), f(c[1]));
  else if (verb == "release") host_.mouseButton(button, false, f(c[0]), f(c[1]));
  else if (verb == "move") host_.mouseMove(f(c[0]), f(c[1]));
  else if (wheel) host_.mouseWheel(static_cast<std::int32_t>(delta), f(c[0]), f(c[1]));
  else {
    host_.mouseMove(f(c[0]), f(c[1]));
    host_.mouseButton(button, true, f(c[0]), f(c[1]));
    for (long long s = 1; s <= steps; ++s) {
      double t = static_cast<double>(s) / static_cast<double>(steps);
      host_.mouseMove(f(c[0] + (c[2] - c[0]) * t), f(c[1] + (c[3] - c[1]) * t));
    }
    host_.mouseButton(button, false, f(c[2]), f(c[3]));
    host_.setModifiers(false, false, false);
  }
  return {};
}

std::string ScriptRunner::manipulatorDrag(const std::vector<std::string>& w) {
  if (w.size() < 4) return usage("manipulator");
  ManipulatorCore* m = host_.mainView().shownManipulator();
  if (!m) return "no manipulator is shown (activate a translate, rotate or scale tool first)";
  const ManipulatorHandle handle = handleNamed(w[1].c_str());
  if (handle == ManipulatorHandle::None) return "no handle \"" + w[1] + "\"; " + usage("manipulator");
  double d[2];
  for (int i = 0; i < 2; ++i)
    if (!parseFloat(w[2 + i], &d[i])) return "\"" + w[2 + i] + "\" is not a distance in pixels";
  double x, y;
  if (!m->handlePixel(host_.views().active(), handle, &x, &y))
    return std::string("the ") + handleName(handle) + " handle cannot be grabbed in this view";
  // A drag as a user would make it, from the handle's pixel.
  auto text = [](double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.3f", v);
    return std::string(buf);
  };
  std::vector<std::string> drag = {"drag", "left", text(x), text(y), text(x + d[0]), text(y + d[1])};
  drag.insert(drag.end(), w.begin() + 4, w.end());
  return pointer(drag);
}

std::string ScriptRunner::runLine(const std::string& line) {
  std::string error;
  std::vector<std::string> w = tokenize(line, &error);
  if (!error.empty()) return error;
  if (w.empty()) return {};
  const bool expectRefusal = w[0] == "expect-refusal";
  if (expectRefusal) {
    w.erase(w.begin());
    if (w.empty()) return usage("expect-refusal");
  }
  CommandManager& commands = host_.commands();
  const std::uint64_t before = commands.refusals;
  refusal_.clear();
  error = runWords(w);
  // The line's changes are drawn once, whatever it asked for on the way (headless, only when
  // something reads them).
  host_.settle();
  if (!error.empty()) return error;
  if (refusal_.empty() && commands.refusals != before) refusal_ = commands.lastRefusal;
  if (!refusal_.empty() && !expectRefusal)
    return refusal_ + " (start the line with \"expect-refusal\" when that is expected)";
  if (refusal_.empty() && expectRefusal) return "expected a refusal, but the line's command ran";
  return {};
}

std::string ScriptRunner::help(const std::vector<std::string>& w) {
  if (w.size() > 2) return usage("help");
  if (w.size() == 2) {
    std::string form = usage(w[1]);
    if (form.empty()) return "no verb \"" + w[1] + "\"";
    out_ << form << '\n';
    return {};
  }
  for (const auto& [verb, form] : usages()) out_ << "  " << form << '\n';
  out_.flush();
  return {};
}

std::string ScriptRunner::runWords(const std::vector<std::string>& w) {
  const std::string& verb = w[0];
  auto arity = [&](std::size_t n) { return w.size() == n; };

  if (verb == "open") {
    if (!arity(2)) return usage(verb);
    return host_.open(w[1]);
  }
  if (verb == "layout") {
    if (!arity(2) || (w[1] != "single" && w[1] != "quad")) return usage(verb);
    host_.views().setLayout(w[1] == "quad");
    return {};
  }
  if (verb == "display") {
    long long n = -1;
    if (w.size() < 2 || w.size() > 3 || (w.size() == 3 && (!parseInt(w[2], &n) || n < 0)))
      return usage(verb);
    return host_.setDisplay(w[1], static_cast<int>(n));
  }
  if (verb == "view") {
    long long n;
    if (!arity(2) || !parseInt(w[1], &n)) return usage(verb);
    if (n < 0 || n >= host_.views().GetViewCount() || !host_.views().setActive(static_cast<int>(n)))
      return "no view " + w[1] + " in this layout (" +
             std::to_string(host_.views().GetViewCount()) + " views)";
    return {};
  }
  if (verb == "tool") {
    if (!arity(2)) return usage(verb);
    if (!host_.toolFactories().has(w[1])) return "no tool \"" + w[1] + "\"";
    // A tool that cannot start now refuses, as a command that cannot run does.
    if (!host_.tools().ActivateTool(w[1].c_str())) refusal_ = "tool \"" + w[1] + "\" cannot start now";
    return {};
  }
  if (verb == "command") {
    if (!arity(2)) return usage(verb);
    if (!host_.commandFactories().has(w[1])) return "no command \"" + w[1] + "\"";
    CommandManager& commands = host_.commands();
    omCommandData* data = commands.CreateCommandData(w[1].c_str());
    bool ran = commands.ExecuteCommand(w[1].c_str(), data);
    delete data;
    out_ << "command: " << w[1] << (ran ? " ran" : " did not run") << '\n';
    if (!ran) refusal_ = "command \"" + w[1] + "\" did not run";
    return {};
  }
  if (verb == "id") {
    long long id;
    if (w.size() < 2 || w.size() > 3 || !parseInt(w[1], &id) || id <= 0 || id > 0xFFFFFFFFll ||
        (w.size() == 3 && w[2] != "shift"))
      return usage(verb);
    if (!host_.routeCommand(static_cast<std::uint32_t>(id), w.size() == 3))
      return "nothing handles command ID " + w[1];
    return {};
  }
  if (verb == "key") {
    if (w.size() < 2) return usage(verb);
    std::uint8_t key = virtualKey(w[1]);
    if (!key) return "unknown key \"" + w[1] + "\"";
    Modifiers m;
    std::string bad;
    if (!parseModifiers(w, 2, &m, &bad)) return "unexpected \"" + bad + "\"; " + usage(verb);
    if (key == kFilterStepKey) {
      // Reaches the current tool as key code 4, down then up, with the modifiers held meanwhile.
      host_.setModifiers(m.shift, m.ctrl, m.alt);
      host_.setFilterStepKey(true);
      host_.setFilterStepKey(false);
      host_.setModifiers(false, false, false);
      return {};
    }
    std::uint32_t id = host_.frame().acceleratorFor(key, m.ctrl, m.shift, m.alt);
    if (!id) return "no accelerator on " + w[1];
    // An accelerator acts like the menu item it stands for.
    if (!host_.routeCommand(id, false))
      return "nothing handles command ID " + std::to_string(id) + " (key " + w[1] + ")";
    return {};
  }
  if (verb == "press" || verb == "move" || verb == "release" || verb == "drag" || verb == "wheel")
    return pointer(w);
  if (verb == "stroke") {
    // Pressed at the first point, moved through the others, released at the last.
    std::int32_t button = w.size() > 1 ? parseButton(w[1]) : 0;
    if (!button) return usage(verb);
    std::vector<float> xy;
    std::size_t i = 2;
    for (double v; i < w.size() && parseFloat(w[i], &v); ++i) xy.push_back(static_cast<float>(v));
    if (xy.size() < 4 || xy.size() % 2) return usage(verb);
    Modifiers m;
    std::string bad;
    if (!parseModifiers(w, i, &m, &bad)) return "unexpected \"" + bad + "\"; " + usage(verb);
    host_.setModifiers(m.shift, m.ctrl, m.alt);
    host_.mouseMove(xy[0], xy[1]);
    host_.mouseButton(button, true, xy[0], xy[1]);
    for (std::size_t k = 2; k < xy.size(); k += 2) host_.mouseMove(xy[k], xy[k + 1]);
    host_.mouseButton(button, false, xy[xy.size() - 2], xy.back());
    host_.setModifiers(false, false, false);
    return {};
  }
  if (verb == "invert") {
    if (!arity(2) || (w[1] != "on" && w[1] != "off")) return usage(verb);
    host_.setInvert(w[1] == "on");
    return {};
  }
  if (verb == "check") {
    if (w.size() < 2 || w[1] != "lasso") return usage(verb);
    std::size_t i = 2;
    const bool through = i < w.size() && w[i] == "through";
    std::vector<double> outline;
    for (i += through; i < w.size(); ++i) {
      double v;
      if (!parseFloat(w[i], &v)) return "\"" + w[i] + "\" is not a coordinate";
      outline.push_back(v);
    }
    if (outline.size() < 6 || outline.size() % 2) return usage(verb);
    return host_.checkLasso(outline, through);
  }
  if (verb == "select") {
    if (w.size() < 3) return usage(verb);
    ComponentKind kind;
    if (w[2] == "faces") kind = ComponentKind::Faces;
    else if (w[2] == "vertices") kind = ComponentKind::Vertices;
    else if (w[2] == "edges") kind = ComponentKind::Edges;
    else return "unknown component kind \"" + w[2] + "\"; " + usage(verb);
    std::vector<std::uint32_t> handles;
    for (std::size_t i = 3; i < w.size(); ++i) {
      long long h;
      if (!parseInt(w[i], &h) || h < 0 || h > 0xFFFFFFFFll) return "\"" + w[i] + "\" is not a handle";
      handles.push_back(static_cast<std::uint32_t>(h));
    }
    return host_.selectComponents(w[1], kind, handles);
  }
  if (verb == "curve" || verb == "spring") {
    if (w.size() < 8 || (w.size() - 2) % 3 != 0) return usage(verb);
    std::vector<Vec3> points;
    for (std::size_t i = 2; i + 2 < w.size(); i += 3) {
      double xyz[3];
      for (int k = 0; k < 3; ++k)
        if (!parseFloat(w[i + k], &xyz[k])) return "\"" + w[i + k] + "\" is not a number";
      points.push_back({xyz[0], xyz[1], xyz[2]});
    }
    return host_.addPolyline(verb == "curve" ? om::kEntityConnectedA : om::kEntityConnectedB,
                             w[1], std::move(points));
  }
  if (verb == "coordsys") {
    if (w.size() != 5 && w.size() != 9) return usage(verb);
    double v[7] = {0, 0, 0, 0, 0, 0, 1};
    for (std::size_t i = 2; i < w.size(); ++i)
      if (!parseFloat(w[i], &v[i - 2])) return "\"" + w[i] + "\" is not a number";
    return host_.addCoordSys(w[1], {v[0], v[1], v[2]}, v + 3);
  }
  if (verb == "group") {
    if (!arity(3) || (w[2] != "show" && w[2] != "hide")) return usage(verb);
    return host_.showGroup(w[1], w[2] == "show");
  }
  if (verb == "map") {
    if (!arity(4)) return usage(verb);
    const std::string axes = "xyz";
    const std::size_t axis = w[3].size() == 1 ? axes.find(w[3][0]) : std::string::npos;
    if (axis == std::string::npos) return usage(verb);
    return host_.addHeightMap(w[1], w[2], static_cast<int>(axis));
  }
  if (verb == "set") {
    if (!arity(4)) return usage(verb);
    platform::omPropertyObj* panel = host_.panels().findPanel(w[1]);
    if (!panel) return "panel \"" + w[1] + "\" has not been shown";
    return host_.panels().edit(*panel, w[2], w[3]);
  }
  if (verb == "apply") {
    if (!arity(2)) return usage(verb);
    platform::omPropertyObj* panel = host_.panels().findPanel(w[1]);
    if (!panel) return "panel \"" + w[1] + "\" has not been shown";
    return host_.panels().apply(*panel);
  }
  if (verb == "preference") {
    if (!arity(3)) return usage(verb);
    Preferences p = host_.preferences();
    if (std::string problem = setPreference(p, w[1], w[2]); !problem.empty()) return problem;
    return host_.setPreferences(p);
  }
  if (verb == "print") return print(w);
  if (verb == "manipulator") return manipulatorDrag(w);
  if (verb == "shot") {
    if (w.size() == 4 && w[2] == "dialog") {
      if (w[3] != "preferences" && w[3] != "shortcuts") return usage(verb);
      if (!shootDialog)
        return "there is no window to show the " + w[3] + " dialog in: Studio runs headless";
      return shootDialog(w[1], w[3]);
    }
    if (w.size() < 2 || w.size() > 3 || (w.size() == 3 && w[2] != "frame" && w[2] != "window"))
      return usage(verb);
    if (w.size() == 3 && w[2] == "window")
      return shootWindow ? shootWindow(w[1]) : "there is no window to shoot: Studio runs headless";
    return host_.shot(w[1], w.size() == 3);
  }
  if (verb == "save") {
    if (arity(3) && w[1] == "selection") return host_.saveSelection(w[2]);
    if (arity(1)) return host_.saveOwn();
    if (!arity(2)) return usage(verb);
    return host_.save(w[1]);
  }
  if (verb == "separate") return arity(1) ? host_.separateSelection() : usage(verb);
  if (verb == "filter") {
    if (!arity(3) || (w[1] != "object" && w[1] != "component")) return usage(verb);
    return host_.chooseFilter(w[1] == "object", w[2]);
  }
  if (verb == "mode") {
    if (!arity(2) || (w[1] != "object" && w[1] != "component")) return usage(verb);
    host_.mainView().SetObjectMode(w[1] == "object" ? 1 : 0);
    return {};
  }
  if (verb == "panel") {
    if (!arity(2)) return usage(verb);
    if (w[1] == "close") {
      host_.panels().closePanel();
      return {};
    }
    long long id = 0;
    if (!parseInt(w[1], &id)) {
      id = host_.frame().commandId(w[1]);
      if (!id) return "no command named \"" + w[1] + "\"";
    }
    if (id <= 0 || id > 0xFFFFFFFFll) return usage(verb);
    if (!host_.openToolbarPanel(static_cast<std::uint32_t>(id)))
      return "no toolbar button " + w[1] + " with a panel";
    return {};
  }
  if (verb == "help") return help(w);
  if (verb == "undo" || verb == "redo") {
    if (!arity(1)) return usage(verb);
    return verb == "undo" ? host_.undo() : host_.redo();
  }
  if (verb == "delete") return arity(1) ? host_.deleteSelection() : usage(verb);
  if ((verb == "hide" || verb == "show") && w.size() == 3 && w[1] == "object") {
    const std::uint32_t id = host_.objectId(w[2]);
    return id ? host_.showObject(id, verb == "show") : "no object \"" + w[2] + "\"";
  }
  if (verb == "hide") {
    if (!arity(2) || (w[1] != "selected" && w[1] != "unselected")) return usage(verb);
    return host_.hide(w[1] == "selected");
  }
  if (verb == "show") return arity(2) && w[1] == "all" ? host_.showAll() : usage(verb);
  if (verb == "pick") {
    std::vector<std::uint32_t> ids;
    for (std::size_t i = 1; i < w.size(); ++i) {
      const std::uint32_t id = host_.objectId(w[i]);
      if (!id) return "no object \"" + w[i] + "\"";
      ids.push_back(id);
    }
    return host_.selectObjects(ids);
  }
  if (verb == "rename") {
    if (!arity(3)) return usage(verb);
    const std::uint32_t id = host_.objectId(w[1]);
    return id ? host_.renameObject(id, w[2]) : "no object \"" + w[1] + "\"";
  }
  return "unknown verb \"" + verb + "\"";
}

namespace {

// The process's resident memory and its peak so far, in MB, from the kernel's status lines;
// zeros where there are none.
std::pair<double, double> residentMegabytes() {
  double now = 0, peak = 0;
  if (FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
      unsigned long kb;
      if (std::sscanf(line, "VmRSS: %lu kB", &kb) == 1) now = static_cast<double>(kb) / 1024;
      if (std::sscanf(line, "VmHWM: %lu kB", &kb) == 1) peak = static_cast<double>(kb) / 1024;
    }
    std::fclose(status);
  }
  return {now, peak};
}

}  // namespace

std::string escapeBytes(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  auto escape = [&](unsigned char c) { out += "\\x", out += kHex[c >> 4], out += kHex[c & 15]; };
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7f) {
      out += text[i++];
      continue;
    }
    // A whole UTF-8 sequence is kept; the bounds of its second byte rule out overlong forms,
    // surrogates and code points past U+10FFFF.
    std::size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    const unsigned char lo = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    const unsigned char hi = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    bool whole = n > 0 && i + n <= text.size();
    for (std::size_t k = 1; whole && k < n; ++k) {
      const auto b = static_cast<unsigned char>(text[i + k]);
      whole = k == 1 ? b >= lo && b <= hi : b >= 0x80 && b <= 0xBF;
    }
    if (whole) {
      out.append(text.substr(i, n));
      i += n;
    } else {
      escape(c);
      ++i;
    }
  }
  return out;
}

int ScriptRunner::runFile(const std::string& path, std::ostream& err) {
  if (path == "-") return run(std::cin, "stdin", err);
  std::error_code ec;
  // A directory opens as a stream that reads nothing: the script would "run" and succeed.
  if (std::filesystem::is_directory(path, ec)) {
    err << "error: " << escapeBytes(path) << ": is a directory\n";
    return 1;
  }
  std::ifstream in(path);
  if (!in) {
    err << "error: " << escapeBytes(path) << ": cannot be read\n";
    return 1;
  }
  const int status = run(in, path, err);
  if (status == 0 && in.bad()) {
    err << "error: " << escapeBytes(path) << ": cannot be read\n";
    return 1;
  }
  return status;
}

int ScriptRunner::run(std::istream& in, const std::string& name, std::ostream& err) {
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Editors on some systems open a UTF-8 file with a byte order mark.
    if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    const auto start = std::chrono::steady_clock::now();
    const StudioHost::DrawStats drawn = host_.drawStats();
    std::string error = runLine(line);
    if (times) {
      const double ms =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
      const auto [resident, peak] = residentMegabytes();
      char text[240];
      std::snprintf(text, sizeof text,
                    "time: %s:%d: %.1f ms, drawing %.1f ms (%llu draws), resident %.1f MB (peak "
                    "%.1f MB): ",
                    name.c_str(), number, ms, (host_.drawStats().seconds - drawn.seconds) * 1e3,
                    static_cast<unsigned long long>(host_.drawStats().draws - drawn.draws),
                    resident, peak);
      err << text << escapeBytes(line) << '\n';
    }
    if (!error.empty()) {
      err << "error: " << escapeBytes(name) << ":" << number << ": " << escapeBytes(error) << '\n';
      return 1;
    }
    // What an idle window does between two gestures, so that a script meets the enable states
    // a person would.
    host_.updateToolbars();
    if (afterLine) afterLine();
    if (host_.exitRequested()) break;
  }
  return 0;
}

}  // namespace tessel::studio

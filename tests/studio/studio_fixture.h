// A Studio host with a small offscreen view and a loaded module, whose echoed lines and printed
// output a test can read back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "studio/script/script_runner.h"
#include "studio/host/studio_host.h"
#include "tests/studio/mesh_fixtures.h"
#include "tests/temp_config.h"

namespace tessel::test {

class StudioFixture : public ::testing::Test {
 protected:
  void start(const char* modulePath, int width = 200, int height = 150) {
    std::string error;
    auto context = studio::OffscreenContext::create(width, height, &error);
    ASSERT_TRUE(context) << error;
    host = std::make_unique<studio::StudioHost>(
        [this](const std::string& line) { out << line << '\n'; }, std::move(context));
    ASSERT_EQ(host->loadModule(modulePath), "");
    runner = std::make_unique<studio::ScriptRunner>(*host, out);
  }
  // start(), then the unit square open, `tool` current when named, and the echoes so far dropped.
  void startOnSquare(const char* modulePath, const std::string& tool = "") {
    start(modulePath);
    ASSERT_EQ(openSquare(), "");
    if (!tool.empty()) {
      ASSERT_EQ(run("tool " + tool + "\n"), "");
    }
    take();
  }
  studio::Camera& camera() { return host->views().active().camera; }
  // The names of the selected objects, run together in selection order.
  std::string selected() {
    std::string names;
    for (std::uint32_t id : host->scene().selection()) names += host->scene().find(id)->name;
    return names;
  }
  void TearDown() override {
    runner.reset();
    host.reset();
  }

  // Writes `text` to `file` in the test's folder and opens it; "" on success.
  std::string open(const std::string& file, const std::string& text) {
    return run("open " + dir.write(file, text).string() + "\n");
  }
  // Opens a unit square of two triangles in z = 0 as object `name`, `x` along the x axis.
  std::string openSquare(const std::string& name = "quad", int x = 0) {
    std::string obj;
    for (auto [dx, y] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}})
      obj += "v " + std::to_string(x + dx) + " " + std::to_string(y) + " 0\n";
    return open(name + ".obj", obj + "f 1 2 3\nf 1 3 4\n");
  }
  // Runs the script; the error of the first failing line, "" when all ran.
  std::string run(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream err;
    runner->run(in, "test", err);
    return err.str();
  }
  // What was echoed and printed since the last call, line by line.
  std::vector<std::string> take() {
    std::vector<std::string> lines;
    std::istringstream in(out.str());
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    out.str("");
    return lines;
  }
  // Runs the script, which must run whole, then take().
  std::vector<std::string> output(const std::string& script) {
    EXPECT_EQ(run(script), "") << script;
    return take();
  }
  static bool has(const std::vector<std::string>& lines, const std::string& text) {
    for (const auto& l : lines)
      if (l.find(text) != std::string::npos) return true;
    return false;
  }
  // How many lines are exactly `text`.
  static int count(const std::vector<std::string>& lines, const std::string& text) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), text));
  }
  // The active view's pixels once what is waiting to be drawn is drawn.
  std::vector<std::uint8_t> pixels() {
    host->drawPending();
    return host->renderer().readPixels(host->views().active().rect);
  }
  // Whether one line is exactly `text`: for texts whose number format matters.
  static bool hasLine(const std::vector<std::string>& lines, const std::string& text) {
    return std::find(lines.begin(), lines.end(), text) != lines.end();
  }
  // printf into a string, to build expected texts.
  template <class... Args>
  static std::string format(const char* f, Args... args) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, f, args...);
    return buffer;
  }

  TempConfig config;
  TempDir dir;
  std::ostringstream out;
  std::unique_ptr<studio::StudioHost> host;
  std::unique_ptr<studio::ScriptRunner> runner;
};

}  // namespace tessel::test

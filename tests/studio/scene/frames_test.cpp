// Coordinate systems in Studio as a script drives them: a named reference turned 30 degrees
// about Z, the synchronize panel's "Box Reset", translate and synchronize of frames through the
// panels, and the frames printed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class StudioFrames : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH, 120, 90);
    ASSERT_EQ(run("coordsys \"Ref\" 5 0 0 0 0 0.25881904510252076 0.96592582628906829\n"), "");
    ASSERT_EQ(openSquare(), "");
    ASSERT_EQ(run("filter object \"Mesh\"\ncommand \"Select All\"\n"), "");
    take();
  }
  std::string frameOf(const std::string& name) {
    run("print frames\n");
    for (const std::string& l : take())
      if (l.rfind(name + ":", 0) == 0) return l;
    return "no frame for " + name;
  }
};

TEST_F(StudioFrames, BoxResetTranslateAndSynchronizeMoveTheFrameAsTheReferenceSays) {
  EXPECT_EQ(frameOf("Ref"),
            "Ref: origin (5.0000, 0.0000, 0.0000) orientation (0.0000, 0.0000, 0.2588, 0.9659)"
            " box (5.0000, 0.0000, 0.0000) - (5.0000, 0.0000, 0.0000)");
  ASSERT_EQ(run("panel 33839\nset \"Synchronize\" \"Box Reset\" 1\n"), "");
  EXPECT_EQ(frameOf("quad"),
            "quad: origin (0.5000, 0.5000, 0.0000) orientation (0.0000, 0.0000, 0.0000, 1.0000)"
            " box (0.0000, 0.0000, 0.0000) - (1.0000, 1.0000, 0.0000)");
  // Two units along the reference's X axis, the frame only.
  ASSERT_EQ(run("tool \"Base Translate\"\npanel 33837\n"
                "set \"Base Translate\" \"Ref Coord System\" \"Ref\"\n"
                "set \"Base Translate\" \"X\" 2\n"
                "set \"Base Translate\" \"Movement Type\" \"Relative\"\n"
                "set \"Base Translate\" \"Selection Type\" \"Coord Sys Only\"\n"
                "set \"Base Translate\" \"Apply\" 1\n"),
            "");
  EXPECT_EQ(frameOf("quad"),
            "quad: origin (2.2321, 1.5000, 0.0000) orientation (0.0000, 0.0000, 0.0000, 1.0000)"
            " box (0.0000, 0.0000, 0.0000) - (1.0000, 1.0000, 0.0000)");
  ASSERT_EQ(run("panel 33839\n"
                "set \"Synchronize\" \"Ref Coord System\" \"Ref\"\n"
                "set \"Synchronize\" \"SelectionType\" \"Coord Sys Only\"\n"
                "id 33839\n"),
            "");
  EXPECT_TRUE(has(take(), "Synchronized selected objects."));
  EXPECT_EQ(frameOf("quad"),
            "quad: origin (5.0000, 0.0000, 0.0000) orientation (0.0000, 0.0000, 0.2588, 0.9659)"
            " box (0.0000, 0.0000, 0.0000) - (1.0000, 1.0000, 0.0000)");
}

TEST_F(StudioFrames, TheGlobalCoordinateSystemNeverMovesAndBadFramesAreRefused) {
  EXPECT_NE(run("coordsys \"Bad\" 0 0 0 0 0 0 0\n"), "");
  EXPECT_NE(run("coordsys \"Bad\" 1 2\n"), "");
  // With the global system among the selection the translate tool does not start, and its
  // panel's fields stay disabled: nothing can be moved from there.
  ASSERT_EQ(run("filter object \"Coord Sys\"\ncommand \"Select All\"\n"
                "expect-refusal tool \"Base Translate\"\npanel 33837\n"),
            "");
  EXPECT_EQ(run("set \"Base Translate\" \"X\" 2\n"),
            "error: test:1: attribute \"X\" is disabled\n");
  EXPECT_EQ(run("set \"Base Translate\" \"Apply\" 1\n"),
            "error: test:1: attribute \"Apply\" is disabled\n");
  EXPECT_EQ(frameOf("Global"),
            "Global: origin (0.0000, 0.0000, 0.0000) orientation (0.0000, 0.0000, 0.0000, 1.0000)"
            " box (0.0000, 0.0000, 0.0000) - (0.0000, 0.0000, 0.0000)");
  EXPECT_EQ(frameOf("Ref"),
            "Ref: origin (5.0000, 0.0000, 0.0000) orientation (0.0000, 0.0000, 0.2588, 0.9659)"
            " box (5.0000, 0.0000, 0.0000) - (5.0000, 0.0000, 0.0000)");
}

}  // namespace
}  // namespace tessel::test

// "Select All", "Select None", "Select Inverse" and "Cycle Selection" through Studio.
#include <gtest/gtest.h>

#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

class SelectionCommands : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH, 120, 90);
    for (const char* name : {"a", "b", "c"}) ASSERT_EQ(openSquare(name), "");
    take();
  }
  // A refusal fails a script line unless the line expects it.
  std::string ran(const char* command) {
    const std::string error = run(std::string("command \"") + command + "\"\n");
    auto lines = take();
    if (error.empty() && has(lines, std::string("command: ") + command + " ran")) return "ran";
    EXPECT_NE(error.find("did not run (start the line with \"expect-refusal\""), std::string::npos)
        << error;
    EXPECT_EQ(run(std::string("expect-refusal command \"") + command + "\"\n"), "");
    take();
    return "refused";
  }
};

TEST_F(SelectionCommands, AllNoneAndCycle) {
  EXPECT_EQ(ran("Select None"), "refused") << "nothing to clear";
  EXPECT_EQ(ran("Cycle Selection"), "refused");
  EXPECT_EQ(run("command \"Select All\"\n"), "");
  EXPECT_TRUE(has(take(), "notify: 10"));
  EXPECT_EQ(selected(), "abc") << "the coordinate system is outside the Mesh filter";
  EXPECT_EQ(ran("Cycle Selection"), "ran");
  EXPECT_EQ(selected(), "bca");
  EXPECT_EQ(run("mode component\n"), "");
  EXPECT_EQ(ran("Cycle Selection"), "refused") << "only in object mode";
  EXPECT_EQ(run("mode object\n"), "");
  EXPECT_EQ(ran("Select None"), "ran");
  EXPECT_EQ(selected(), "");
  host->scene().select(host->scene().findByName("a")->id, true);
  EXPECT_EQ(ran("Cycle Selection"), "refused") << "one object has nothing to cycle through";
}

TEST_F(SelectionCommands, InverseWorksInsideObjectsAndDropsTheEmptied) {
  EXPECT_EQ(ran("Select Inverse"), "refused") << "not in object mode";
  EXPECT_EQ(run("command \"Select All\"\nmode component\nselect a faces 0\nselect b faces 0 1\n"),
            "");
  EXPECT_EQ(ran("Select Inverse"), "ran");
  EXPECT_EQ(selected(), "ac") << "b had every face selected: nothing is left of it";
  EXPECT_EQ(run("print selection\n"), "");
  auto lines = take();
  EXPECT_TRUE(has(lines, "a: vertices 0; faces 1 [1]"));
  EXPECT_TRUE(has(lines, "c: vertices 0; faces 2 [0 1]"));
  // With vertices shown, the vertex selections invert instead. The submenu keeps the selection
  // (the combo would clear it).
  EXPECT_EQ(run("id 33793\ncommand \"Select Inverse\"\nprint selection\n"), "");
  lines = take();
  EXPECT_TRUE(has(lines, "a: vertices 4 [0 1 2 3]; faces 1 [1]"));
}

}  // namespace
}  // namespace tessel::test

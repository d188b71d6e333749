// The object list's rows as the host gives them (grouped, counted, the same text `print scene`
// prints), and what a person does to them through the host: select, show and hide, rename, each
// one step of the history, with the refusals a person sees.
#include <gtest/gtest.h>

#include "studio/scene/object_rows.h"
#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

using studio::ObjectGroup;
using studio::ObjectRow;

class ObjectList : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH);
    // A square (4 boundary edges) beside a triangle whose corners lie on a line.
    ASSERT_EQ(open("part.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 2 0 0\nv 3 0 0\nv 4 0 0\n"
                               "f 1 2 3\nf 1 3 4\nf 5 6 7\n"),
              "");
    take();
  }
  // One entity of every other kind.
  void addTheRest() {
    ASSERT_EQ(run("open " + dir.write("cloud.obj", "v 0 0 0\nv 1 0 0\nv 0 0 1\n").string() +
                  "\ncurve c 0 0 0 1 0 0\nspring s 0 0 0 0 1 0\ncoordsys CS 0 0 0\nid 33824\n"),
              "");
    take();
  }
  const ObjectRow& row(const std::string& name) {
    rows = host->objectRows();
    for (const ObjectRow& r : rows)
      if (r.name == name) return r;
    ADD_FAILURE() << "no row " << name;
    return rows.front();
  }
  std::uint32_t id(const std::string& name) { return host->objectId(name); }
  std::string lastStep() {
    return host->history().nextUndo() ? host->history().nextUndo()->name : "";
  }
  std::vector<ObjectRow> rows;
};

TEST_F(ObjectList, RowsAreGroupedCountedAndPrintedFromOneSource) {
  // The counts follow the faces: deleting the flat triangle takes its count with it.
  ASSERT_EQ(run("mode component\nfilter component \"Faces\"\nselect part faces 2\ndelete\n"), "");
  EXPECT_EQ(row("part").counts->faces, 2u);
  EXPECT_EQ(row("part").counts->degenerateFaces, 0u);
  ASSERT_EQ(run("undo\nmode object\n"), "");
  EXPECT_EQ(row("part").counts->degenerateFaces, 1u);

  addTheRest();
  rows = host->objectRows();
  std::vector<std::pair<ObjectGroup, std::string>> seen;
  for (const ObjectRow& r : rows) seen.push_back({r.group, r.name});
  const std::string light = host->scene().entities().back()->name;
  EXPECT_EQ(seen, (std::vector<std::pair<ObjectGroup, std::string>>{
                      {ObjectGroup::Meshes, "part"},
                      {ObjectGroup::PointClouds, "cloud"},
                      {ObjectGroup::Curves, "c"},
                      {ObjectGroup::Springs, "s"},
                      {ObjectGroup::Lights, light},
                      {ObjectGroup::CoordinateSystems, "Global"},
                      {ObjectGroup::CoordinateSystems, "CS"}}));
  const studio::MeshCounts part = *row("part").counts;
  EXPECT_EQ(part.vertices, 7u);
  EXPECT_EQ(part.faces, 3u);
  EXPECT_EQ(part.edges, 8u);
  EXPECT_EQ(part.boundaryEdges, 7u);
  EXPECT_EQ(part.nonManifoldEdges, 0u);
  EXPECT_EQ(part.degenerateFaces, 1u);
  EXPECT_EQ(row("cloud").counts->vertices, 3u);
  EXPECT_FALSE(row("c").counts);
  EXPECT_FALSE(row("CS").showable) << "the module shows and hides coordinate systems";

  ASSERT_EQ(run("select part faces 1 2\nselect part vertices 0\n"), "");
  EXPECT_EQ(row("part").counts->selectedFaces, 0u) << "components count in component mode";
  ASSERT_EQ(run("mode component\n"), "");
  EXPECT_EQ(row("part").counts->selectedFaces, 2u);
  EXPECT_EQ(row("part").counts->selectedVertices, 1u);
  EXPECT_EQ(studio::selectedTotals(host->objectRows()).selectedFaces, 2u);
  // `print scene` prints the rows the list shows, line for line.
  const std::vector<std::string> printed = output("print scene\n");
  rows = host->objectRows();
  for (const ObjectRow& r : rows) EXPECT_TRUE(hasLine(printed, "  " + describeRow(r))) << r.name;
  EXPECT_TRUE(has(printed, "part (mesh) 7 vertices 3 faces 8 edges (7 boundary, 0 non-manifold, "
                           "1 degenerate face); selected 2 faces, 1 vertices, 0 edges"));

}

TEST_F(ObjectList, SelectingShowingAndRenamingAreStepsThatUndo) {
  addTheRest();
  // Selected in the order given; the last is active.
  ASSERT_EQ(host->selectObjects({id("s"), id("part")}), "");
  EXPECT_EQ(host->scene().selection(), (std::vector<std::uint32_t>{id("s"), id("part")}));
  EXPECT_TRUE(row("part").active);
  EXPECT_FALSE(row("s").active);
  EXPECT_EQ(lastStep(), "Select 2 Objects");
  EXPECT_TRUE(has(take(), "notify: 10")) << "the module hears of it as of a pick";
  const std::size_t steps = host->history().size();
  ASSERT_EQ(host->selectObjects({id("s"), id("part")}), "");
  EXPECT_EQ(host->history().size(), steps) << "the same selection again is no step";

  // Hiding a selected object deselects it; the step undoes both.
  ASSERT_EQ(host->showObject(id("part"), false), "");
  EXPECT_FALSE(row("part").visible);
  EXPECT_EQ(host->scene().selection(), (std::vector<std::uint32_t>{id("s")}));
  EXPECT_EQ(lastStep(), "Hide \"part\"");
  EXPECT_EQ(host->selectObjects({id("part"), id("c")}),
            "hidden objects are not selected (show them first): \"part\"");
  EXPECT_EQ(host->scene().selection(), (std::vector<std::uint32_t>{id("c")}));
  ASSERT_EQ(run("undo\nundo\n"), "");
  EXPECT_TRUE(row("part").visible);
  EXPECT_EQ(host->scene().selection(), (std::vector<std::uint32_t>{id("s"), id("part")}));
  EXPECT_NE(host->showObject(id("CS"), false), "");
  EXPECT_TRUE(host->scene().findByName("CS")->visible);

  // Renames: trimmed, refused where the name would not name one object, undone by name.
  const std::uint32_t curve = id("c");
  EXPECT_EQ(host->renameObject(curve, "  rail  "), "");
  EXPECT_EQ(host->scene().find(curve)->name, "rail");
  EXPECT_EQ(lastStep(), "Rename \"c\"");
  EXPECT_EQ(host->renameObject(curve, "part"), "\"part\" is the name of another object");
  EXPECT_EQ(host->renameObject(curve, "   "), "a name cannot be empty");
  EXPECT_EQ(host->renameObject(curve, "a\nb"), "a name cannot hold a control character");
  EXPECT_EQ(host->renameObject(id("Global"), "World"),
            "the global coordinate system keeps its name");
  EXPECT_EQ(host->scene().find(curve)->name, "rail");
  ASSERT_EQ(run("undo\n"), "");
  EXPECT_EQ(host->scene().find(curve)->name, "c");

  // The script verbs reach the same functions by name.
  ASSERT_EQ(run("pick part c\nrename c \"rail 2\"\nhide object part\n"), "");
  EXPECT_EQ(host->scene().selection(), (std::vector<std::uint32_t>{curve}));
  EXPECT_EQ(host->scene().find(curve)->name, "rail 2");
  EXPECT_FALSE(row("part").visible);
  EXPECT_EQ(run("show object part\npick\n"), "");
  EXPECT_TRUE(host->scene().selection().empty());
  EXPECT_EQ(run("pick nobody\n"), "error: test:1: no object \"nobody\"\n");
}

}  // namespace
}  // namespace tessel::test

// Undo and redo through Studio as a user drives it: each kind of step (a box drawn through the
// view, a flood, a numeric translate, a light created and deleted) undone and redone with the
// printed selection, frames and scene compared before and after; what is not a step; a waiting
// undo; the history's budget.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <sstream>

#include "host/om_codes.h"
#include "studio/edit/delete_faces.h"
#include "studio/edit/history.h"
#include "studio/scene/mesh_io.h"
#include "tests/studio/studio_fixture.h"

namespace tessel::test {
namespace {

// An n by n grid of squares in z = 0, two triangles each, over [0, 1] squared.
std::string gridObj(int n) {
  std::ostringstream obj;
  for (int j = 0; j <= n; ++j)
    for (int i = 0; i <= n; ++i) obj << "v " << double(i) / n << ' ' << double(j) / n << " 0\n";
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) {
      const int a = j * (n + 1) + i + 1, b = a + 1, c = a + n + 1, d = c + 1;
      obj << "f " << a << ' ' << b << ' ' << d << "\nf " << a << ' ' << d << ' ' << c << '\n';
    }
  return obj.str();
}

class Undo : public StudioFixture {
 protected:
  void SetUp() override {
    start(TESSEL_MODULE_PATH, 200, 150);
    ASSERT_EQ(open("grid.obj", gridObj(20)), "");
    host->views().active().camera = studio::standardCamera(studio::ViewKind::Front);
    output("command \"View All\"\n");
  }
  // What the printed reports say of the scene, without the echoes of the run.
  std::vector<std::string> state() {
    EXPECT_EQ(run("print selection\nprint frames\nprint scene\n"), "");
    std::vector<std::string> kept;
    for (const std::string& l : take())
      if (!l.rfind("selection:", 0) || !l.rfind("scene:", 0) || !l.rfind("  ", 0) ||
          l.find(": origin (") != std::string::npos)
        kept.push_back(l);
    return kept;
  }
  // Runs `script` as one step; undo and redo give the states before and after it exactly.
  void roundTrip(const std::string& script, const std::string& stepName) {
    const std::vector<std::string> before = state();
    const std::size_t steps = host->history().size();
    ASSERT_EQ(run(script), "");
    const std::vector<std::string> after = state();
    ASSERT_NE(before, after) << script;
    ASSERT_NE(host->history().nextUndo(), nullptr);
    EXPECT_EQ(host->history().nextUndo()->name, stepName);
    EXPECT_EQ(host->history().size(), steps + 1) << "one step for " << script;
    ASSERT_EQ(run("undo\n"), "");
    EXPECT_EQ(state(), before) << "undo of " << stepName;
    ASSERT_EQ(run("redo\n"), "");
    EXPECT_EQ(state(), after) << "redo of " << stepName;
  }
};

TEST_F(Undo, EachKindOfStepUndoesAndRedoesExactly) {
  ASSERT_EQ(run("mode component\nfilter object \"Mesh\"\nfilter component \"Faces\"\n"), "");
  roundTrip("tool \"Component Select\"\ndrag left 40 30 150 110\n", "Component Select");
  roundTrip("select \"grid\" faces 410\n", "Select grid");
  roundTrip("panel 34025\nset \"Flood Select\" \"Fill All\" false\n"
            "set \"Flood Select\" \"Fill Range\" 10\napply \"Flood Select\"\n",
            "Flood Select");
  roundTrip("set \"Flood Select\" \"Fill All\" true\napply \"Flood Select\"\n", "Flood Select");
  // Panels show and hide frames as they open and close: not edits, so outside the compared runs.
  ASSERT_EQ(run("mode object\ncommand \"Select All\"\ntool \"Base Translate\"\npanel 33837\n"), "");
  roundTrip("set \"Base Translate\" \"Ref Coord System\" \"Global\"\n"
            "set \"Base Translate\" \"Movement Type\" \"Relative\"\n"
            "set \"Base Translate\" \"Selection Type\" \"Object Only\"\n"
            "set \"Base Translate\" \"X\" 0.3\nset \"Base Translate\" \"Apply\" 1\n",
            "Base Translate");
  ASSERT_EQ(run("panel close\n"), "");
  roundTrip("id 33824\n", "Create Directional Lights");
  ASSERT_EQ(run("filter object \"Lights\"\ncommand \"Select All\"\n"), "");
  roundTrip("command \"Light Delete\"\n", "Light Delete");
  // Back through every step to the grid as loaded, and forward again.
  const std::vector<std::string> last = state();
  while (host->history().nextUndo()) ASSERT_EQ(run("undo\n"), "");
  EXPECT_EQ(run("undo\n"), "error: test:1: nothing to undo\n");
  EXPECT_EQ(host->scene().entities().size(), 1u) << "the opened grid went with its step";
  while (host->history().nextRedo()) ASSERT_EQ(run("redo\n"), "");
  EXPECT_EQ(run("redo\n"), "error: test:1: nothing to redo\n");
  EXPECT_EQ(state(), last);
}

TEST_F(Undo, CameraMovesAndUnchangedGesturesAreNoSteps) {
  const std::size_t steps = host->history().size();
  ASSERT_EQ(run("tool Tumble\ndrag left 100 70 140 80\nwheel 120 100 70\n"
                "tool \"Object Select\"\ndrag left 0 0 5 5\n"),
            "");
  EXPECT_EQ(host->history().size(), steps);
  ASSERT_EQ(run("command \"Select All\"\ncommand \"Select All\"\n"), "");
  EXPECT_EQ(host->history().size(), steps + 1) << "selecting what is selected changes nothing";
}

TEST_F(Undo, UndoDuringAGestureWaitsForItsEnd) {
  ASSERT_EQ(run("mode component\ntool \"Component Select\"\nselect \"grid\" faces 3\n"), "");
  const std::vector<std::string> before = state();
  ASSERT_EQ(run("press left 40 30\nmove left 100 80\nundo\nid 57643\n"), "");
  EXPECT_TRUE(has(take(), "undo: waits for the gesture in progress to end"));
  EXPECT_EQ(host->history().nextRedo(), nullptr) << "nothing undone yet";
  ASSERT_EQ(run("move left 150 110\nrelease left 150 110\n"), "");
  // The gesture became a step, then both undos ran: the box, then the pick before it.
  EXPECT_NE(state(), before);
  ASSERT_NE(host->history().nextRedo(), nullptr);
  EXPECT_EQ(host->history().nextRedo()->name, "Select grid");
  EXPECT_EQ(run("redo\n"), "");
  EXPECT_EQ(state(), before);
}

TEST_F(Undo, EditMenuNamesTheStepsAndKeysReachThem) {
  ASSERT_EQ(run("mode object\ncommand \"Select All\"\n"), "");
  std::vector<std::string> menu;
  menu = output("print menu\n");
  EXPECT_TRUE(has(menu, "&Undo \"Select All\"  [57643]"));
  EXPECT_TRUE(has(menu, "&Redo  [57644] disabled"));
  menu = output("key Z ctrl\nprint menu\n");
  EXPECT_TRUE(has(menu, "&Redo \"Select All\"  [57644]"));
  EXPECT_EQ(host->scene().selection().size(), 0u);
  ASSERT_EQ(run("key Y ctrl\n"), "");
  EXPECT_EQ(host->scene().selection().size(), 1u);
  ASSERT_EQ(run("key Z ctrl shift\n"), "");  // nothing to redo: said, not an error
  EXPECT_TRUE(has(take(), "nothing to redo"));
}

TEST_F(Undo, BoxSelectedFacesDeletedThenUndoneGiveTheSameFileByteForByte) {
  const std::string saved = (dir.path / "before.ply").string();
  ASSERT_EQ(run("mode component\nfilter component \"Faces\"\ntool \"Component Select\"\n"
                "drag left 60 40 140 100\nsave " + saved + "\n"),
            "");
  studio::Entity& grid = *host->scene().findByName("grid");
  const std::size_t selected = flagged(grid.mesh->faceFlags).size();
  ASSERT_GT(selected, 20u);
  ASSERT_LT(selected, 800u);
  const std::vector<std::string> before = state();

  ASSERT_EQ(run("delete\n"), "");
  EXPECT_EQ(grid.mesh->faceCount(), 800u - selected);
  EXPECT_EQ(grid.mesh->vertexCount(), 441u) << "vertices stay until the mesh is written";
  EXPECT_EQ(host->history().nextUndo()->name, "Delete");
  const std::vector<std::string> deleted = state();
  const std::string cut = (dir.path / "cut.ply").string();
  ASSERT_EQ(run("save " + cut + "\nopen " + cut + "\n"), "");
  const studio::Entity& reread = *host->scene().entities().back();
  EXPECT_EQ(reread.mesh->faceCount(), 800u - selected);
  EXPECT_LT(reread.mesh->vertexCount(), 441u) << "the vertices of no face are not written";
  ASSERT_EQ(run("undo\n"), "");  // the open
  ASSERT_EQ(run("undo\n"), "");  // the delete
  EXPECT_EQ(state(), before);
  const std::string again = (dir.path / "again.ply").string();
  ASSERT_EQ(run("save " + again + "\n"), "");
  EXPECT_EQ(readFile(again), readFile(saved));
  ASSERT_EQ(run("redo\n"), "");
  EXPECT_EQ(state(), deleted);
  EXPECT_EQ(grid.mesh->faceCount(), 800u - selected);
  EXPECT_EQ(run("select \"grid\" faces\ndelete\n"),
            "error: test:2: nothing to delete: no face or point is selected\n");
}

// Each face as its three corners where a save writes them, sorted: the same faces in any order
// and numbering.
std::vector<std::array<float, 9>> placedFaces(const studio::Entity& e) {
  std::vector<std::array<float, 9>> out;
  const studio::Mesh& m = *e.mesh;
  std::vector<float> scratch;
  const float* p = studio::worldPositions(e.placement, m.positions.data(), m.vertexCount(), scratch);
  for (std::uint32_t f = 0; f < m.faceCount(); ++f) {
    std::array<float, 9> corners;
    for (int k = 0; k < 9; ++k) corners[k] = p[3 * m.faces[3 * f + k / 3] + k % 3];
    out.push_back(corners);
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST_F(Undo, SeparatedFacesAndTheRestAreTheOriginalAndUndoPutsThemBack) {
  // Moved first: the part has to stand where its faces stood.
  ASSERT_EQ(run("mode object\ncommand \"Select All\"\ntool \"Base Translate\"\npanel 33837\n"
                "set \"Base Translate\" \"Movement Type\" \"Relative\"\n"
                "set \"Base Translate\" \"X\" 0.3\nset \"Base Translate\" \"Apply\" 1\n"
                "panel close\nmode component\nfilter component \"Faces\"\n"
                "tool \"Component Select\"\ndrag left 60 40 140 100\n"),
            "");
  studio::Entity& grid = *host->scene().findByName("grid");
  ASSERT_FALSE(grid.placement.isIdentity());
  const auto original = placedFaces(grid);
  const std::size_t selected = studio::edit::facesToDelete(*grid.mesh, om::kMaskFaces).size();
  ASSERT_GT(selected, 20u);
  const std::string saved = (dir.path / "before.ply").string();
  const std::string selection = (dir.path / "selection.ply").string();
  ASSERT_EQ(run("save " + saved + "\nsave selection " + selection + "\n"), "");
  const std::vector<std::string> before = state();

  ASSERT_EQ(run("separate\n"), "");
  EXPECT_TRUE(has(take(), "separated: " + std::to_string(selected) + " faces of grid as grid part"));
  studio::Entity* part = host->scene().findByName("grid part");
  ASSERT_TRUE(part);
  EXPECT_EQ(grid.mesh->faceCount(), 800u - selected);
  EXPECT_EQ(part->mesh->faceCount(), selected);
  EXPECT_LT(part->mesh->vertexCount(), 441u) << "only the vertices its faces use";
  auto together = placedFaces(grid), parted = placedFaces(*part);
  together.insert(together.end(), parted.begin(), parted.end());
  std::sort(together.begin(), together.end());
  EXPECT_EQ(together, original);
  // Written in place, the selection is the part, where the part stands.
  ASSERT_EQ(run("open " + selection + "\n"), "");
  EXPECT_EQ(placedFaces(*host->scene().entities().back()), parted);
  ASSERT_EQ(run("undo\n"), "");
  EXPECT_EQ(host->history().nextUndo()->name, "Separate Selection");
  const std::vector<std::string> separated = state();
  const std::vector<float> partPositions = part->mesh->positions;
  const std::vector<std::uint32_t> partFaces = part->mesh->faces;
  const std::string rest = (dir.path / "rest.ply").string();
  ASSERT_EQ(run("save " + rest + "\n"), "");

  ASSERT_EQ(run("undo\n"), "");
  EXPECT_EQ(state(), before);
  EXPECT_FALSE(host->scene().findByName("grid part"));
  const std::string again = (dir.path / "again.ply").string();
  ASSERT_EQ(run("save " + again + "\n"), "");
  EXPECT_EQ(readFile(again), readFile(saved));

  ASSERT_EQ(run("redo\n"), "");
  EXPECT_EQ(state(), separated);
  ASSERT_EQ(run("save " + again + "\n"), "");
  EXPECT_EQ(readFile(again), readFile(rest));
  part = host->scene().findByName("grid part");
  ASSERT_TRUE(part);
  EXPECT_EQ(part->mesh->positions, partPositions);
  EXPECT_EQ(part->mesh->faces, partFaces);
  EXPECT_EQ(part->placement.forward(), grid.placement.forward());
  EXPECT_EQ(run("separate\n"), "error: test:1: nothing to separate: no face is selected\n");
}

TEST_F(Undo, SaveSelectionWritesTheSelectedFacesOfOneMeshAndNamesIt) {
  ASSERT_EQ(run("open " + dir.write("other.obj", gridObj(2)).string() + "\n"
                "mode component\nfilter component \"Faces\"\nselect \"grid\" faces 4 5 401\n"
                "select \"other\" faces 0 1 5\n"),
            "");
  const std::size_t steps = host->history().size();
  const std::string file = (dir.path / "selection.obj").string();
  ASSERT_EQ(run("save selection " + file + "\n"), "");
  EXPECT_TRUE(has(take(), "saved selection: 3 faces of other to " + file +
                              " (not written: the selected faces of grid)"));
  EXPECT_EQ(host->history().size(), steps) << "saving is no step";
  const studio::Mesh& other = *host->scene().findByName("other")->mesh;
  ASSERT_EQ(run("open " + file + "\n"), "");
  const studio::Entity& written = *host->scene().entities().back();
  EXPECT_EQ(written.mesh->vertexCount(), 6u) << "faces 0 and 1 share two corners, 1 and 5 one";
  std::vector<std::array<float, 9>> expected;
  for (std::uint32_t f : {0u, 1u, 5u}) {
    std::array<float, 9> corners;
    for (int k = 0; k < 3; ++k)
      for (int c = 0; c < 3; ++c)
        corners[3 * k + c] = other.positions[3 * other.faces[3 * f + k] + c];
    expected.push_back(corners);
  }
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(placedFaces(written), expected);
  // Under the vertices filter, the faces using the selected vertex; the active mesh first.
  ASSERT_EQ(run("filter component \"Vertices\"\nselect \"other\" vertices 0\n"
                "save selection " + file + "\n"),
            "");
  EXPECT_TRUE(has(take(), "saved selection: 2 faces of other"));
  ASSERT_EQ(run("select \"other\" vertices\n"), "");
  EXPECT_EQ(run("save selection " + file + "\n"),
            "error: test:1: " + file + ": nothing to save: no face is selected\n");
}

TEST_F(Undo, DeleteFollowsTheComponentFilter) {
  ASSERT_EQ(run("mode component\nfilter component \"Vertices\"\nselect \"grid\" vertices 0\n"
                "delete\n"),
            "");
  EXPECT_EQ(host->scene().findByName("grid")->mesh->faceCount(), 798u)
      << "the corner vertex is in two faces";
  ASSERT_EQ(run("filter component \"Holes\"\n"), "");
  EXPECT_EQ(run("delete\n"), "error: test:1: nothing to delete: holes are deleted by deleting faces\n");
}

// A point cloud's points and a mesh's maps are deleted as one step each, and come back whole.
TEST_F(Undo, DeletedPointsAndMapsComeBack) {
  std::string ply = "ply\nformat ascii 1.0\nelement vertex 6\nproperty float x\n"
                    "property float y\nproperty float z\nend_header\n";
  for (int i = 0; i < 6; ++i) ply += std::to_string(i) + " 0 0\n";
  ASSERT_EQ(open("cloud.ply", ply), "");
  ASSERT_EQ(run("map \"grid\" \"height\" z\nmap \"grid\" \"across\" x\n"), "");
  ASSERT_EQ(run("mode component\nfilter component \"Vertices\"\n"), "");
  const std::vector<std::string> before = state();
  EXPECT_TRUE(has(output("select \"cloud\" vertices 1 4\ndelete\n"), "deleted: 2 points of cloud"));
  EXPECT_TRUE(has(state(), "  cloud: vertices 0; faces 0; edges 0")) << "deleted points are not selected";
  const std::string saved = (dir.path / "fewer.ply").string();
  ASSERT_EQ(run("save " + saved + "\n"), "");  // the selected object
  EXPECT_EQ(studio::loadMeshFile(saved).mesh.vertexCount(), 4u);
  const std::uint32_t cloud = host->scene().findByName("cloud")->id;
  EXPECT_FALSE(host->history().unsaved(cloud));
  ASSERT_EQ(run("undo\nundo\n"), "");
  EXPECT_EQ(state(), before) << "the points are back, unselected as before";
  EXPECT_TRUE(host->history().unsaved(cloud)) << "the file lacks the points brought back";
  ASSERT_EQ(run("select \"grid\" faces 0\nmode object\ncommand \"Current Map Delete\"\n"), "");
  const studio::Entity& grid = *host->scene().findByName("grid");
  ASSERT_EQ(grid.maps.size(), 1u);
  EXPECT_EQ(grid.maps[0].name, "height");
  EXPECT_EQ(host->history().nextUndo()->name, "Current Map Delete");
  ASSERT_EQ(run("undo\nundo\nmode component\n"), "");
  EXPECT_EQ(state(), before);
  EXPECT_EQ(grid.maps[1].name, "across");
  ASSERT_EQ(run("redo\nredo\n"), "");
  EXPECT_EQ(grid.maps.size(), 1u);
}

TEST_F(Undo, ObjectsAndComponentsHideAndShowAllRoundTrips) {
  ASSERT_EQ(run("curve \"c\" 0 0 0 1 1 1\nmode object\ncommand \"Select All\"\n"), "");
  const std::vector<std::string> shown = state();
  ASSERT_EQ(run("hide selected\n"), "");
  EXPECT_FALSE(host->scene().findByName("grid")->visible);
  EXPECT_TRUE(host->scene().selection().empty()) << "hidden objects are not selected";
  ASSERT_EQ(run("show all\nundo\nundo\n"), "");
  EXPECT_EQ(state(), shown);

  // A coordinate system's own visibility is its panels' to keep, so its group brings it back.
  ASSERT_EQ(run("id 33835\n"), "");  // Create Coord Sys: a member of the group
  const studio::Entity& cs = *host->scene().entities().back();
  ASSERT_EQ(cs.type, om::kEntityCoordSys);
  const std::vector<std::string> withFrame = state();
  ASSERT_EQ(run("group coordsys hide\n"), "");
  EXPECT_FALSE(cs.visible);
  ASSERT_EQ(run("undo\n"), "");
  EXPECT_TRUE(cs.visible);
  EXPECT_EQ(state(), withFrame);
  ASSERT_EQ(run("redo\n"), "");
  EXPECT_FALSE(cs.visible);

  ASSERT_EQ(run("mode component\nfilter component \"Faces\"\nselect \"grid\" faces 5 6\n"
                "hide unselected\n"),
            "");
  const studio::Mesh& m = *host->scene().findByName("grid")->mesh;
  EXPECT_EQ(flagged(m.faceFlags, studio::kHidden).size(), 798u);
  ASSERT_EQ(run("hide selected\n"), "");
  EXPECT_EQ(m.faceFlags[5], studio::kHidden) << "hiding deselects";
  EXPECT_EQ(run("hide selected\n"), "error: test:1: Hide Selected: nothing to hide\n");
  ASSERT_EQ(run("key H alt\n"), "");  // Show All
  for (std::uint8_t f : m.faceFlags) ASSERT_EQ(f & studio::kHidden, 0);
  ASSERT_EQ(run("undo\nundo\n"), "");
  EXPECT_EQ(m.faceFlags[5], studio::kSelected);
}

// A change of a given size, counting its undos, changing the file of entity `file` (0: none).
struct Sized final : studio::edit::Change {
  Sized(std::size_t n, std::uint32_t f) : size(n), file(f) {}
  void undo(studio::Scene&) override { ++undone; }
  void redo(studio::Scene&) override { --undone; }
  std::size_t bytes() const override { return size; }
  bool changesFileOf(std::uint32_t id) const override { return id == file; }
  std::size_t size;
  std::uint32_t file;
  int undone = 0;
};

studio::edit::Step sized(const std::string& name, std::size_t bytes, std::uint32_t file = 0) {
  studio::edit::Step s;
  s.name = name;
  s.changes.push_back(std::make_unique<Sized>(bytes, file));
  return s;
}

// Entities 1 and 2 have files; 3's is never touched; 9 was never saved.
TEST(History, SavedMarkersFollowUndoRedoAndTheStepsThatGo) {
  studio::Scene scene;
  studio::edit::History h(100000);
  for (std::uint32_t id : {1u, 2u, 3u}) h.markSaved(id);
  EXPECT_TRUE(h.unsaved(9));
  h.push(sized("select", 10));
  h.push(sized("move 2", 10, 2));
  EXPECT_FALSE(h.unsaved(1)) << "a selection is not in the file";
  EXPECT_TRUE(h.unsaved(2));
  h.push(sized("delete from 1", 10, 1));
  h.markSaved(1);
  h.undo(scene);
  EXPECT_TRUE(h.unsaved(1)) << "the file holds the deletion, the scene no longer";
  h.undo(scene);
  EXPECT_FALSE(h.unsaved(2)) << "undone back to where 2 was saved";
  h.redo(scene);
  h.redo(scene);
  EXPECT_FALSE(h.unsaved(1));
  // Back before the move, and a new step: the deletion 1 was saved with can never come back,
  // while 3's marker moves across steps that left its file alone.
  h.markSaved(3);
  h.undo(scene);
  h.undo(scene);
  h.push(sized("select again", 10));
  EXPECT_TRUE(h.unsaved(1));
  EXPECT_FALSE(h.unsaved(3));
  EXPECT_FALSE(h.unsaved(2));
  while (h.nextUndo()) h.undo(scene);
  EXPECT_TRUE(h.unsaved(1)) << "unreachable stays unsaved until saved again";
  // The oldest steps go for the budget: a marker on the state before them stays good across a
  // step that left the file alone, and is lost with one that changed it.
  studio::edit::History small(10000);
  small.markSaved(1);
  small.markSaved(2);
  small.push(sized("a", 3000, 2));
  for (const char* n : {"b", "c", "d"}) small.push(sized(n, 3000));
  ASSERT_EQ(small.size(), 3u);
  small.markSaved(1);
  small.push(sized("e", 3000, 1));
  EXPECT_TRUE(small.unsaved(1));
  small.undo(scene);
  EXPECT_FALSE(small.unsaved(1));
  while (small.nextUndo()) small.undo(scene);
  EXPECT_FALSE(small.unsaved(1));
  EXPECT_TRUE(small.unsaved(2));
}

TEST_F(Undo, TheHistoryKnowsWhatIsUnsavedAndSaveWritesTheMeshToItsOwnFile) {
  auto unsaved = [this] {
    std::string names;
    for (const studio::Entity* e : host->unsavedMeshes()) names += e->name + ";";
    return names;
  };
  EXPECT_EQ(unsaved(), "") << "as opened";
  ASSERT_EQ(run("mode component\nfilter component \"Faces\"\nselect \"grid\" faces 1 2 3\n"), "");
  EXPECT_EQ(unsaved(), "") << "the selection is not in the file";
  ASSERT_EQ(run("delete\n"), "");
  EXPECT_EQ(unsaved(), "grid;");
  EXPECT_TRUE(has(output("save\nprint history\n"), "history: every mesh is saved"));
  const std::string own = host->scene().findByName("grid")->sourceFile;
  EXPECT_EQ(studio::loadMeshFile(own).mesh.faceCount(), 797u) << "written over its own file";
  ASSERT_EQ(run("undo\n"), "");
  EXPECT_EQ(unsaved(), "grid;");
  ASSERT_EQ(run("redo\n"), "");
  EXPECT_EQ(unsaved(), "");
  // Saves write world positions, so a move changes the file.
  ASSERT_EQ(run("mode object\ncommand \"Select All\"\ntool \"Base Translate\"\npanel 33837\n"
                "set \"Base Translate\" \"Movement Type\" \"Relative\"\n"
                "set \"Base Translate\" \"X\" 0.3\nset \"Base Translate\" \"Apply\" 1\n"
                "panel close\n"),
            "");
  EXPECT_EQ(unsaved(), "grid;");
  ASSERT_EQ(run("undo\nmode component\nfilter component \"Faces\"\n"), "");
  EXPECT_EQ(unsaved(), "");
  ASSERT_EQ(run("select \"grid\" faces 7\nseparate\nprint history\n"), "");
  EXPECT_TRUE(has(take(), "history: unsaved: grid, grid part"));
  // The part is active once selected, and has no file yet; written as one, it is the file's.
  ASSERT_EQ(run("mode object\nfilter object \"Mesh\"\n"), "");
  host->scene().setSelection({host->scene().findByName("grid part")->id});
  EXPECT_EQ(run("save\n"), "error: test:1: grid part has no file of its own yet: save it as one\n");
  const std::string part = (dir.path / "part.obj").string();
  ASSERT_EQ(run("save " + part + "\nsave\n"), "");
  EXPECT_EQ(host->scene().findByName("grid part")->sourceFile, part);
  EXPECT_EQ(unsaved(), "grid;");
  // Files Studio cannot write back whole are not written over.
  ASSERT_EQ(run("map \"grid\" \"height\" z\n"), "");
  host->scene().setSelection({host->scene().findByName("grid")->id});
  EXPECT_NE(run("save\n").find("its maps (height) would be lost"), std::string::npos);
  ASSERT_EQ(open("t.stl", "solid t\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\n"
                         "vertex 0 1 0\nendloop\nendfacet\nendsolid t\n"),
            "");
  host->scene().setSelection({host->scene().findByName("t")->id});
  EXPECT_NE(run("save\n").find("Studio writes PLY and OBJ, not \".stl\""), std::string::npos);
}

TEST(History, TheOldestStepsGoFirstButNeverTheNextUndoOrRedo) {
  studio::Scene scene;
  studio::edit::History h(10000);
  for (const char* n : {"a", "b", "c", "d"}) h.push(sized(n, 3000));
  EXPECT_EQ(h.size(), 3u) << "a went: four steps of 3000 bytes and more exceed 10000";
  EXPECT_EQ(h.nextUndo()->name, "d");
  h.undo(scene);
  h.undo(scene);
  EXPECT_EQ(h.nextUndo()->name, "b");
  h.push(sized("e", 3000));  // the undone c and d can no longer be redone
  EXPECT_EQ(h.size(), 2u);
  EXPECT_EQ(h.nextRedo(), nullptr);
  h.push(sized("huge", 50000));
  EXPECT_EQ(h.size(), 1u) << "alone over the budget, the newest step still stays";
  EXPECT_EQ(h.nextUndo()->name, "huge");
  h.undo(scene);
  h.push(sized("f", 10));
  EXPECT_EQ(h.nextUndo()->name, "f");
  h.setBudget(1);
  EXPECT_EQ(h.size(), 1u);
  EXPECT_LE(h.bytes(), 10u + 200u);
  // Between an undo and its redo, both neighbours stay whatever the budget.
  studio::edit::History both(10000);
  both.push(sized("g", 3000));
  both.push(sized("h", 3000));
  both.undo(scene);
  both.setBudget(1);
  ASSERT_NE(both.nextUndo(), nullptr);
  EXPECT_EQ(both.nextUndo()->name, "g");
  ASSERT_NE(both.nextRedo(), nullptr);
  EXPECT_EQ(both.nextRedo()->name, "h");
}

}  // namespace
}  // namespace tessel::test

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cfloat>
#include <cstring>
#include <set>
#include <sstream>
#include <thread>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "studio/scene/mesh_io.h"
#include "tests/studio/mesh_fixtures.h"

namespace tessel::studio {
namespace {

namespace fs = std::filesystem;

std::set<std::string> names(const fs::path& folder) {
  std::set<std::string> out;
  for (const auto& e : fs::directory_iterator(folder)) out.insert(e.path().filename().string());
  return out;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Values a fixed number of decimals would lose or change: tiny, huge, subnormal, signed zero,
// and the ends of the float range.
TEST(MeshSave, EveryCoordinateReadsBackBitForBit) {
  test::TempDir dir;
  const std::vector<float> values = {1.2345678e-6f, 3.3e-10f,   1e30f,       -0.0f,
                                     1e-40f,        FLT_MAX,    -FLT_MAX,    FLT_TRUE_MIN,
                                     0.1f,          -123456.79f, 16777216.f, 1.0f / 3.0f};
  Mesh m = test::strip(2);
  m.positions = values;
  Mesh cloud = test::makeMesh({0.3f, -7.5e-8f, 2e20f, 1, 2, 3}, {});
  for (const char* name : {"v.ply", "v.obj"}) {
    ASSERT_EQ(saveMeshFile(dir.path / name, m), "") << name;
    LoadedFile back = loadMeshFile(dir.path / name);
    ASSERT_EQ(back.error, "") << name;
    EXPECT_TRUE(sameBits(back.mesh.positions, values)) << name;
    EXPECT_EQ(back.mesh.faces, m.faces) << name;

    const fs::path cloudFile = dir.path / (std::string("cloud") + name);
    ASSERT_EQ(saveMeshFile(cloudFile, cloud), "") << name;
    back = loadMeshFile(cloudFile);
    ASSERT_EQ(back.error, "") << name;
    EXPECT_TRUE(back.pointCloud) << name;
    EXPECT_TRUE(sameBits(back.mesh.positions, cloud.positions)) << name;
  }
  // Given positions (world ones) are written in place of the mesh's own.
  const std::vector<float> world = {1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4};
  ASSERT_EQ(saveMeshFile(dir.path / "w.obj", m, world.data()), "");
  EXPECT_TRUE(sameBits(loadMeshFile(dir.path / "w.obj").mesh.positions, world));
}

// A write that fails below the writer (a full disk) is reported with its reason, and the old file
// stays byte for byte; so does a save over a folder.
TEST(MeshSave, AFailedWriteKeepsTheOldFile) {
  test::TempDir dir;
  for (const char* name : {"keep.ply", "keep.obj"}) {
    const fs::path file = dir.path / name;
    ASSERT_EQ(saveMeshFile(file, test::strip(3)), "");
    const std::string old = test::readFile(file);
    platform::test_seam::injectFailure(2, ENOSPC);  // the first write
    EXPECT_EQ(saveMeshFile(file, test::strip(500)),
              file.string() + ": cannot be written: No space left on device");
    platform::test_seam::injectFailure(0, 0);
    EXPECT_EQ(test::readFile(file), old) << name;
  }
  fs::create_directory(dir.path / "folder.ply");
  EXPECT_EQ(saveMeshFile(dir.path / "folder.ply", test::strip(1)),
            (dir.path / "folder.ply").string() + ": cannot be written: Is a directory");
  EXPECT_EQ(names(dir.path), (std::set<std::string>{"keep.ply", "keep.obj", "folder.ply"}));
}

// The same on a real full disk: a small tmpfs mounted in a child's own mount namespace, reached
// through the child's root. Only where the test may mount one (root, namespaces allowed).
TEST(MeshSave, AFullFileSystemKeepsTheOldFile) {
  test::TempDir dir;
  int ready[2], release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Only system calls here: the parent may have had other threads.
    char mounted = ::unshare(CLONE_NEWNS) == 0 &&
                   ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                   ::mount("tmpfs", dir.path.c_str(), "tmpfs", 0, "size=256k") == 0;
    (void)!::write(ready[1], &mounted, 1);
    char c;
    (void)!::read(release[0], &c, 1);
    ::_exit(0);
  }
  char mounted = 0;
  (void)!::read(ready[0], &mounted, 1);
  const fs::path folder = "/proc/" + std::to_string(child) + "/root" + dir.path.string();
  auto finish = [&] {
    (void)!::write(release[1], "x", 1);
    ::waitpid(child, nullptr, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
  };
  std::error_code ec;
  if (!mounted || !fs::is_directory(folder, ec)) {
    finish();
    GTEST_SKIP() << "no tmpfs can be mounted here";
  }
  const Mesh big = test::strip(40000);  // about 1 MB in either format
  for (const char* name : {"a.ply", "a.obj"}) {
    const fs::path file = folder / name;
    ASSERT_EQ(saveMeshFile(file, test::strip(4)), "") << name;
    const std::string old = test::readFile(file);
    EXPECT_EQ(saveMeshFile(file, big),
              file.string() + ": cannot be written: No space left on device");
    EXPECT_EQ(test::readFile(file), old) << name;
  }
  EXPECT_EQ(names(folder), (std::set<std::string>{"a.ply", "a.obj"}));
  EXPECT_EQ(saveMeshFile(folder / "a.ply", test::strip(6)), "") << "the space is given back";
  finish();
}

// Two writers saving different meshes over one file while a reader loads it: every load is
// wholly one mesh or the other, and no temporary is left.
TEST(MeshSave, TwoWritersLeaveOneWholeFile) {
  test::TempDir dir;
  const fs::path target = dir.path / "t.ply";
  const Mesh a = test::strip(3000), b = test::strip(5000);
  ASSERT_EQ(saveMeshFile(target, a), "");
  std::atomic<int> running{2}, failures{0};
  auto writer = [&](const Mesh* m) {
    for (int i = 0; i < 25; ++i) failures += !saveMeshFile(target, *m).empty();
    --running;
  };
  std::thread first(writer, &a), second(writer, &b);
  int loads = 0, torn = 0;
  while (running > 0 || loads == 0) {
    LoadedFile f = readMeshFile(target);
    ++loads;
    torn += !f.error.empty() || (f.mesh.faces != a.faces && f.mesh.faces != b.faces);
  }
  first.join();
  second.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(torn, 0) << "of " << loads << " loads";
  EXPECT_EQ(names(dir.path), std::set<std::string>{"t.ply"});
}

}  // namespace
}  // namespace tessel::studio

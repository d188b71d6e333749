#include "studio/render/level_builder.h"

#include <new>
#include <utility>

namespace tessel::studio {

void LevelBuilder::start(const Mesh& mesh) {
  if (mesh_ == &mesh && revision_ == mesh.revision) return;
  stop();
  mesh_ = &mesh, revision_ = mesh.revision;
  taken_ = false;
  done_.store(false, std::memory_order_relaxed);
  // The thread gets the arrays, never the mesh: nothing else of it is safe to read there.
  const float* positions = mesh.positions.data();
  const std::uint32_t* faces = mesh.faces.data();
  const std::uint32_t vertices = mesh.vertexCount(), count = mesh.faceCount();
  thread_ = std::jthread([this, positions, faces, vertices, count](std::stop_token stopped) {
    try {
      std::vector<DetailLevel> levels =
          detailLevels(positions, vertices, faces, count, kSmallestLevel, stopped);
      if (!stopped.stop_requested()) levels_ = std::move(levels);
    } catch (const std::bad_alloc&) {
      // No memory for them: no levels, and moving frames draw the mesh as a still one does.
    }
    done_.store(true, std::memory_order_release);
  });
}

void LevelBuilder::stop() {
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.join();
  }
  thread_ = {};
  mesh_ = nullptr, revision_ = 0;
  levels_ = {};
  done_.store(false, std::memory_order_relaxed);
}

bool LevelBuilder::ready(const Mesh& mesh) const {
  return mesh_ == &mesh && revision_ == mesh.revision && !taken_ &&
         done_.load(std::memory_order_acquire);
}

std::vector<DetailLevel> LevelBuilder::take() {
  taken_ = true;
  return std::move(levels_);
}

}  // namespace tessel::studio

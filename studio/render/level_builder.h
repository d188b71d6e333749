// Builds a large mesh's levels of detail on a thread of its own, so that the first frame drawn
// while the camera moves need not wait seconds for them. The thread reads the mesh's positions
// and faces until it ends: whoever changes them, or lets the mesh go, stops the build first
// (stop), which a flag the build polls as it goes makes a wait of milliseconds.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

#include "studio/render/level_of_detail.h"
#include "studio/scene/mesh.h"

namespace tessel::studio {

class LevelBuilder {
 public:
  LevelBuilder() = default;
  LevelBuilder(const LevelBuilder&) = delete;
  LevelBuilder& operator=(const LevelBuilder&) = delete;
  ~LevelBuilder() { stop(); }

  // Starts building the levels of `mesh` as it is now (its revision), unless that build is
  // running or done; a build of anything else is stopped first.
  void start(const Mesh& mesh);
  // Cancels the build, if one runs, and waits for its thread; what it had built is dropped.
  void stop();
  // Waits for the build to end on its own.
  void wait() {
    if (thread_.joinable()) thread_.join();
  }
  // The mesh whose arrays a running build reads, or null.
  const Mesh* reading() const { return running() ? mesh_ : nullptr; }
  // Whether the levels of `mesh`'s revision are built (and not taken yet).
  bool ready(const Mesh& mesh) const;
  // The built levels, moved out; ready() must have said so.
  std::vector<DetailLevel> take();

 private:
  bool running() const { return mesh_ && !done_.load(std::memory_order_acquire); }

  std::jthread thread_;
  std::atomic<bool> cancel_{false}, done_{false};
  const Mesh* mesh_ = nullptr;
  std::uint64_t revision_ = 0;
  // Written by the thread before it sets done_, read here only after done_ is seen.
  std::vector<DetailLevel> levels_;
  bool taken_ = false;
};

}  // namespace tessel::studio

// The undo history: named steps, each a list of changes that can be undone and redone, kept
// within a memory budget (the oldest steps go first). A step holds what changed, never a copy of
// the scene.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tessel::studio {
class Scene;
}

namespace tessel::studio::edit {

// One reversible part of a step. undo and redo are each other's inverse on the scene the change
// was recorded over.
class Change {
 public:
  virtual ~Change() = default;
  virtual void undo(Scene& scene) = 0;
  virtual void redo(Scene& scene) = 0;
  // What the change keeps in memory.
  virtual std::size_t bytes() const = 0;
  // Whether undo or redo writes a mesh's flag arrays (selection, hidden), which the recorder
  // then reads again; a change that does not say is taken to.
  virtual bool changesFlags() const { return true; }
  // Whether the change alters what a save of the entity writes (its faces, where it stands),
  // as against what only the scene shows (selection, visibility).
  virtual bool changesFileOf(std::uint32_t /*entityId*/) const { return false; }
};

struct Step {
  std::string name;
  // Applied in order by redo, in reverse by undo.
  std::vector<std::unique_ptr<Change>> changes;
  std::size_t bytes() const;
  bool changesFlags() const;
  bool changesFileOf(std::uint32_t entityId) const;
};

class History {
 public:
  static constexpr std::size_t kDefaultBudget = std::size_t{512} << 20;

  explicit History(std::size_t budget = kDefaultBudget) : budget_(budget) {}

  // The step becomes the next to undo; the steps that could be redone are dropped, then the
  // oldest until the history fits its budget (the newest step stays even when it alone does not).
  void push(Step step);
  // The step undone or redone, or null when there is none.
  const Step* undo(Scene& scene);
  const Step* redo(Scene& scene);
  const Step* nextUndo() const { return done_ ? &steps_[done_ - 1] : nullptr; }
  const Step* nextRedo() const { return done_ < steps_.size() ? &steps_[done_] : nullptr; }

  // Saved-at markers, one an entity: the entity's file holds what the scene holds now. Undoing
  // or redoing back to that state makes it saved again; a step that changes the file in between
  // makes it unsaved. An entity never marked is unsaved (a part nothing was written for).
  void markSaved(std::uint32_t entityId) { saved_[entityId] = position(); }
  bool unsaved(std::uint32_t entityId) const;

  void setBudget(std::size_t bytes);
  std::size_t budget() const { return budget_; }
  std::size_t bytes() const { return bytes_; }
  std::size_t size() const { return steps_.size(); }
  // What `print history` shows: the totals, then each step oldest first, marking the next undo.
  std::vector<std::string> describe() const;

 private:
  void trim();
  // How many steps have been done since the history began, dropped ones included: a state's
  // name that survives the budget's trimming.
  std::uint64_t position() const { return first_ + done_; }
  // Whether a step in [from, to) (positions, either order) changes the entity's file; true when
  // one of them is no longer held.
  bool changedBetween(std::uint32_t entityId, std::uint64_t from, std::uint64_t to) const;
  // steps_[index] is about to go (the oldest, or the last to redo): a marker on the state that
  // goes with it moves across the step when the step leaves the entity's file alone, else it
  // becomes unreachable.
  void forgetting(std::size_t index, bool front);

  std::deque<Step> steps_;
  std::size_t done_ = 0;  // steps_[0, done_) can be undone, the rest redone
  std::size_t bytes_ = 0;
  std::size_t budget_;
  std::size_t dropped_ = 0;  // steps let go for the budget, for the report
  std::uint64_t first_ = 0;  // the position before steps_[0]
  static constexpr std::uint64_t kUnreachable = ~std::uint64_t{0};
  std::map<std::uint32_t, std::uint64_t> saved_;
};

}  // namespace tessel::studio::edit

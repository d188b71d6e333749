// The undo history: named steps, each a list of changes that can be undone and redone, kept
// within a memory budget (the oldest steps go first). A step holds what changed, never a copy of
// the scene.
#pragma once

#include <cstddef>
#include <deque>
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
};

struct Step {
  std::string name;
  // Applied in order by redo, in reverse by undo.
  std::vector<std::unique_ptr<Change>> changes;
  std::size_t bytes() const;
  bool changesFlags() const;
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

  void setBudget(std::size_t bytes);
  std::size_t budget() const { return budget_; }
  std::size_t bytes() const { return bytes_; }
  std::size_t size() const { return steps_.size(); }
  // What `print history` shows: the totals, then each step oldest first, marking the next undo.
  std::vector<std::string> describe() const;

 private:
  void trim();
  std::deque<Step> steps_;
  std::size_t done_ = 0;  // steps_[0, done_) can be undone, the rest redone
  std::size_t bytes_ = 0;
  std::size_t budget_;
  std::size_t dropped_ = 0;  // steps let go for the budget, for the report
};

}  // namespace tessel::studio::edit

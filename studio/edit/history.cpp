#include "studio/edit/history.h"

#include <algorithm>
#include <cstdio>

namespace tessel::studio::edit {
namespace {

std::string megabytes(std::size_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f MB", static_cast<double>(bytes) / (1 << 20));
  return text;
}

}  // namespace

bool Step::changesFlags() const {
  for (const auto& c : changes)
    if (c->changesFlags()) return true;
  return false;
}

std::size_t Step::bytes() const {
  std::size_t n = sizeof(Step) + name.capacity();
  for (const auto& c : changes) n += c->bytes();
  return n;
}

bool Step::changesFileOf(std::uint32_t entityId) const {
  for (const auto& c : changes)
    if (c->changesFileOf(entityId)) return true;
  return false;
}

void History::push(Step step) {
  while (steps_.size() > done_) {
    forgetting(steps_.size() - 1, false);
    bytes_ -= steps_.back().bytes();
    steps_.pop_back();
  }
  bytes_ += step.bytes();
  steps_.push_back(std::move(step));
  done_ = steps_.size();
  trim();
}

const Step* History::undo(Scene& scene) {
  if (!done_) return nullptr;
  Step& step = steps_[done_ - 1];
  const std::size_t before = step.bytes();
  for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it) (*it)->undo(scene);
  --done_;
  // A change may now hold what it took out of the scene (an entity whose creation was undone).
  bytes_ = bytes_ - before + step.bytes();
  trim();
  return done_ < steps_.size() ? &steps_[done_] : nullptr;
}

const Step* History::redo(Scene& scene) {
  if (done_ == steps_.size()) return nullptr;
  Step& step = steps_[done_];
  const std::size_t before = step.bytes();
  for (auto& c : step.changes) c->redo(scene);
  ++done_;
  bytes_ = bytes_ - before + step.bytes();
  return &steps_[done_ - 1];
}

void History::setBudget(std::size_t bytes) {
  budget_ = bytes;
  trim();
}

void History::trim() {
  // The oldest first, but never the next step to undo or to redo: losing the one a person is
  // about to take back would be worse than going over the budget.
  while (bytes_ > budget_ && steps_.size() > 1) {
    if (done_ >= 2) {
      forgetting(0, true);
      bytes_ -= steps_.front().bytes();
      steps_.pop_front();
      ++first_;
      --done_;
    } else if (steps_.size() - done_ >= 2) {
      forgetting(steps_.size() - 1, false);
      bytes_ -= steps_.back().bytes();
      steps_.pop_back();
    } else {
      break;
    }
    ++dropped_;
  }
}

void History::forgetting(std::size_t index, bool front) {
  // A marker on the state the step's going takes away moves across the step when the step left
  // the entity's file alone: the state on the other side writes the same file.
  const std::uint64_t before = first_ + index, after = before + 1;
  const std::uint64_t gone = front ? before : after, kept = front ? after : before;
  for (auto& [id, at] : saved_)
    if (at == gone) at = steps_[index].changesFileOf(id) ? kUnreachable : kept;
}

bool History::changedBetween(std::uint32_t entityId, std::uint64_t from, std::uint64_t to) const {
  const std::uint64_t lo = std::min(from, to), hi = std::max(from, to);
  if (lo < first_ || hi > first_ + steps_.size()) return true;
  for (std::uint64_t at = lo; at < hi; ++at)
    if (steps_[at - first_].changesFileOf(entityId)) return true;
  return false;
}

bool History::unsaved(std::uint32_t entityId) const {
  auto it = saved_.find(entityId);
  return it == saved_.end() || it->second == kUnreachable ||
         changedBetween(entityId, it->second, position());
}

std::vector<std::string> History::describe() const {
  std::vector<std::string> lines;
  lines.push_back("history: " + std::to_string(done_) + " to undo, " +
                  std::to_string(steps_.size() - done_) + " to redo, " + megabytes(bytes_) +
                  " of " + megabytes(budget_) +
                  (dropped_ ? ", " + std::to_string(dropped_) + " oldest let go" : ""));
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    const char* mark = i + 1 == done_ ? "> " : "  ";
    lines.push_back(mark + std::to_string(i + 1) + " " + steps_[i].name + " (" +
                    std::to_string(steps_[i].bytes()) + " bytes" +
                    (i >= done_ ? ", undone)" : ")"));
  }
  return lines;
}

}  // namespace tessel::studio::edit

// Points are kept in order of `done`, so the one before a command is found
// by binary search.
#include "Checkpoints.h"

#include <algorithm>

Checkpoints::Checkpoints(std::size_t budget, std::size_t offset,
                         TreeSnapshot empty, std::uint64_t every)
    : every_(every), budget_(budget) {
  points_.push_back({0, offset, 0, std::move(empty)});
}

void Checkpoints::add(std::uint64_t done, std::size_t offset,
                      std::uint64_t answersAt, TreeSnapshot tree, bool end) {
  points_.push_back({done, offset, answersAt, std::move(tree), end});
  bytes_ += points_.back().tree.bytes();
  while (bytes_ > budget_ && points_.size() > 2) {
    // Every other point goes: those that are no multiple of twice the step.
    every_ *= 2;
    std::vector<Point> kept;
    bytes_ = 0;
    for (Point &point : points_) {
      if (point.done % every_ == 0 || point.end) {
        bytes_ += point.tree.bytes();
        kept.push_back(std::move(point));
      }
    }
    points_ = std::move(kept);
  }
}

std::uint64_t Checkpoints::plannedEvery(std::uint64_t commands,
                                        std::uint64_t least) {
  std::uint64_t every = std::max<std::uint64_t>(least, 1);
  while (every < commands / 64) {
    every *= 2;
  }
  return every;
}

bool Checkpoints::has(std::uint64_t done) const {
  return before(done).done == done;
}

bool Checkpoints::fill(std::uint64_t done, std::size_t offset,
                       std::uint64_t answersAt, TreeSnapshot tree) {
  if (bytes_ + tree.bytes() > budget_) {
    return false;
  }
  bytes_ += tree.bytes();
  const auto after =
      std::upper_bound(points_.begin(), points_.end(), done,
                       [](std::uint64_t value, const Point &point) {
                         return value < point.done;
                       });
  points_.insert(after, {done, offset, answersAt, std::move(tree)});
  return true;
}

const Checkpoints::Point &Checkpoints::before(std::uint64_t done) const {
  const auto after =
      std::upper_bound(points_.begin(), points_.end(), done,
                       [](std::uint64_t value, const Point &point) {
                         return value < point.done;
                       });
  return *(after - 1);
}

// Where a long script can be taken up again: copies of the tree every so
// many commands, taken as the script first runs (and more filled in
// between them afterwards), within a budget of memory. Once the copies pass it,
// every other one goes and the rest stand twice as far apart, so that any
// script fits, and the commands to run from the nearest copy grow only as the
// script does.
#ifndef MORVAVL_WEB_CHECKPOINTS_H
#define MORVAVL_WEB_CHECKPOINTS_H

#include "TreeSnapshot.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Where the lines of a script start, found going forward only.
class LineStarts {
public:
  explicit LineStarts(std::string_view script) : script_(script) {}
  // The byte where line `line` (from 1) starts; the script's end for a line
  // it does not have. Lines are asked for in order.
  std::size_t of(std::uint64_t line) {
    for (; passed_ + 1 < line && start_ < script_.size(); ++passed_) {
      const std::size_t end = script_.find('\n', start_);
      start_ = end == std::string_view::npos ? script_.size() : end + 1;
    }
    return passed_ + 1 < line ? script_.size() : start_;
  }

private:
  std::string_view script_;
  std::size_t start_ = 0;
  std::uint64_t passed_ = 0; // the lines before start_
};

class Checkpoints {
public:
  struct Point {
    std::uint64_t done;      // commands performed before it
    std::size_t offset;      // where the next command's line starts
    std::uint64_t answersAt; // the answer bytes written before it
    TreeSnapshot tree;
    bool end = false;
  };

  // The first point stands before the first command, whose line starts at
  // `offset`, with the tree as it is then.
  // A copy is due every `every` commands at first.
  Checkpoints(std::size_t budget, std::size_t offset, TreeSnapshot empty,
              std::uint64_t every = 1024);

  // The spacing to start with for a script of `commands` commands: about
  // 64 copies along it, a power of two, at least `least` apart. Copies
  // taken at a spacing later thinned out are work lost on opening.
  static std::uint64_t plannedEvery(std::uint64_t commands,
                                    std::uint64_t least = 1024);

  // Whether a copy is due after this many commands.
  bool due(std::uint64_t done) const { return done % every_ == 0; }
  // An `end` copy stands near the script's end, where people go most,
  // whatever the spacing: it is never thinned out.
  void add(std::uint64_t done, std::size_t offset, std::uint64_t answersAt,
           TreeSnapshot tree, bool end = false);

  // Whether a copy stands after exactly `done` commands.
  bool has(std::uint64_t done) const;
  // A copy the first run left out, put in its place later; false, and
  // nothing kept, when it would pass the budget.
  bool fill(std::uint64_t done, std::size_t offset, std::uint64_t answersAt,
            TreeSnapshot tree);

  // The latest point at or before `done` commands.
  const Point &before(std::uint64_t done) const;
  std::uint64_t every() const { return every_; }
  std::size_t bytes() const { return bytes_; }

private:
  std::vector<Point> points_;
  std::uint64_t every_ = 1024;
  std::size_t budget_;
  std::size_t bytes_ = 0;
};

#endif

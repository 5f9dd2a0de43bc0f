// What each step of a script did, for the page's timeline and its "next"
// and "previous": the rotations of each kind, a decision made on a stale
// value, a refused duplicate that rotates, each removal's case, a refusal.
// It is gathered in slices after the script opens, by a session of its
// own with a recorder listening, so that the page answers meanwhile. With
// the twin, the textbook tree runs beside it, with checkpoints of its own,
// and the first step where the two part is found.
#ifndef MORVAVL_WEB_TIMELINE_H
#define MORVAVL_WEB_TIMELINE_H

#include "Checkpoints.h"
#include "ScriptTail.h"
#include "Tracer.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <string_view>
#include <vector>

class Timeline {
public:
  enum Mark : std::uint16_t {
    rotateLeft = 1,
    rotateRight = 2,
    rotateLeftRight = 4,
    rotateRightLeft = 8,
    fallback = 16,         // a double rotation that became a single one
    stale = 32,            // a decision or an answer on a stale value
    duplicateRotates = 64, // a refused duplicate whose path rotates
    leaf = 128,
    oneChild = 256,
    successorNear = 512, // the right child is the successor
    successorFar = 1024, // the successor is further down
    refused = 2048,      // a line refused
    missing = 4096,      // commands without a line
  };
  static constexpr std::uint32_t noId = 0xFFFFFFFF;

  // Gathers at most `steps` steps: those of the run the page holds. On
  // the way it fills in copies of the tree every `fillEvery` commands
  // where `points`, the run's own, has none, while their budget lasts.
  Timeline(std::string_view script, bool twin, std::size_t twinBudget,
           std::uint64_t steps, Checkpoints *points = nullptr,
           std::uint64_t fillEvery = 0);

  // Runs on for at most this many commands; false once every step is in.
  bool advance(std::uint64_t commands);
  bool done() const { return done_; }
  std::uint64_t steps() const { return marks_.size(); }
  const std::vector<std::uint16_t> &marks() const { return marks_; }
  // The ID each step's command names, or the record it removed by
  // position; noId for none.
  const std::vector<std::uint32_t> &ids() const { return ids_; }
  // The first step (from 1) where the textbook tree's shape, heights or
  // answers part from morvavl's; 0 while they have not.
  std::uint64_t parting() const { return parting_; }
  bool twin() const { return twin_ != nullptr; }
  const Checkpoints &twinCheckpoints() const { return *twinPoints_; }

private:
  struct Side {
    Side(std::string_view script, const Variant *variant)
        : tail(script), in(&tail), session(in, variant) {}
    ScriptTail tail;
    std::istream in;
    TraceSession session;
  };
  void markStep(const TraceStep &step, const TraceRecorder &did);
  void compareTwin(const TraceStep &step, const TraceStep &twin);
  void fillIn(const TraceStep &step);

  std::string_view script_;
  std::unique_ptr<Side> main_;
  std::unique_ptr<Side> twin_;
  std::unique_ptr<Checkpoints> twinPoints_;
  std::vector<std::uint16_t> marks_;
  std::vector<std::uint32_t> ids_;
  std::uint64_t parting_ = 0;
  std::uint64_t twinAnswers_ = 0;
  Checkpoints *points_;
  std::uint64_t fillEvery_;
  std::uint64_t answers_ = 0;
  std::uint64_t mostSteps_;
  LineStarts lines_; // for the checkpoints
  bool done_ = false;
};

#endif

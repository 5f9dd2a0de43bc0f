// One script as the page holds it. Opening it runs it once, as the program
// does, keeping its answers and copies of the tree along the way
// (Checkpoints.h); then any step is shown by a cursor that takes up the
// nearest copy and explains the command sub-step by sub-step, while the
// timeline is gathered in slices. Every view is JSON for the page.
#ifndef MORVAVL_WEB_PAGERUN_H
#define MORVAVL_WEB_PAGERUN_H

#include "AnswerSink.h"
#include "Checkpoints.h"
#include "Cursor.h"
#include "Timeline.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

class PageRun {
public:
  // The answers the page holds at most: a count far beyond the script's
  // lines could otherwise ask for billions of them. Past them the run
  // stops, and the page says so.
  static constexpr std::size_t mostAnswerBytes = std::size_t{64} << 20;
  // The memory the copies of the tree take at most.
  static constexpr std::size_t checkpointBytes = std::size_t{96} << 20;
  static constexpr std::size_t twinCheckpointBytes = std::size_t{48} << 20;

  // Copies of the tree stand at least `every` commands apart.
  PageRun(std::string script, bool twin, std::uint64_t every = 1024);

  const std::string &summary() const { return summary_; }
  const std::string &answers() const { return answers_.text(); }
  std::uint64_t steps() const { return steps_; }

  // Step `step` (from 1; 0 is before the first command), its sub-steps
  // drawn with these options.
  std::string view(std::uint64_t step, const PageTreeOptions &options);
  // The textbook twin after step `step`: its answers and its tree.
  std::string twinView(std::uint64_t step, const PageTreeOptions &options);
  // Gathers the timeline for at most this many commands more.
  std::string index(std::uint64_t commands);
  // Starts the timeline again, with the textbook twin beside it or not.
  void twin(bool on);
  const Timeline &timeline() const { return *timeline_; }

  // The step that performed command `command` (from 0), or 0 for none.
  std::uint64_t stepOfCommand(std::uint64_t command) const;
  const std::string &script() const { return script_; }

private:
  void runOnce(std::uint64_t every);
  std::string stepJson(const TraceStep &step, std::uint64_t number,
                       std::uint64_t answersAt, const std::string &subSteps);

  std::string script_;
  AnswerCapture answers_{mostAnswerBytes};
  std::unique_ptr<Checkpoints> checkpoints_;
  std::uint64_t fillEvery_ = 0; // the spacing of copies once filled in
  std::uint32_t count_ = 0;
  std::uint64_t countLine_ = 0;
  std::uint64_t steps_ = 0;
  bool lastMissing_ = false; // the last step stands for lineless commands
  std::string summary_;
  // The last views, latest first, and what each was asked with: stepping
  // back and forth over a step is not run again.
  struct Viewed {
    std::string asked;
    std::string json;
  };
  static constexpr std::size_t mostViewed = 8;
  std::deque<Viewed> viewed_;
  std::unique_ptr<Cursor> cursor_;
  std::unique_ptr<Cursor> twinCursor_;
  std::unique_ptr<Timeline> timeline_;
};

#endif

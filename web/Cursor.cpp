// Going on from where it stands costs the commands in between; taking up a
// checkpoint costs the tree's copy and the commands after it. The cursor
// takes the cheaper, counted in commands.
#include "Cursor.h"

Cursor::Cursor(std::string_view script, std::uint32_t count,
               std::uint64_t countLine, const Checkpoints &checkpoints,
               const Variant *variant)
    : script_(script), count_(count), countLine_(countLine),
      checkpoints_(checkpoints), variant_(variant) {
  takeUp(checkpoints_.before(0));
}

void Cursor::takeUp(const Checkpoints::Point &point) {
  if (session_) {
    session_->giveUpNodes(spare_);
  }
  session_.reset();
  in_.reset();
  tail_ = std::make_unique<ScriptTail>(
      count_ - point.done,
      script_.substr(std::min(point.offset, script_.size())));
  in_ = std::make_unique<std::istream>(tail_.get());
  session_ = std::make_unique<TraceSession>(*in_, variant_);
  // The tail's own count line stands where the line before it stood.
  session_->resume(countLine_ + point.done - 1, point.tree, spare_);
  keys_.rebuilt();
  done_ = point.done;
  answersAt_ = point.answersAt;
}

// Stands after `done` commands; false when the script has no more.
bool Cursor::reach(std::uint64_t done) {
  const Checkpoints::Point &point = checkpoints_.before(done);
  if (done < done_ ||
      (point.done > done_ && done - point.done < done - done_)) {
    takeUp(point);
  }
  ScriptSession::Step step;
  while (done_ < done) {
    if (!session_->skip(step)) {
      return false;
    }
    ++done_;
    answersAt_ += step.answers.size();
    if (step.missing) {
      return false; // commands without a line are all one step
    }
  }
  return true;
}

bool Cursor::show(std::uint64_t done, const PageTreeOptions &options,
                  TraceStep &step, std::string &subSteps) {
  if (!reach(done)) {
    return false;
  }
  SubSteps steps(*session_, keys_, options);
  session_->alsoTell(&steps);
  const bool shown = session_->step(step, [&steps](const TraceStep &next) {
    steps.begin(next.command, next.missing);
  });
  session_->alsoTell(nullptr);
  if (!shown) {
    return false;
  }
  steps.end(step);
  ++done_;
  shownAt_ = answersAt_;
  answersAt_ += step.answers.size();
  subSteps = steps.json();
  return true;
}

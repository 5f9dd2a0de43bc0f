// The run keeps what every view needs; a view asked for twice in a row is
// made once.
#include "PageRun.h"

#include "Narrator.h"
#include "Text.h"

#include <istream>

namespace {

std::string optionsKey(std::uint64_t step, const PageTreeOptions &options) {
  std::string key = std::to_string(step) + "/" + std::to_string(options.depth);
  for (const std::int32_t expanded : options.expanded) {
    key += "," + std::to_string(expanded);
  }
  return key;
}

} // namespace

PageRun::PageRun(std::string script, bool twin, std::uint64_t every)
    : script_(std::move(script)) {
  runOnce(every);
  cursor_ =
      std::make_unique<Cursor>(script_, count_, countLine_, *checkpoints_);
  this->twin(twin);
}

// The one run of the script: every answer, and a copy of the tree now and
// then. Past the answers the page can hold it stops.
void PageRun::runOnce(std::uint64_t every) {
  ScriptTail whole(script_);
  std::istream in(&whole);
  ScriptSession session(in, answers_);
  count_ = session.count();
  countLine_ = session.script().countLine().number;
  LineStarts lines(script_);
  // A copy costs a walk over the whole tree, so the run takes one in eight;
  // the timeline, gathered after the page answers, fills in the rest.
  fillEvery_ = Checkpoints::plannedEvery(count_, every);
  checkpoints_ = std::make_unique<Checkpoints>(
      checkpointBytes, lines.of(countLine_ + 1), TreeSnapshot(session.tree()),
      fillEvery_ * 8);
  bool stopped = false;
  for (ScriptSession::Step step; session.step(step);) {
    ++steps_;
    if (step.missing) {
      lastMissing_ = true;
      session.answerRest();
      break;
    }
    if (answers_.cut()) {
      stopped = true;
      break;
    }
    // And a copy two commands before the last, for the last step and the
    // one before it.
    const bool end = steps_ + 2 == count_;
    if (checkpoints_->due(steps_) || end) {
      checkpoints_->add(steps_, lines.of(countLine_ + steps_ + 1),
                        answers_.text().size(), TreeSnapshot(session.tree()),
                        end);
    }
  }
  summary_ = "{\"commands\":" + std::to_string(count_);
  text::appendJsonField(summary_, "steps", steps_);
  text::appendJsonField(summary_, "answersSize", answers_.text().size());
  text::appendJsonFlag(summary_, "answersCut", answers_.cut());
  text::appendJsonFlag(summary_, "stopped", stopped);
  text::appendJsonField(summary_, "countLine", countLine_);
  text::appendJsonField(summary_, "checkpointEvery", checkpoints_->every());
  text::appendJsonField(summary_, "checkpointBytes", checkpoints_->bytes());
  summary_ += ",\"countNote\":";
  text::appendJson(summary_, narrator::countNote(session.script()));
  summary_ += "}";
}

void PageRun::twin(bool on) {
  twinCursor_.reset();
  timeline_ = std::make_unique<Timeline>(
      script_, on, twinCheckpointBytes, steps_, checkpoints_.get(), fillEvery_);
}

std::string PageRun::stepJson(const TraceStep &step, std::uint64_t number,
                              std::uint64_t answersAt,
                              const std::string &subSteps) {
  std::string out = "{\"step\":" + std::to_string(number);
  text::appendJsonField(out, "line", step.line);
  out += ",\"text\":";
  text::appendJson(out, text::escaped(step.text));
  out += ",\"note\":";
  text::appendJson(out, step.note);
  text::appendJsonFlag(out, "missing", step.missing);
  text::appendJsonFlag(out, "droppedCr", step.droppedCr);
  text::appendJsonField(out, "missingAfter", step.missingAfter);
  text::appendJsonField(out, "answersAt", answersAt);
  text::appendJsonField(out, "answersSize", step.answers.size());
  out += ",\"answers\":";
  text::appendJson(out, step.answers);
  if (!subSteps.empty()) {
    out += "," + subSteps;
  }
  return out + "}";
}

std::string PageRun::view(std::uint64_t step, const PageTreeOptions &options) {
  const std::string asked = optionsKey(step, options);
  for (const Viewed &viewed : viewed_) {
    if (viewed.asked == asked) {
      return viewed.json;
    }
  }
  std::string json;
  if (step == 0 || step > steps_) {
    json = "{\"step\":0,\"substeps\":[{\"kind\":\"start\",\"text\":";
    text::appendJson(json, "the count line: " + std::to_string(count_) +
                               " commands, and an empty tree");
    json += ",\"rule\":\"rule-1-the-count-line\",\"read\":[],\"taken\":0,"
            "\"nodes\":[],\"gone\":[]}]}";
  } else {
    TraceStep shown;
    std::string subSteps;
    if (!cursor_->show(step - 1, options, shown, subSteps)) {
      return "{\"step\":0,\"substeps\":[]}";
    }
    json = stepJson(shown, step, cursor_->answersAt(), subSteps);
  }
  if (viewed_.size() == mostViewed) {
    viewed_.pop_back();
  }
  viewed_.push_front({asked, std::move(json)});
  return viewed_.front().json;
}

std::string PageRun::twinView(std::uint64_t step,
                              const PageTreeOptions &options) {
  if (!timeline_->twin()) {
    return "{}";
  }
  while (timeline_->steps() < step && timeline_->advance(1 << 16)) {
  }
  if (!twinCursor_) {
    twinCursor_ = std::make_unique<Cursor>(script_, count_, countLine_,
                                           timeline_->twinCheckpoints(),
                                           findVariant("textbook"));
  }
  std::string out = "{\"step\":" + std::to_string(step) + ",\"nodes\":[";
  TraceStep shown;
  std::string subSteps;
  if (step > 0 && step <= steps_ &&
      twinCursor_->show(step - 1, options, shown, subSteps)) {
    const std::vector<DrawnNode> drawn =
        drawPageTree(twinCursor_->view(), twinCursor_->session().recorder(),
                     twinCursor_->keys(), options, {}, {});
    for (std::size_t i = 0; i < drawn.size(); ++i) {
      out += (i ? "," : "") + drawn[i].json;
    }
    out += "],\"answers\":";
    text::appendJson(out, shown.answers);
    out += ",\"note\":";
    text::appendJson(out, shown.note);
  } else {
    out += "],\"answers\":\"\",\"note\":\"\"";
  }
  text::appendJsonField(out, "parting", timeline_->parting());
  return out + "}";
}

std::string PageRun::index(std::uint64_t commands) {
  timeline_->advance(commands);
  std::string out = "{\"steps\":" + std::to_string(timeline_->steps());
  text::appendJsonFlag(out, "done", timeline_->done());
  text::appendJsonField(out, "parting", timeline_->parting());
  return out + "}";
}

std::uint64_t PageRun::stepOfCommand(std::uint64_t command) const {
  if (command < steps_) {
    return command + 1;
  }
  return lastMissing_ ? steps_ : 0;
}

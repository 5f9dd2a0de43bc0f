// A step takes the next line, or knows there is none, parses it and
// performs it; nothing else in the program reads command lines.
#include "ScriptSession.h"

#include "Dispatch.h"

#include <sstream>

ScriptSession::ScriptSession(std::istream &in, AnswerSink &answers,
                             TreeEvents *events, const Policy *policy)
    : ScriptSession(&in, &answers, nullptr, nullptr, events, policy) {}

ScriptSession::ScriptSession(std::istream &in, AnswerCapture &kept,
                             TreeEvents *events, const Policy *policy)
    : ScriptSession(&in, nullptr, nullptr, &kept, events, policy) {}

ScriptSession::ScriptSession(std::istream &in, TreeEvents *events,
                             const Policy *policy)
    : ScriptSession(&in, nullptr, std::make_unique<AnswerCapture>(), nullptr,
                    events, policy) {}

ScriptSession::ScriptSession(AnswerSink &answers, TreeEvents *events)
    : ScriptSession(nullptr, &answers, nullptr, nullptr, events, nullptr) {}

ScriptSession::ScriptSession()
    : ScriptSession(nullptr, nullptr, std::make_unique<AnswerCapture>(),
                    nullptr, nullptr, nullptr) {}

ScriptSession::ScriptSession(std::istream *in, AnswerSink *answers,
                             std::unique_ptr<AnswerCapture> owned,
                             AnswerCapture *kept, TreeEvents *events,
                             const Policy *policy)
    : noScript_(in ? nullptr : std::make_unique<std::istringstream>()),
      owned_(std::move(owned)), captured_(owned_ ? owned_.get() : kept),
      answers_(captured_ ? *captured_ : *answers),
      tree_(answers_, events, policy), script_(in ? *in : *noScript_, policy),
      policy_(policy) {}

ScriptSession::~ScriptSession() = default;

bool ScriptSession::read(Step &step) {
  if (done_ >= script_.count()) {
    return false;
  }
  ++done_;
  ScriptLine line;
  inputEnded_ = inputEnded_ || !script_.next(line);
  step.line = script_.countLine().number + done_;
  step.missing = inputEnded_;
  step.varied = line.keptCr;
  const bool repeating = policy_ && policy_->repeatLastLine;
  if (step.missing && repeating && repeatsLastLine(step)) {
    return true;
  }
  if (step.missing) {
    step.text = {};
    step.droppedCr = false;
    step.missingAfter = script_.count() - done_;
    return true;
  }
  step.text = line.text;
  step.droppedCr = line.droppedCr;
  step.missingAfter = 0;
  if (repeating) {
    lastLine_.assign(line.text.data(), line.text.size());
  }
  return true;
}

// A variant that repeats the last line where the input has none, as a loop
// of getline() calls does when the last line had no line feed.
bool ScriptSession::repeatsLastLine(Step &step) {
  if (!script_.unended() || script_.linesRead() == script_.countLine().number) {
    return false;
  }
  step.missing = false;
  step.varied = true;
  step.text = lastLine_;
  step.droppedCr = false;
  step.missingAfter = 0;
  return true;
}

bool ScriptSession::take(Step &step) {
  if (!read(step)) {
    return false;
  }
  LineStream stream(step.text);
  step.command = step.missing ? Command{} : parseCommand(stream, policy_);
  return true;
}

void ScriptSession::perform(Step &step) {
  if (owned_) {
    owned_->clear();
  }
  const std::size_t before = captured_ ? captured_->text().size() : 0;
  if (step.missing) {
    answers_.line(answer::unsuccessful);
  } else {
    performCommand(step.command, tree_, answers_);
  }
  step.answers =
      captured_ ? std::string_view(captured_->text()).substr(before) : "";
}

std::string_view ScriptSession::perform(const Command &command) {
  if (owned_) {
    owned_->clear();
  }
  const std::size_t before = captured_ ? captured_->text().size() : 0;
  performCommand(command, tree_, answers_);
  return captured_ ? std::string_view(captured_->text()).substr(before) : "";
}

void ScriptSession::answerRest() {
  answers_.repeatLine(answer::unsuccessful, script_.count() - done_);
  done_ = script_.count();
}

void ScriptSession::run() {
  for (Step step; this->step(step);) {
    if (step.missing) {
      answerRest();
    }
  }
}

bool ScriptSession::lineAfterEnd(ScriptLine &line) {
  return done_ >= script_.count() && !inputEnded_ && script_.next(line);
}

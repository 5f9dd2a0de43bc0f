// A step takes the next line, or knows there is none, parses it and
// performs it; nothing else in the program reads command lines.
#include "ScriptSession.h"

#include "main.h"

ScriptSession::ScriptSession(std::istream &in, AnswerSink &answers,
                             TreeEvents *events)
    : ScriptSession(in, &answers, nullptr, events) {}

ScriptSession::ScriptSession(std::istream &in, TreeEvents *events)
    : ScriptSession(in, nullptr, std::make_unique<AnswerCapture>(), events) {}

ScriptSession::ScriptSession(std::istream &in, AnswerSink *answers,
                             std::unique_ptr<AnswerCapture> captured,
                             TreeEvents *events)
    : captured_(std::move(captured)),
      answers_(captured_ ? *captured_ : *answers), tree_(answers_, events),
      script_(in) {}

ScriptSession::~ScriptSession() = default;

bool ScriptSession::take(Step &step) {
  if (done_ >= script_.count()) {
    return false;
  }
  ++done_;
  ScriptLine line;
  inputEnded_ = inputEnded_ || !script_.next(line);
  step.line = script_.countLine().number + done_;
  step.missing = inputEnded_;
  if (step.missing) {
    step.text = {};
    step.droppedCr = false;
    step.missingAfter = script_.count() - done_;
    step.command = Command{};
    return true;
  }
  step.text = line.text;
  step.droppedCr = line.droppedCr;
  step.missingAfter = 0;
  LineStream stream(line.text);
  step.command = parseCommand(stream);
  return true;
}

void ScriptSession::perform(Step &step) {
  if (captured_) {
    captured_->clear();
  }
  if (step.missing) {
    answers_.line(answer::unsuccessful);
  } else {
    performCommand(step.command, tree_, answers_);
  }
  step.answers = captured_ ? std::string_view(captured_->text()) : "";
}

void ScriptSession::answerRest() {
  answers_.repeatLine(answer::unsuccessful, script_.count() - done_);
  done_ = script_.count();
}

bool ScriptSession::lineAfterEnd(ScriptLine &line) {
  return done_ >= script_.count() && !inputEnded_ && script_.next(line);
}

// A trace step is a session step with the recorder listening, then a note.
#include "Tracer.h"

#include "Narrator.h"

TraceSession::TraceSession(std::istream &in) : session_(in, &recorder_) {}

TraceSession::TraceSession(std::istream &in, AnswerCapture &kept)
    : session_(in, kept, &recorder_) {}

void TraceSession::runRest() {
  session_.stopObserving();
  session_.run();
}

std::string TraceSession::countNote() const {
  return narrator::countNote(session_.script());
}

bool TraceSession::step(TraceStep &step) {
  recorder_.beginCommand();
  if (!session_.step(step)) {
    return false;
  }
  recorder_.endCommand(view());
  step.note = narrator::note(step, recorder_, view(), session_.script());
  return true;
}

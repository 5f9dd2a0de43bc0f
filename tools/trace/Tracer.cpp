// A trace step is a session step with the recorder listening, then a note.
#include "Tracer.h"

#include "Narrator.h"

namespace {

const Policy *policyOf(const Variant *variant) {
  return variant ? &variant->policy : nullptr;
}

} // namespace

TraceSession::TraceSession(std::istream &in, const Variant *variant)
    : variant_(variant), session_(in, &recorder_, policyOf(variant)) {}

TraceSession::TraceSession(std::istream &in, AnswerCapture &kept,
                           const Variant *variant)
    : variant_(variant), session_(in, kept, &recorder_, policyOf(variant)) {}

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
  if (variant_) {
    narrator::appendVariation(step, recorder_, *variant_, step.note);
  }
  return true;
}

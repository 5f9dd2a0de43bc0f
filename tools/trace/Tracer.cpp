// A trace step is a session step with the recorder listening, then a note.
#include "Tracer.h"

#include "Narrator.h"

namespace {

const Policy *policyOf(const Variant *variant) {
  return variant ? &variant->policy : nullptr;
}

} // namespace

TraceSession::TraceSession(std::istream &in, const Variant *variant)
    : variant_(variant), session_(in, &tee_, policyOf(variant)) {}

TraceSession::TraceSession(std::istream &in, AnswerCapture &kept,
                           const Variant *variant)
    : variant_(variant), session_(in, kept, &tee_, policyOf(variant)) {}

void TraceSession::resume(std::uint64_t linesBefore, const TreeSnapshot &tree,
                          TreeSnapshot::Spare &spare) {
  linesBefore_ = linesBefore;
  std::vector<TreeSnapshot::Stale> stale;
  tree.restoreInto(session_.tree(), spare, stale);
  recorder_.measure(stale);
}

// The recorder listens on, so that the real heights stay known without a
// walk over the whole tree; the sub-steps do not.
bool TraceSession::skip(ScriptSession::Step &step) {
  TreeEvents *extra = tee_.extra;
  tee_.extra = nullptr;
  recorder_.beginCommand();
  const bool stepped = session_.step(step);
  if (stepped) {
    recorder_.endCommand(view());
  }
  tee_.extra = extra;
  step.line += linesBefore_;
  return stepped;
}

void TraceSession::runRest() {
  session_.stopObserving();
  session_.run();
}

std::string TraceSession::countNote() const {
  return narrator::countNote(session_.script());
}

bool TraceSession::step(TraceStep &step) { return this->step(step, nullptr); }

bool TraceSession::step(TraceStep &step,
                        const std::function<void(const TraceStep &)> &before) {
  recorder_.beginCommand();
  if (!session_.take(step)) {
    return false;
  }
  if (before) {
    before(step);
  }
  session_.perform(step);
  step.line += linesBefore_;
  recorder_.endCommand(view());
  step.note =
      narrator::note(step, recorder_, view(), session_.script(), linesBefore_);
  if (variant_) {
    narrator::appendVariation(step, recorder_, *variant_, step.note);
  }
  return true;
}

void TraceSession::Tee::linked(const PelixNode &node, const PelixNode *parent) {
  recorder.linked(node, parent);
  if (extra) {
    extra->linked(node, parent);
  }
}

void TraceSession::Tee::refused(const PelixNode &present) {
  recorder.refused(present);
  if (extra) {
    extra->refused(present);
  }
}

void TraceSession::Tee::recomputed(const PelixNode &node, Recompute why,
                                   std::int32_t height,
                                   std::int32_t balanceFactor) {
  recorder.recomputed(node, why, height, balanceFactor);
  if (extra) {
    extra->recomputed(node, why, height, balanceFactor);
  }
}

void TraceSession::Tee::rotating(const RotationChoice &choice) {
  recorder.rotating(choice);
  if (extra) {
    extra->rotating(choice);
  }
}

void TraceSession::Tee::rotated(const PelixNode &risen) {
  recorder.rotated(risen);
  if (extra) {
    extra->rotated(risen);
  }
}

void TraceSession::Tee::removing(const RemovalChoice &choice) {
  recorder.removing(choice);
  if (extra) {
    extra->removing(choice);
  }
}

void TraceSession::Tee::freeing(const PelixNode &node) {
  recorder.freeing(node);
  if (extra) {
    extra->freeing(node);
  }
}

void TraceSession::Tee::searched(std::uint64_t matches) {
  recorder.searched(matches);
  if (extra) {
    extra->searched(matches);
  }
}

void TraceSession::Tee::varied(Variation what, const PelixNode *node) {
  recorder.varied(what, node);
  if (extra) {
    extra->varied(what, node);
  }
}

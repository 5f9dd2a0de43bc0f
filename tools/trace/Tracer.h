// Runs a script through the program's own session, one command at a time,
// with a recorder listening to the tree, and explains each command in a
// note: the rule a refused line breaks, why an operation found nothing, and
// every change to the tree.
#ifndef MORVAVL_TOOLS_TRACER_H
#define MORVAVL_TOOLS_TRACER_H

#include "ScriptSession.h"
#include "TraceRecorder.h"
#include "TreeView.h"
#include "Variants.h"

#include <iosfwd>
#include <string>

// One command of a traced script, and why it answered as it did.
struct TraceStep : ScriptSession::Step {
  std::string note; // in plain words; one line
};

class TraceSession {
public:
  // Reads the script's count line from in. With a variant, the script runs
  // on it, and the notes say where its rule applied.
  explicit TraceSession(std::istream &in, const Variant *variant = nullptr);
  // The same, keeping every answer in `kept` (ScriptSession.h).
  TraceSession(std::istream &in, AnswerCapture &kept,
               const Variant *variant = nullptr);

  const ScriptReader &script() const { return session_.script(); }
  // The count line, explained.
  std::string countNote() const;

  // Performs the next command and explains it; false after the last.
  bool step(TraceStep &step);

  // Runs the rest of the script untraced, as the program runs it, and ends
  // the trace.
  void runRest();
  std::uint32_t count() const { return session_.count(); }

  TreeView view() const { return TreeView(session_.tree()); }
  // What the last command did, and the real heights.
  const TraceRecorder &recorder() const { return recorder_; }

  const Variant *variant() const { return variant_; }

private:
  const Variant *variant_;
  TraceRecorder recorder_;
  ScriptSession session_;
};

#endif

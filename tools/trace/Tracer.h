// Runs a script through the program's own session, one command at a time,
// with a recorder listening to the tree, and explains each command in a
// note: the rule a refused line breaks, why an operation found nothing, and
// every change to the tree.
#ifndef MORVAVL_TOOLS_TRACER_H
#define MORVAVL_TOOLS_TRACER_H

#include "ScriptSession.h"
#include "TraceRecorder.h"
#include "TreeSnapshot.h"
#include "TreeView.h"
#include "Variants.h"

#include <functional>
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

  // Performs the next command and explains it; false after the last. The
  // second tells `before` of the command, parsed, before it runs.
  bool step(TraceStep &step);
  bool step(TraceStep &step,
            const std::function<void(const TraceStep &)> &before);
  // Performs the next command with no note and no one else told, for a
  // tool that runs on to a command it explains. False after the last.
  bool skip(ScriptSession::Step &step);

  // For a session over the rest of a script (a count line that asks for
  // the commands left, then their lines): the lines of the whole script
  // before its count line's place, by which the steps are numbered, and the
  // tree as it stood there, built from spare nodes first.
  void resume(std::uint64_t linesBefore, const TreeSnapshot &tree,
              TreeSnapshot::Spare &spare);
  // Hands the tree's nodes over, for another session to reuse; the tree
  // is left empty.
  void giveUpNodes(TreeSnapshot::Spare &spare) { spare.take(session_.tree()); }

  // Another observer to tell each event, after the recorder; or none.
  void alsoTell(TreeEvents *extra) { tee_.extra = extra; }
  // Runs the rest of the script untraced, as the program runs it, and ends
  // the trace.
  void runRest();
  std::uint32_t count() const { return session_.count(); }

  TreeView view() const { return TreeView(session_.tree()); }
  TreeSnapshot snapshot() const { return TreeSnapshot(session_.tree()); }
  // What the last command did, and the real heights.
  const TraceRecorder &recorder() const { return recorder_; }

  const Variant *variant() const { return variant_; }

private:
  // The recorder, then the other observer, if any.
  struct Tee final : TreeEvents {
    explicit Tee(TraceRecorder &recorder) : recorder(recorder) {}
    void linked(const PelixNode &node, const PelixNode *parent) override;
    void refused(const PelixNode &present) override;
    void recomputed(const PelixNode &node, Recompute why, std::int32_t height,
                    std::int32_t balanceFactor) override;
    void rotating(const RotationChoice &choice) override;
    void rotated(const PelixNode &risen) override;
    void removing(const RemovalChoice &choice) override;
    void freeing(const PelixNode &node) override;
    void searched(std::uint64_t matches) override;
    void varied(Variation what, const PelixNode *node) override;
    TreeEvents &recorder;
    TreeEvents *extra = nullptr;
  };

  const Variant *variant_;
  TraceRecorder recorder_;
  Tee tee_{recorder_};
  ScriptSession session_;
  std::uint64_t linesBefore_ = 0;
};

#endif

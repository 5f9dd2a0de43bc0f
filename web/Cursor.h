// A session that can stand at any command of a script: it takes up the
// nearest checkpoint before it, or goes on from where it stands when that
// is nearer, running the commands in between as the program does, then
// performs the one asked for with the recorder and the sub-steps listening.
#ifndef MORVAVL_WEB_CURSOR_H
#define MORVAVL_WEB_CURSOR_H

#include "Checkpoints.h"
#include "PageTree.h"
#include "ScriptTail.h"
#include "SubSteps.h"
#include "Tracer.h"

#include <istream>
#include <memory>
#include <string>
#include <string_view>

class Cursor {
public:
  // The script, with its count, and the line of its count; both must
  // outlive the cursor, as must the checkpoints.
  Cursor(std::string_view script, std::uint32_t count, std::uint64_t countLine,
         const Checkpoints &checkpoints, const Variant *variant = nullptr);

  // Performs command number `done` + 1 (from 1) and explains it: the step,
  // and its sub-steps drawn with these options. False past the end.
  bool show(std::uint64_t done, const PageTreeOptions &options, TraceStep &step,
            std::string &subSteps);

  // The answer bytes written before the last step shown.
  std::uint64_t answersAt() const { return shownAt_; }
  TreeView view() const { return session_->view(); }
  const TraceSession &session() const { return *session_; }
  NodeKeys &keys() { return keys_; }

private:
  void takeUp(const Checkpoints::Point &point);
  bool reach(std::uint64_t done);

  std::string_view script_;
  std::uint32_t count_;
  std::uint64_t countLine_;
  const Checkpoints &checkpoints_;
  const Variant *variant_;
  std::unique_ptr<ScriptTail> tail_;
  std::unique_ptr<std::istream> in_;
  std::unique_ptr<TraceSession> session_;
  std::uint64_t done_ = 0;      // the commands the session has performed
  std::uint64_t answersAt_ = 0; // the answer bytes before command done_ + 1
  std::uint64_t shownAt_ = 0;
  NodeKeys keys_;
  TreeSnapshot::Spare spare_; // the nodes of the tree the cursor left
};

#endif

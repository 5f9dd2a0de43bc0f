// What the page shows of each step of a traced script, kept so that any
// step can be shown again without running the script again: the step's
// line, its note, where its answers stand among the script's, and the
// changes it made to the tree's nodes. Nodes are numbered as the trace links
// them, so that a drawing can follow a node, not a record, from step to
// step; each step logs the new values of the nodes it changed.
//
// A view replays the logged changes on a copy of the nodes' values: forward
// from where it stands, or from the start to go back. A change is a few
// numbers, so replaying a hundred thousand steps takes milliseconds.
#ifndef MORVAVL_TOOLS_STEPLOG_H
#define MORVAVL_TOOLS_STEPLOG_H

#include "NodeMap.h"
#include "Tracer.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class StepLog {
public:
  // Logs a step of the trace, whose answers begin at answersAt among the
  // script's answers.
  void record(const TraceStep &step, const TraceRecorder &did, TreeView tree,
              std::uint64_t answersAt);

  std::size_t steps() const { return steps_.size(); }

  // The step, from 1, that performed the command (from 0); 0 when no
  // logged step did. The commands without a line are all one step.
  std::uint32_t stepOfCommand(std::uint64_t command) const;

  // Step `step` (from 1; 0 is the empty tree before the first command) as
  // JSON for the page: its line, note and answers' place, and the tree
  // after it, drawn `depth` levels deep (0: all), and below that from each
  // node numbered in `expanded` as well.
  std::string view(std::uint32_t step, std::uint32_t depth,
                   const std::vector<std::int32_t> &expanded);

private:
  // A node's values as drawn.
  struct Node {
    std::int32_t id = -1; // the ID as a number; -1 for a freed node
    std::int32_t name = 0;
    std::int32_t height = 0;
    std::int32_t balance = 0;
    std::int32_t records = 0;
    std::int32_t real = 0; // the real height
    std::int32_t left = -1;
    std::int32_t right = -1;
  };
  static constexpr int fields = 8;

  struct Step {
    std::uint64_t line;
    std::uint64_t missingAfter;
    std::uint64_t answersAt;
    std::uint32_t answersSize;
    std::uint32_t noteAt;
    std::uint32_t noteSize;
    std::uint32_t textAt;
    std::uint32_t textSize;
    std::uint32_t changesAt; // in changes_
    std::uint32_t marksAt;   // in marks_
    std::int32_t root;
    bool missing;
    bool droppedCr;
  };

  // What a step marks for the drawing.
  enum Mark : std::int32_t { touched, rose, movedInto, movedFrom, linked };

  static std::array<std::int32_t, fields> fieldsOf(const Node &node) {
    return {node.id,      node.name, node.height, node.balance,
            node.records, node.real, node.left,   node.right};
  }

  std::int32_t numberOf(const PelixNode *node) const;
  std::int32_t nameOf(const std::string &name);
  Node valuesOf(const PelixNode &node, const TraceRecorder &did,
                const Node &logged);
  void mark(Mark kind, std::int32_t number);
  Step entryOf(const TraceStep &step, std::uint64_t answersAt);
  void numberNodes(const TraceRecorder &did);
  void logChanges(const TraceRecorder &did);
  void markDecisions(const TraceRecorder &did);
  void appendEntry(const Step &entry, std::string &out) const;
  struct Drawing;
  void goTo(std::uint32_t step);
  void apply(const Step &step);

  std::vector<Step> steps_;
  std::string texts_; // the steps' lines, escaped, and their notes
  // Per step: node number, then its fields, or -1 as the first field of a
  // node freed.
  std::vector<std::int32_t> changes_;
  // Per step: mark, node number.
  std::vector<std::int32_t> marks_;
  std::vector<Node> logged_; // every node's values, as the log left them
  NodeMap numbers_;          // a node's number, while it lives
  std::vector<std::string> names_;
  std::unordered_map<std::string, std::int32_t> nameNumbers_;

  std::vector<Node> view_; // the values at viewStep_
  std::uint32_t viewStep_ = 0;
};

#endif

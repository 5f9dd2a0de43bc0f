// The inside of one command, as the page shows it sub-step by sub-step: the
// descent and each comparison, the link of a new node, each node
// recomputed with its old and new values, each rotation (a double one in
// its two halves), the removal's case, the successor walk, the record that
// moves and the node freed, and the values left stale. Each sub-step is
// told by the tree's events as they come (TreeEvents.h), after the
// recorder has heard them; the descent, which the tree does not tell, is
// read through the view before the command. Each sub-step carries the rule
// of docs/behaviour.md it applies, with the stored values it read, and the
// drawing at that moment, as the changes from the one before.
#ifndef MORVAVL_WEB_SUBSTEPS_H
#define MORVAVL_WEB_SUBSTEPS_H

#include "PageTree.h"
#include "Tracer.h"

#include <string>
#include <unordered_map>
#include <vector>

class SubSteps final : public TreeEvents {
public:
  SubSteps(const TraceSession &session, NodeKeys &keys,
           const PageTreeOptions &options)
      : session_(session), keys_(keys), options_(options) {}

  // Before the command: what it is, and its descent.
  void begin(const Command &command, bool missing);
  // After it: the values left stale, and the answers.
  void end(const TraceStep &step);

  // {"substeps": [...], "firstRotation": ...}, without the braces.
  std::string json() const;

  void linked(const PelixNode &node, const PelixNode *parent) override;
  void refused(const PelixNode &present) override;
  void recomputed(const PelixNode &node, Recompute why, std::int32_t height,
                  std::int32_t balanceFactor) override;
  void rotating(const RotationChoice &choice) override;
  void rotated(const PelixNode &risen) override;
  void removing(const RemovalChoice &choice) override;
  void freeing(const PelixNode &node) override;
  void searched(std::uint64_t matches) override;

private:
  struct Reading {
    std::string rule;              // the id of the rule on the page
    std::vector<std::string> read; // the values the rule read, as lines
    std::size_t taken = 0;         // the line of it the step took
  };
  // Adds a sub-step, with the drawing as it stands now.
  void add(const std::string &kind, const std::string &text,
           const Reading &reading, const std::string &extra = "");
  void mark(const PelixNode *node, char mark);
  void interest(const PelixNode *node);
  void descent(const Command &command);
  void movedRecord();
  std::string record(const PelixNode *node) const;

  const TraceSession &session_;
  NodeKeys &keys_;
  const PageTreeOptions &options_;
  std::vector<std::string> steps_;                     // each sub-step's JSON
  std::unordered_map<std::string, std::string> drawn_; // key -> its JSON
  std::unordered_map<std::int32_t, std::string> marks_;
  std::vector<const PelixNode *> interest_;
  // A rotation between its choice and its halves.
  bool rotating_ = false;
  RotationChoice rotation_{};
  int half_ = 0;
  std::vector<std::string> rotationReading_; // what chose it
  std::vector<std::string> rotationHalf_;    // what the half recomputed
  // A removal between its choice and the move of the record.
  const PelixNode *movingInto_ = nullptr;
  const PelixNode *movingFrom_ = nullptr;
  std::string firstRotation_ = "none";
  Command command_;
};

#endif

// Runs a script through the program's own front end and tree, one command at
// a time, and explains what each command did: the rule a refused line
// breaks, why an operation found nothing, and every change to the tree.
#ifndef MORVAVL_TOOLS_TRACER_H
#define MORVAVL_TOOLS_TRACER_H

#include "LineReader.h"
#include "MorvAVLTree.h"
#include "NodeMap.h"
#include "TreeEvents.h"
#include "TreeView.h"
#include "main.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

// One command of a traced script.
struct TraceStep {
  std::uint64_t line = 0;         // its script line, counted from 1
  std::string_view text;          // the line as read, without a dropped CR
  bool droppedCr = false;         // the line ended in CR LF
  bool missing = false;           // the input ended before this command's line
  std::uint64_t missingAfter = 0; // commands after this one without a line
  Command command;                // as parsed; views into text
  std::string answers;            // its answer lines, each with its line feed
  std::string note;               // why, in plain words; one line
};

// Collects what the tree writes, so that each command's answers can be
// taken on their own.
class AnswerCapture : public std::streambuf {
public:
  std::string text;

protected:
  int overflow(int c) override;
  std::streamsize xsputn(const char *data, std::streamsize size) override;
};

class TraceSession : private TreeEvents {
public:
  // Reads the script's count line from in.
  explicit TraceSession(std::istream &in);
  ~TraceSession() override;
  TraceSession(const TraceSession &) = delete;
  TraceSession &operator=(const TraceSession &) = delete;

  const ScriptReader &script() const { return *script_; }
  // The count line, explained.
  std::string countNote() const;

  // Performs the next command and explains it; false after the last.
  bool step(TraceStep &step);
  // Notes cost time; a caller that needs only the answers turns them off.
  void setExplaining(bool explaining) { explaining_ = explaining; }

  TreeView view() const { return TreeView(tree_); }
  // The real number of levels below and including a node, 0 for none, and
  // its real balance factor. Kept along each command's path: a stored
  // height that is stale differs from the real one.
  std::int32_t realHeight(const PelixNode *node) const;
  std::int32_t realBalance(const PelixNode &node) const;
  // Whether the last command changed or recomputed this node.
  bool touched(const PelixNode *node) const;

private:
  struct Recompute {
    const PelixNode *node;
    std::int32_t oldHeight;
    std::int32_t oldBalance;
    std::int32_t newHeight;
    std::int32_t newBalance;
    std::int32_t realBalance; // when it was recomputed
    bool byRotation;          // part of a rotation, not of the path
  };
  struct Rotation {
    TreeEvents::Rotation kind;
    const PelixNode *at;
    const PelixNode *rose;
    bool missingGrandchild; // the single rotation, taken for a double
    bool decidedOnStale;    // the factor that chose it was stale
    std::int32_t storedFactor;
    std::int32_t realFactor;
  };

  void linked(const PelixNode &node) override;
  void refused(const PelixNode &present) override;
  void recomputed(const PelixNode &node, std::int32_t oldHeight,
                  std::int32_t oldBalanceFactor) override;
  void rotated(TreeEvents::Rotation kind, const PelixNode &at,
               const PelixNode &rose) override;
  void removing(const PelixNode &node) override;
  void moving(const PelixNode &from, const PelixNode &into) override;
  void freeing(const PelixNode &node) override;

  void forget();
  void updateReal(const PelixNode &node);
  void settleRemoval();
  void explain(TraceStep &step);
  void explainRefusal(const TraceStep &step, std::string &note) const;
  void explainInsert(const Command &command, std::string &note) const;
  void explainRemoval(const TraceStep &step, std::string &note) const;
  void explainSearch(const Command &command, std::string &note) const;
  void explainListing(const Command &command, std::string &note) const;
  void explainLevelCount(std::string &note) const;
  void explainRotations(std::string &note) const;
  void explainHeights(std::string &note) const;

  AnswerCapture capture_;
  std::ostream out_;
  MorvAVLTree tree_;
  std::unique_ptr<ScriptReader> script_;
  std::uint64_t done_ = 0;
  bool inputEnded_ = false;
  bool explaining_ = true;

  // The real height of every node whose stored height is stale; every
  // other node's stored height is real.
  NodeMap realOfStale_;

  // What the current command did, in the order the tree told it.
  const PelixNode *linked_ = nullptr;
  const PelixNode *parent_ = nullptr;
  bool awaitingParent_ = false;
  const PelixNode *refused_ = nullptr;
  std::vector<Recompute> recomputes_;
  std::vector<Rotation> rotations_;
  bool removed_ = false;
  std::string removedRecord_; // as people read it, taken before it goes
  std::string removedId_;
  const PelixNode *movedInto_ = nullptr;
  bool movedFromSuccessor_ = false;
  std::vector<const PelixNode *> freed_;
  // Nodes whose real height the removal's path recomputed, root first.
  std::vector<const PelixNode *> path_;
  std::vector<const PelixNode *> touched_;
  // Room for the nodes a note looks at, kept between commands.
  mutable std::vector<const PelixNode *> checked_;
};

#endif

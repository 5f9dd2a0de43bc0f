// Records what the tree tells (TreeEvents.h) about one command at a time,
// and keeps the real height of every node whose stored height is stale.
// It takes each decision as told: it counts no calls and reads nothing into
// the shapes of nodes. Only the real heights are its own work.
#ifndef MORVAVL_TOOLS_TRACERECORDER_H
#define MORVAVL_TOOLS_TRACERECORDER_H

#include "NodeMap.h"
#include "TreeEvents.h"
#include "TreeSnapshot.h"
#include "TreeView.h"

#include <cstdint>
#include <string>
#include <vector>

class TraceRecorder final : public TreeEvents {
public:
  struct Recompute {
    const PelixNode *node;
    TreeEvents::Recompute why;
    std::int32_t oldHeight;
    std::int32_t oldBalance;
    std::int32_t newHeight;
    std::int32_t newBalance;
  };
  struct Rotation {
    RotationChoice choice;
    // The real factors of the node and its child when the choice was made.
    std::int32_t realNodeFactor;
    std::int32_t realChildFactor;
  };
  struct Removal {
    TreeEvents::Removal kind;
    const PelixNode *into;            // took the record over; null for a leaf
    const PelixNode *successorParent; // farSuccessor: recomputed
    std::string record;               // the removed one, as people read it
    std::string id;
  };

  // Forgets the last command, before the next one runs.
  void beginCommand();
  // After the command: the real heights along a removal's path, which the
  // removal did not recompute, are brought up to date from the bottom.
  void endCommand(TreeView view);
  // For a tree the recorder did not hear from the start, rebuilt from a
  // copy: every node whose stored height is stale, with its real height.
  void measure(const std::vector<TreeSnapshot::Stale> &stale);

  // What the last command did, in the order the tree told it.
  const PelixNode *linked() const { return linked_; }
  const PelixNode *parent() const { return parent_; }
  const PelixNode *refused() const { return refused_; }
  const std::vector<Recompute> &recomputes() const { return recomputes_; }
  const std::vector<Rotation> &rotations() const { return rotations_; }
  // The removal, if the command removed a record.
  const Removal *removal() const { return removed_ ? &removal_ : nullptr; }
  // The nodes on a removal's path, root first.
  const std::vector<const PelixNode *> &path() const { return path_; }
  // Freed nodes: compare their addresses only.
  const std::vector<const PelixNode *> &freed() const { return freed_; }
  // What a search wrote: the records it found.
  std::uint64_t matches() const { return matches_; }
  // Where a variant's rule made the tree do what the program does not.
  struct Varied {
    Variation what;
    const PelixNode *node;
  };
  const std::vector<Varied> &variations() const { return variations_; }
  bool varied(Variation what) const;
  // Whether the last command linked, recomputed or refilled this node, and
  // all such nodes.
  bool touched(const PelixNode *node) const;
  const std::vector<const PelixNode *> &touchedNodes() const {
    return touched_;
  }

  // The real number of levels below and including a node, 0 for none, and
  // its real balance factor.
  std::int32_t realHeight(const PelixNode *node) const;
  std::int32_t realBalance(const PelixNode &node) const;
  // The nodes whose stored height is stale.
  std::size_t staleHeights() const { return realOfStale_.size(); }

private:
  void linked(const PelixNode &node, const PelixNode *parent) override;
  void refused(const PelixNode &present) override;
  void recomputed(const PelixNode &node, TreeEvents::Recompute why,
                  std::int32_t oldHeight,
                  std::int32_t oldBalanceFactor) override;
  void rotating(const RotationChoice &choice) override;
  void removing(const RemovalChoice &choice) override;
  void freeing(const PelixNode &node) override;
  void searched(std::uint64_t matches) override;
  void varied(Variation what, const PelixNode *node) override;

  void updateReal(const PelixNode &node);

  // The real height of every node whose stored height is stale; every
  // other node's stored height is real.
  NodeMap realOfStale_;

  const PelixNode *linked_ = nullptr;
  const PelixNode *parent_ = nullptr;
  const PelixNode *refused_ = nullptr;
  std::vector<Recompute> recomputes_;
  std::vector<Rotation> rotations_;
  bool removed_ = false;
  Removal removal_;
  std::vector<const PelixNode *> freed_;
  std::vector<const PelixNode *> path_;
  std::vector<const PelixNode *> touched_;
  std::uint64_t matches_ = 0;
  std::vector<Varied> variations_;
};

#endif

// Each event is stored as told; real heights are kept only for stale
// nodes, along the paths the events name.
#include "TraceRecorder.h"

#include "Text.h"

#include <algorithm>

void TraceRecorder::beginCommand() {
  linked_ = parent_ = refused_ = nullptr;
  removed_ = false;
  recomputes_.clear();
  rotations_.clear();
  freed_.clear();
  path_.clear();
  touched_.clear();
  matches_ = 0;
  variations_.clear();
}

// A removal recomputes at most two nodes and leaves the rest of its path as
// it was, though the real heights there may have dropped. Its deepest
// change is the successor's parent, or the node that took a record over,
// or the place of the removed leaf; the real heights on the path down to
// it are recomputed from there up.
void TraceRecorder::endCommand(TreeView view) {
  if (!removed_) {
    return;
  }
  const PelixNode *deepest =
      removal_.successorParent ? removal_.successorParent : removal_.into;
  const std::string_view id =
      deepest ? deepest->idText() : std::string_view(removal_.id);
  view.descend(id, [this](const PelixNode *node) { path_.push_back(node); });
  for (auto node = path_.rbegin(); node != path_.rend(); ++node) {
    updateReal(**node);
  }
}

void TraceRecorder::measure(const std::vector<TreeSnapshot::Stale> &stale) {
  realOfStale_ = NodeMap();
  for (const TreeSnapshot::Stale &node : stale) {
    realOfStale_.set(node.node, node.realHeight);
  }
}

bool TraceRecorder::touched(const PelixNode *node) const {
  return std::find(touched_.begin(), touched_.end(), node) != touched_.end();
}

std::int32_t TraceRecorder::realHeight(const PelixNode *node) const {
  if (!node) {
    return 0;
  }
  const std::int32_t *stale = realOfStale_.find(node);
  return stale ? *stale : node->height;
}

std::int32_t TraceRecorder::realBalance(const PelixNode &node) const {
  return realHeight(node.leftChild) - realHeight(node.rightChild);
}

// A node's real height follows from its children's; where it differs from
// the stored one, it is kept.
void TraceRecorder::updateReal(const PelixNode &node) {
  const std::int32_t real =
      1 + std::max(realHeight(node.leftChild), realHeight(node.rightChild));
  if (real == node.height) {
    realOfStale_.erase(&node);
  } else {
    realOfStale_.set(&node, real);
  }
}

void TraceRecorder::linked(const PelixNode &node, const PelixNode *parent) {
  linked_ = &node;
  parent_ = parent;
  touched_.push_back(&node);
}

void TraceRecorder::refused(const PelixNode &present) { refused_ = &present; }

// Insertion recomputes its path from the bottom up, and a rotation its
// lower node first: each node's children are final when it is recomputed,
// so its real height can be taken from theirs at once.
void TraceRecorder::recomputed(const PelixNode &node, TreeEvents::Recompute why,
                               std::int32_t oldHeight,
                               std::int32_t oldBalanceFactor) {
  updateReal(node);
  recomputes_.push_back({&node, why, oldHeight, oldBalanceFactor, node.height,
                         node.balanceFactor});
  touched_.push_back(&node);
}

// The path has just recomputed the node, so the real factors are those of
// the moment of choice.
void TraceRecorder::rotating(const RotationChoice &choice) {
  rotations_.push_back(
      {choice, realBalance(*choice.node), realBalance(*choice.child)});
}

void TraceRecorder::removing(const RemovalChoice &choice) {
  removed_ = true;
  removal_.kind = choice.kind;
  removal_.into = choice.taken ? choice.node : nullptr;
  removal_.successorParent = choice.successorParent;
  removal_.record.clear();
  text::appendRecord(removal_.record, *choice.node);
  removal_.id = choice.node->idText();
  if (choice.taken) {
    touched_.push_back(choice.node);
  }
}

void TraceRecorder::freeing(const PelixNode &node) {
  freed_.push_back(&node);
  realOfStale_.erase(&node);
}

void TraceRecorder::searched(std::uint64_t matches) { matches_ = matches; }

void TraceRecorder::varied(Variation what, const PelixNode *node) {
  variations_.push_back({what, node});
}

bool TraceRecorder::varied(Variation what) const {
  return std::any_of(
      variations_.begin(), variations_.end(),
      [what](const Varied &varied) { return varied.what == what; });
}

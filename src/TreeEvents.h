// What the tree's operations do, step by step, for a tool that explains
// them. The tree tells an attached observer each step as it takes it; the
// plain program attaches none, and then each step costs one test of a null
// pointer.
#ifndef MORVAVL_TREEEVENTS_H
#define MORVAVL_TREEEVENTS_H

#include "PelixNode.h"

#include <cstdint>

class TreeEvents {
public:
  enum class Rotation : std::uint8_t { left, right, leftRight, rightLeft };

  virtual ~TreeEvents() = default;

  // Insertion linked this new node at the empty link where its ID belongs.
  // The next node recomputed, if any, is its parent.
  virtual void linked(const PelixNode &node) = 0;

  // Insertion met the ID in this node and refused the record. The path
  // above is still recomputed and may rotate.
  virtual void refused(const PelixNode &present) = 0;

  // The node's height and balance factor were recomputed from its
  // children's stored heights; the values they replaced are passed.
  virtual void recomputed(const PelixNode &node, std::int32_t oldHeight,
                          std::int32_t oldBalanceFactor) = 0;

  // A rotation of this kind was done at the node `at`, which sank; `rose`
  // is the node that now stands in its place.
  virtual void rotated(Rotation kind, const PelixNode &at,
                       const PelixNode &rose) = 0;

  // Removal: the record of this node goes. Told before anything changes.
  virtual void removing(const PelixNode &node) = 0;

  // Removal: the record of `from` is about to move into `into`, whose own
  // record has gone; `from` is freed next.
  virtual void moving(const PelixNode &from, const PelixNode &into) = 0;

  // Removal: the node is about to be freed.
  virtual void freeing(const PelixNode &node) = 0;

protected:
  TreeEvents() = default;
  TreeEvents(const TreeEvents &) = default;
  TreeEvents &operator=(const TreeEvents &) = default;
};

#endif

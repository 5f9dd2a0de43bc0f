// What the tree decides, and on which stored values, for a tool that
// explains it. The tree tells an attached observer each decision as it takes
// it, so that the observer never has to work one out from the order of
// calls or the shapes of nodes. The plain program attaches none; then each
// event site costs one test of a null pointer.
#ifndef MORVAVL_TREEEVENTS_H
#define MORVAVL_TREEEVENTS_H

#include "PelixNode.h"

#include <cstdint>

class TreeEvents {
public:
  enum class Rotation : std::uint8_t { left, right, leftRight, rightLeft };

  // A node that leans by more than one level, and the rotation chosen for
  // it, told before the rotation changes anything.
  struct RotationChoice {
    Rotation kind;
    const PelixNode *node;   // leans, and sinks
    const PelixNode *child;  // its child on the heavy side
    const PelixNode *rising; // takes node's place: child, or child's inner
                             // child in a double rotation
    // The stored factors that chose: node's chose the side, child's chose a
    // single or a double rotation.
    std::int32_t nodeFactor;
    std::int32_t childFactor;
    // child's factor called for a double rotation, but the inner grandchild
    // it rotates with is missing: the single rotation is done instead.
    bool missingGrandchild;
  };

  // How a removal replaces the record that goes.
  enum class Removal : std::uint8_t {
    leaf,                  // the node is unlinked and freed
    onlyLeftChild,         // the child's record and links move up into it
    onlyRightChild,        //   (either side)
    successorIsRightChild, // the right child's record moves up
    farSuccessor,          // the leftmost record below the right child
    // Only in a variant whose removal takes the in-order predecessor.
    predecessorIsLeftChild, // the left child's record moves up
    farPredecessor,         // the rightmost record below the left child
  };
  struct RemovalChoice {
    Removal kind;
    const PelixNode *node;  // holds the record that goes
    const PelixNode *taken; // whose record moves into node; null for a leaf
    const PelixNode *successorParent; // farSuccessor: taken's parent (and
                                      // farPredecessor's)
  };

  // Why a node's stored height and balance factor were recomputed.
  enum class Recompute : std::uint8_t {
    path,     // insertion's path, on the way back up
    rotation, // a rotation relinked it
    removal,  // a removal changed its children
  };

  virtual ~TreeEvents() = default;

  // Insertion linked this new node below parent (null: as the root).
  virtual void linked(const PelixNode &node, const PelixNode *parent) = 0;

  // Insertion met the ID in this node and refused the record. The path
  // above is still recomputed and may rotate.
  virtual void refused(const PelixNode &present) = 0;

  // The node's stored values were recomputed from its children's stored
  // heights; the values they replaced are passed.
  virtual void recomputed(const PelixNode &node, Recompute why,
                          std::int32_t oldHeight,
                          std::int32_t oldBalanceFactor) = 0;

  // A rotation is about to be done.
  virtual void rotating(const RotationChoice &choice) = 0;

  // A single rotation, or one half of a double one, is done: `risen` holds
  // the place of the node that sank, and every link is as the rotation left
  // it, so the whole tree can be read.
  virtual void rotated([[maybe_unused]] const PelixNode &risen) {}

  // A removal is about to replace a record; nothing has changed yet.
  virtual void removing(const RemovalChoice &choice) = 0;

  // Removal: the node is about to be freed.
  virtual void freeing(const PelixNode &node) = 0;

  // A search wrote this many records; none means it answered "unsuccessful".
  virtual void searched(std::uint64_t matches) = 0;

  // Where a variant's policy (Policy.h) made the tree do what the program
  // does not: which rule, and at which node (null where none is meant).
  enum class Variation : std::uint8_t {
    lazyDuplicate,        // the path above a refused duplicate kept its values
    duplicateRenamed,     // a refused duplicate's name was stored
    singleRotation,       // a child factor of 0 got a single rotation
    skippedRotation,      // a missing grandchild got no rotation at all
    retraced,             // a removal recomputed this node on its way up
    staleSuccessorParent, // the successor's parent was left as it was
    leafParentRecomputed, // a removed leaf's parent was recomputed
    predecessor,          // the in-order predecessor moved up
    silentRemoval,        // a removal on an empty tree wrote nothing
    idOrder,              // a name search wrote its IDs in ID order
    anyNameFound,         // a name search looked for a name without a letter
    realLevelCount,       // the level count was taken from the real height
    silentListing,        // a listing of an empty tree wrote no line
  };
  virtual void varied(Variation, const PelixNode *) {}

protected:
  TreeEvents() = default;
  TreeEvents(const TreeEvents &) = default;
  TreeEvents &operator=(const TreeEvents &) = default;
};

#endif

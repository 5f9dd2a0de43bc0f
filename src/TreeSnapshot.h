// A compact copy of a tree: its shape and, for each node, the record and the
// stored height and balance factor, stale or not. A tree rebuilt from it
// answers every later command as the tree it was taken from. The page
// keeps such copies along a long script, so that any command can be shown
// by running on from the nearest one.
#ifndef MORVAVL_TREESNAPSHOT_H
#define MORVAVL_TREESNAPSHOT_H

#include <cstddef>
#include <cstdint>
#include <vector>

class MorvAVLTree;
class PelixNode;

class TreeSnapshot {
public:
  // Nodes taken out of a tree that is done with, for a rebuild to use again
  // instead of allocating: jumping about a long script rebuilds trees of
  // much the same size each time. Those not used are freed with it.
  class Spare {
  public:
    Spare() = default;
    Spare(const Spare &) = delete;
    Spare &operator=(const Spare &) = delete;
    ~Spare();
    // Takes every node of the tree, which is left empty.
    void take(MorvAVLTree &tree);

  private:
    friend class TreeSnapshot;
    PelixNode *next();           // a spare node, or null when none is left
    PelixNode *first_ = nullptr; // what is left, as a tree
  };

  // A node whose stored height is stale, and its real height.
  struct Stale {
    const PelixNode *node;
    std::int32_t realHeight;
  };

  explicit TreeSnapshot(const MorvAVLTree &tree);

  // Gives a tree that has never held a record copies of the snapshot's
  // nodes, using spare ones first, and lists in `stale` the nodes whose
  // stored height is stale, as it goes. The name index is left to be built
  // by the next name search.
  void restoreInto(MorvAVLTree &tree, Spare &spare,
                   std::vector<Stale> &stale) const;
  void restoreInto(MorvAVLTree &tree) const {
    Spare none;
    std::vector<Stale> stale;
    restoreInto(tree, none, stale);
  }

  // The memory the copy takes.
  std::size_t bytes() const { return bytes_.capacity(); }

private:
  void take(const PelixNode *node);
  PelixNode *build(std::size_t &at, Spare &spare, std::int32_t &realHeight,
                   std::vector<Stale> &stale) const;

  // In pre-order, each node as: its ID's 8 digits as a little-endian 32-bit
  // number; its stored height and balance factor, a byte each (a height
  // above 127 would need 2^126 nodes); a byte of children (1: left, 2:
  // right); its name's size, 7 bits a byte, low bits first; the name.
  std::vector<unsigned char> bytes_;
};

#endif

// A read-only view of the tree's nodes, for the tools that draw and explain
// it. Nothing reached through it can change the tree.
#ifndef MORVAVL_TREEVIEW_H
#define MORVAVL_TREEVIEW_H

#include "MorvAVLTree.h"

#include <string_view>

class TreeView {
public:
  explicit TreeView(const MorvAVLTree &tree) : tree_(tree) {}

  const PelixNode *root() const { return tree_.root; }
  std::uint32_t records() const { return PelixNode::recordsOf(tree_.root); }

  // Calls visit(node) on each node from the root down towards this ID, the
  // path a search for it takes, and returns the node that holds it or null.
  template <typename Visit>
  const PelixNode *descend(std::string_view id, Visit &&visit) const {
    const PelixNode *node = tree_.root;
    while (node) {
      visit(node);
      const int order = compareIds(id, *node);
      if (order == 0) {
        return node;
      }
      node = order < 0 ? node->leftChild : node->rightChild;
    }
    return nullptr;
  }

private:
  const MorvAVLTree &tree_;
};

#endif

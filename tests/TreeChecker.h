// Reads a tree's nodes for tests and fuzzing: the invariant checker and a
// compact rendering of the shape.
#ifndef MORVAVL_TREECHECKER_H
#define MORVAVL_TREECHECKER_H

#include "MorvAVLTree.h"

#include <algorithm>
#include <cstddef>
#include <string>

class TreeInspector {
public:
  static const PelixNode *root(const MorvAVLTree &tree) { return tree.root; }
  static std::size_t records(const MorvAVLTree &tree) { return tree.records; }
};

struct TreeCheck {
  std::string error; // empty when every invariant holds
  std::size_t nodes = 0;
  int height = 0; // the real number of levels
};

namespace treecheck {

inline bool validId(const std::string &id) {
  return id.size() == 8 && std::all_of(id.begin(), id.end(), [](char c) {
           return isAsciiDigit(static_cast<unsigned char>(c));
         });
}

inline bool validName(const std::string &name) {
  return std::all_of(name.begin(), name.end(), [](char c) {
    return c == ' ' || isAsciiLetter(static_cast<unsigned char>(c));
  });
}

// Checks the subtree against the bounds its ancestors impose and returns its
// real height. Stored heights must exceed their children's; with exact set
// (no removal yet) they must be the real heights and the tree AVL-balanced.
inline int check(const PelixNode *node, const std::string *low,
                 const std::string *high, bool exact, TreeCheck &result) {
  if (!node || !result.error.empty()) {
    return 0;
  }
  ++result.nodes;
  const auto fail = [&](const char *what) {
    result.error = std::string(what) + " at " + node->id;
    return 0;
  };
  if (!validId(node->id) || !validName(node->name)) {
    return fail("invalid record");
  }
  if ((low && node->id <= *low) || (high && node->id >= *high)) {
    return fail("order broken");
  }
  const int lh = check(node->leftChild, low, &node->id, exact, result);
  const int rh = check(node->rightChild, &node->id, high, exact, result);
  if (!result.error.empty()) {
    return 0;
  }
  const int real = std::max(lh, rh) + 1;
  const int storedL = PelixNode::heightOf(node->leftChild);
  const int storedR = PelixNode::heightOf(node->rightChild);
  if (node->height <= std::max(storedL, storedR)) {
    return fail("stored height not above its children's");
  }
  if (exact && (node->height != real || node->balanceFactor != lh - rh ||
                node->balanceFactor < -1 || node->balanceFactor > 1)) {
    return fail("height or balance not exact");
  }
  return real;
}

} // namespace treecheck

inline TreeCheck checkTree(const MorvAVLTree &tree, bool exact) {
  TreeCheck result;
  result.height = treecheck::check(TreeInspector::root(tree), nullptr, nullptr,
                                   exact, result);
  if (result.error.empty() && result.nodes != TreeInspector::records(tree)) {
    result.error = "record count differs from the nodes";
  }
  return result;
}

// "name:height(left,right)", "-" for a missing child, a leaf without
// parentheses: shape and stored heights in one string.
inline std::string renderShape(const PelixNode *node) {
  if (!node) {
    return "-";
  }
  std::string text = node->name + ":" + std::to_string(node->height);
  if (node->leftChild || node->rightChild) {
    text += "(" + renderShape(node->leftChild) + "," +
            renderShape(node->rightChild) + ")";
  }
  return text;
}

inline std::string renderShape(const MorvAVLTree &tree) {
  return renderShape(TreeInspector::root(tree));
}

#endif

// Reads a tree's nodes for tests and fuzzing: the invariant checker and a
// compact rendering of the shape.
#ifndef MORVAVL_TREECHECKER_H
#define MORVAVL_TREECHECKER_H

#include "MorvAVLTree.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

class TreeInspector {
public:
  static const PelixNode *root(const MorvAVLTree &tree) { return tree.root; }
  static const NameIndex &names(const MorvAVLTree &tree) { return tree.names_; }
};

struct TreeCheck {
  std::string error; // empty when every invariant holds
  std::size_t nodes = 0;
  int height = 0; // the real number of levels
};

namespace treecheck {

inline bool validId(std::string_view id) {
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
// Record counts must be exact at all times. Collects the nodes.
using Nodes = std::vector<const PelixNode *>;

inline int check(const PelixNode *node, const std::string_view *low,
                 const std::string_view *high, bool exact, Nodes &nodes,
                 TreeCheck &result) {
  if (!node || !result.error.empty()) {
    return 0;
  }
  const std::size_t nodesBefore = result.nodes++;
  nodes.push_back(node);
  const auto fail = [&](const char *what) {
    result.error = std::string(what) + " at " + std::string(node->idText());
    return 0;
  };
  // The ID in place must be 8 digits; order and counts follow from it.
  const std::string_view id = node->idText();
  if (!validId(id) || !validName(node->name)) {
    return fail("invalid record");
  }
  if ((low && id <= *low) || (high && id >= *high)) {
    return fail("order broken");
  }
  const int lh = check(node->leftChild, low, &id, exact, nodes, result);
  const int rh = check(node->rightChild, &id, high, exact, nodes, result);
  if (!result.error.empty()) {
    return 0;
  }
  if (node->records != result.nodes - nodesBefore) {
    return fail("record count not exact");
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

// Once enabled, the name index must lead to every record by its name and
// to nothing else. Walked from each entry, a ring holds tree nodes of the
// entry's name and no other entry; the index finds each entry by its name and
// holds no other; and the rings together hold every node once.
inline std::string checkNames(const NameIndex &index, const Nodes &nodes) {
  if (!index.enabled()) {
    return index.names() == 0 ? "" : "name index kept while disabled";
  }
  Nodes inTree = nodes;
  std::sort(inTree.begin(), inTree.end());
  std::size_t entries = 0;
  std::size_t inRings = 0;
  for (const PelixNode *entry : nodes) {
    if (!entry->namesEntry) {
      continue;
    }
    ++entries;
    if (index.find(entry->name) != entry) {
      return "name index misses the name '" + entry->name + "'";
    }
    const PelixNode *node = entry;
    do {
      if (!std::binary_search(inTree.begin(), inTree.end(), node) ||
          node->name != entry->name || node->nameHash != entry->nameHash ||
          node->nextSameName->prevSameName != node ||
          (node != entry && node->namesEntry) || ++inRings > nodes.size()) {
        return "ring of the name '" + entry->name + "' broken";
      }
      node = node->nextSameName;
    } while (node != entry);
  }
  if (entries != index.names()) {
    return "name index entries differ from the names";
  }
  if (inRings != nodes.size()) {
    return "records missing from the name rings";
  }
  return "";
}

} // namespace treecheck

inline TreeCheck checkTree(const MorvAVLTree &tree, bool exact) {
  TreeCheck result;
  treecheck::Nodes nodes;
  const PelixNode *root = TreeInspector::root(tree);
  result.height =
      treecheck::check(root, nullptr, nullptr, exact, nodes, result);
  if (result.error.empty()) {
    result.error = treecheck::checkNames(TreeInspector::names(tree), nodes);
  }
  return result;
}

// What a name search answers, found by a full pre-order walk: the reference
// the name index is held to.
inline void walkForName(const PelixNode *node, const std::string &name,
                        std::string &ids) {
  if (!node) {
    return;
  }
  if (node->name == name) {
    ids += std::string(node->idText()) + "\n";
  }
  walkForName(node->leftChild, name, ids);
  walkForName(node->rightChild, name, ids);
}

inline std::string nameSearchByWalk(const MorvAVLTree &tree,
                                    const std::string &name) {
  std::string ids;
  if (isFindableName(name)) {
    walkForName(TreeInspector::root(tree), name, ids);
  }
  return ids.empty() ? "unsuccessful\n" : ids;
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

// One line per node in pre-order: ID, stored height and balance factor,
// records and name, tab-separated, as the trace's --shape writes them.
inline std::string shapeOf(const PelixNode *node) {
  if (!node) {
    return "";
  }
  return std::string(node->idText()) + "\t" + std::to_string(node->height) +
         "\t" + std::to_string(node->balanceFactor) + "\t" +
         std::to_string(node->records) + "\t" + node->name + "\n" +
         shapeOf(node->leftChild) + shapeOf(node->rightChild);
}

#endif

// The part of the tree the page draws at a moment of a step, read through
// the tree's read-only view: the top levels, the levels below nodes the
// reader opened, and the path down to every node the step has touched, so
// that the change is in the drawing however deep it happens. What is left
// out below a drawn node is summed up as its count of records. Nodes keep
// a key while they live, so that the page can move a node, not a record,
// from one drawing to the next.
#ifndef MORVAVL_WEB_PAGETREE_H
#define MORVAVL_WEB_PAGETREE_H

#include "NodeMap.h"
#include "TraceRecorder.h"
#include "TreeView.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// A key for each node, kept while it lives. A tree rebuilt from a copy has
// new nodes: each takes the key its ID had last.
class NodeKeys {
public:
  std::int32_t of(const PelixNode *node);
  void forget(const PelixNode *node);
  // After the tree was rebuilt: every key goes, and the IDs remember them.
  void rebuilt();

private:
  NodeMap keys_;
  std::unordered_map<std::int32_t, std::uint32_t> idOfKey_; // live keys
  std::unordered_map<std::uint32_t, std::int32_t> lastOfId_;
  std::int32_t next_ = 0;
};

struct DrawnNode {
  std::string key; // "n12", or "m12l" for what is left out left of node 12
  std::string json;
};

struct PageTreeOptions {
  std::uint32_t depth = 6;            // levels drawn from the top; 0: all
  std::vector<std::int32_t> expanded; // keys of nodes opened by the reader
  std::size_t most = 2000;            // nodes drawn at most, whatever the depth
};

// The drawing as its nodes' JSON, keyed. `interest` are nodes whose paths
// from the root are drawn; `marks` maps a node's key to its marks.
std::vector<DrawnNode>
drawPageTree(TreeView view, const TraceRecorder &real, NodeKeys &keys,
             const PageTreeOptions &options,
             const std::vector<const PelixNode *> &interest,
             const std::unordered_map<std::int32_t, std::string> &marks);

#endif

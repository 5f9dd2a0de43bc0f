// Pre-order with two bits of shape per node is enough to build the tree
// again; the record counts follow from the shape.
#include "TreeSnapshot.h"

#include "MorvAVLTree.h"

#include <algorithm>
#include <cstring>

TreeSnapshot::Spare::~Spare() {
  while (PelixNode *node = next()) {
    delete node;
  }
}

void TreeSnapshot::Spare::take(MorvAVLTree &tree) {
  PelixNode *node = tree.root;
  tree.root = nullptr;
  if (!node) {
    return;
  }
  // The taken tree goes on top of what is left: a node with no left child
  // takes the rest as its left subtree.
  PelixNode *last = node;
  while (last->leftChild) {
    last = last->leftChild;
  }
  last->leftChild = first_;
  first_ = node;
}

// Takes the leftmost node out of what is left, without recursion, however
// deep the tree: a node with a left child is rotated right until it has
// none. Each node is rotated at most once per child, so a whole tree comes
// out in linear time, touched as it is used.
PelixNode *TreeSnapshot::Spare::next() {
  PelixNode *node = first_;
  while (node && node->leftChild) {
    PelixNode *left = node->leftChild;
    node->leftChild = left->rightChild;
    left->rightChild = node;
    node = left;
  }
  if (node) {
    first_ = node->rightChild;
  }
  return node;
}

TreeSnapshot::TreeSnapshot(const MorvAVLTree &tree) {
  if (tree.root) {
    bytes_.reserve(tree.root->records * 12);
  }
  take(tree.root);
  bytes_.shrink_to_fit();
}

void TreeSnapshot::take(const PelixNode *node) {
  while (node) {
    std::uint32_t id = 0;
    for (const char digit : node->idText()) {
      id = id * 10 + static_cast<std::uint32_t>(digit - '0');
    }
    unsigned char head[7] = {
        static_cast<unsigned char>(id),
        static_cast<unsigned char>(id >> 8),
        static_cast<unsigned char>(id >> 16),
        static_cast<unsigned char>(id >> 24),
        static_cast<unsigned char>(node->height),
        static_cast<unsigned char>(node->balanceFactor),
        static_cast<unsigned char>((node->leftChild ? 1 : 0) |
                                   (node->rightChild ? 2 : 0))};
    bytes_.insert(bytes_.end(), head, head + sizeof head);
    std::size_t size = node->name.size();
    for (; size >= 0x80; size >>= 7) {
      bytes_.push_back(static_cast<unsigned char>(size | 0x80));
    }
    bytes_.push_back(static_cast<unsigned char>(size));
    bytes_.insert(bytes_.end(), node->name.begin(), node->name.end());
    take(node->leftChild);
    node = node->rightChild; // the right subtree without a deeper call
  }
}

PelixNode *TreeSnapshot::build(std::size_t &at, Spare &spare,
                               std::int32_t &realHeight,
                               std::vector<Stale> &stale) const {
  const unsigned char *field = bytes_.data() + at;
  std::uint32_t number = field[0] | field[1] << 8 | field[2] << 16 |
                         static_cast<std::uint32_t>(field[3]) << 24;
  char id[PelixNode::idSize];
  for (std::size_t digit = PelixNode::idSize; digit-- > 0; number /= 10) {
    id[digit] = static_cast<char>('0' + number % 10);
  }
  const std::int32_t height = static_cast<signed char>(field[4]);
  const std::int32_t factor = static_cast<signed char>(field[5]);
  const unsigned children = field[6];
  at += 7;
  std::size_t size = 0;
  for (unsigned shift = 0;; shift += 7) {
    const unsigned char byte = bytes_[at++];
    size |= static_cast<std::size_t>(byte & 0x7F) << shift;
    if (!(byte & 0x80)) {
      break;
    }
  }
  const char *name = reinterpret_cast<const char *>(bytes_.data() + at);
  at += size;
  PelixNode *node = spare.next();
  if (node) {
    node->name.assign(name, size);
    std::memcpy(node->id, id, PelixNode::idSize);
    node->nameHash = 0;
    node->namesEntry = false;
    node->prevSameName = node->nextSameName = nullptr;
  } else {
    node = new PelixNode(std::string(name, size),
                         std::string(id, PelixNode::idSize));
  }
  node->height = height;
  node->balanceFactor = factor;
  std::int32_t left = 0;
  std::int32_t right = 0;
  node->leftChild = children & 1 ? build(at, spare, left, stale) : nullptr;
  node->rightChild = children & 2 ? build(at, spare, right, stale) : nullptr;
  node->recount();
  realHeight = 1 + std::max(left, right);
  if (realHeight != height) {
    stale.push_back({node, realHeight});
  }
  return node;
}

void TreeSnapshot::restoreInto(MorvAVLTree &tree, Spare &spare,
                               std::vector<Stale> &stale) const {
  std::size_t at = 0;
  std::int32_t realHeight = 0;
  stale.clear();
  tree.root = bytes_.empty() ? nullptr : build(at, spare, realHeight, stale);
}

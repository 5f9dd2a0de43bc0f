#include "MorvAVLTree.h"

#include <algorithm>
#include <cstring>
#include <ostream>

// Invariants of the tree (referred to below as I1 to I3):
//
// I1 Order: every ID in a node's left subtree is less than the node's ID,
//    every ID in its right subtree greater. No ID occurs twice.
// I2 Heights are upper bounds: a node's stored height is greater than the
//    stored height of each child, so it is never below the real height of
//    its subtree. Insertion recomputes every node on its path from the
//    children's stored heights and rotates where the stored balanceFactor
//    leaves -1..1; while no removal has happened, stored heights are
//    therefore exact and every balanceFactor lies within -1..1.
// I3 Removal recomputes only the nodes it touches and never rotates, so
//    afterwards stored heights may be stale (too high) and balance factors
//    may lie outside -1..1. Every reader uses the stored values as they are:
//    the level count and the rotation choice of a later insertion alike.
// I4 Counts are exact: a node's records field is 1 plus its children's, at
//    all times. Whatever links a subtree differently recounts, including
//    removal along its whole path; this never touches heights (I3).
// I5 Once the first name search has enabled it, the name index holds
//    exactly the tree's records: each node is in the ring of its name, and
//    an index entry leads to each ring.
//
// Every node is a heap allocation owned by exactly one link.

namespace {

constexpr std::string_view successful = "successful";
constexpr std::string_view unsuccessful = "unsuccessful";

} // namespace

AnswerWriter::AnswerWriter(std::ostream &out)
    : out_(out.rdbuf()), failed_(out_ == nullptr) {}

void AnswerWriter::send(const char *text, std::size_t size) {
  const auto length = static_cast<std::streamsize>(size);
  failed_ =
      failed_ || out_->sputn(text, length) != length || out_->pubsync() != 0;
}

void AnswerWriter::line(std::string_view text) {
  // Most answers are short: they are framed on the stack, not in pending_.
  char frame[64];
  if (text.size() < sizeof frame) {
    std::memcpy(frame, text.data(), text.size());
    frame[text.size()] = '\n';
    send(frame, text.size() + 1);
    return;
  }
  pending_.assign(text.data(), text.size());
  endLine();
}

void AnswerWriter::endLine() {
  pending_.push_back('\n');
  send(pending_.data(), pending_.size());
  pending_.clear();
}

void AnswerWriter::repeatLine(std::string_view text, std::uint64_t times) {
  constexpr std::uint64_t batchBytes = 1 << 16;
  const std::uint64_t perBatch =
      std::max<std::uint64_t>(1, batchBytes / (text.size() + 1));
  pending_.clear();
  for (std::uint64_t i = 0; i < std::min(times, perBatch); ++i) {
    pending_.append(text.data(), text.size()).push_back('\n');
  }
  while (times > 0 && !failed_) {
    const std::uint64_t batch = std::min(times, perBatch);
    send(pending_.data(), batch * (text.size() + 1));
    times -= batch;
  }
  pending_.clear();
}

MorvAVLTree::MorvAVLTree(std::ostream &out, TreeEvents *events)
    : answers_(out), events_(events) {}

MorvAVLTree::~MorvAVLTree() {
  if (root) {
    deletePostOrder(root);
  }
}

void MorvAVLTree::deletePostOrder(Link link) {
  if (link->leftChild) {
    deletePostOrder(link->leftChild);
  }
  if (link->rightChild) {
    deletePostOrder(link->rightChild);
  }
  delete link;
  link = nullptr;
}

// ---------------------------------------------------------------- insertion

// A node that leans by more than one level is rotated; most do not.
MorvAVLTree::Link MorvAVLTree::checkForRotations(Link link) {
  const std::int32_t balanceFactor = link->balanceFactor;
  if (balanceFactor >= -1 && balanceFactor <= 1) {
    return link;
  }
  return rotateLeaning(link);
}

// The helpers update the link they are given in place, root included.
void MorvAVLTree::insert(std::string name, std::string id) {
  // A node holds an ID of exactly 8 bytes; the front end lets no other
  // through, and the tree refuses one all the same.
  if (id.size() != PelixNode::idSize) {
    answers_.line(unsuccessful);
    return;
  }
  // The index slot for the name loads while the search descends.
  newNameHash_ = names_.hash(name);
  names_.prefetch(newNameHash_);
  insert(root, name, id);
}

MorvAVLTree::Link MorvAVLTree::insert(Link link, const std::string &name,
                                      const std::string &id) {
  // Link: the search ended at the empty link where the record belongs. The
  // index makes its room first, so that nothing can fail once the node is
  // linked (I5).
  if (!link) {
    names_.reserve();
    link = new PelixNode(name, id);
    names_.add(link, newNameHash_);
    answers_.line(successful);
    if (events_) {
      events_->linked(*link);
    }
    return link;
  }

  // Search: descend by ID.
  PelixNode *node = link;
  const int order = compareIds(id, *node);
  if (order == 0) {
    answers_.line(unsuccessful);
    if (events_) {
      events_->refused(*node);
    }
    return link;
  }
  insert(order < 0 ? node->leftChild : node->rightChild, name, id);

  // Update counts and heights, then rebalance. This runs on every node of the
  // path, also after a refused duplicate, and so refreshes stale heights
  // there (I3).
  node->recount();
  recompute(node);
  return checkForRotations(link);
}

// balance() has just run on the node, so a factor beyond 1 guarantees the
// child on the heavy side. The child's own factor may be stale (I3) and claim
// an inner grandchild that is gone; the double rotation would follow that
// missing link, so the single rotation is done instead.
MorvAVLTree::Link MorvAVLTree::rotateLeaning(Link link) {
  using Rotation = TreeEvents::Rotation;
  const PelixNode *node = link;
  if (node->balanceFactor > 1) {
    const PelixNode *child = node->leftChild;
    if (child->balanceFactor > 0 || !child->rightChild) {
      return rotated(Rotation::right, node, right(link));
    }
    return rotated(Rotation::leftRight, node, leftRight(link));
  }
  const PelixNode *child = node->rightChild;
  if (child->balanceFactor < 0 || !child->leftChild) {
    return rotated(Rotation::left, node, left(link));
  }
  return rotated(Rotation::rightLeft, node, rightLeft(link));
}

MorvAVLTree::Link MorvAVLTree::rotated(TreeEvents::Rotation kind,
                                       const PelixNode *at, Link link) {
  if (events_) {
    events_->rotated(kind, *at, *link);
  }
  return link;
}

// In each rotation the node that sinks is rebalanced before the one that
// rises above it, whose height depends on it. The risen node holds the
// records the sunk one held before (I4).

/*
 *     a                 p
 *    / \               / \
 *   x   p      =>     a   z
 *      / \           / \
 *     y   z         x   y
 */
MorvAVLTree::Link MorvAVLTree::left(Link link) {
  PelixNode *a = link;
  PelixNode *p = a->rightChild;
  a->rightChild = p->leftChild;
  p->leftChild = a;
  p->records = a->records;
  a->recount();
  recompute(a);
  recompute(p);
  link = p;
  return link;
}

/*
 *       a             p
 *      / \           / \
 *     p   z   =>    x   a
 *    / \               / \
 *   x   y             y   z
 */
MorvAVLTree::Link MorvAVLTree::right(Link link) {
  PelixNode *a = link;
  PelixNode *p = a->leftChild;
  a->leftChild = p->rightChild;
  p->rightChild = a;
  p->records = a->records;
  a->recount();
  recompute(a);
  recompute(p);
  link = p;
  return link;
}

/*
 *       a               a             c
 *      /               /            /   \
 *     b       =>      c      =>    b     a
 *      \             /
 *       c           b
 */
MorvAVLTree::Link MorvAVLTree::leftRight(Link link) {
  left(link->leftChild);
  return right(link);
}

/*
 *     a             a                 c
 *      \             \              /   \
 *       b     =>      c     =>     a     b
 *      /               \
 *     c                 b
 */
MorvAVLTree::Link MorvAVLTree::rightLeft(Link link) {
  right(link->rightChild);
  return left(link);
}

// ------------------------------------------------------------------- search

void MorvAVLTree::search(std::string key) {
  bool found = false;
  if (root && !key.empty() &&
      isAsciiLetter(static_cast<unsigned char>(key.front()))) {
    searchName(key, found);
  } else if (root) {
    search(root, key, found); // an ID, or a key that matches nothing
  }
  if (!found) {
    answers_.line(unsuccessful);
  }
}

// The index yields the records with this name in no particular order; each
// one's pre-order position puts them in the order a full walk meets them.
// When they are so many that finding each position would cost more than a
// walk, the walk is done instead.
//
// The first name search builds the index, at the cost of one walk; from
// then on insertion and removal keep it (I5).
void MorvAVLTree::searchName(const std::string &name, bool &found) {
  if (!names_.enabled()) {
    names_.enable();
    indexNames(root);
  }
  const PelixNode *first = names_.find(name);
  if (!first) {
    return;
  }
  found = true;

  // Each position costs a path of at most the root's stored height (I2);
  // past this many matches, one walk over all records costs less.
  const std::size_t mostMatches =
      PelixNode::recordsOf(root) / static_cast<std::size_t>(root->height);
  matches_.clear();
  const PelixNode *record = first;
  do {
    if (matches_.size() == mostMatches) {
      search(root, name, found);
      return;
    }
    matches_.push_back({record, root, 0});
    record = record->nextSameName;
  } while (record != first);
  preOrderPositions();
  std::sort(
      matches_.begin(), matches_.end(),
      [](const Match &a, const Match &b) { return a.position < b.position; });
  for (const Match &match : matches_) {
    answers_.line(match.record->idText());
  }
}

void MorvAVLTree::indexNames(Link link) {
  names_.reserve();
  names_.add(link);
  if (link->leftChild) {
    indexNames(link->leftChild);
  }
  if (link->rightChild) {
    indexNames(link->rightChild);
  }
}

// A record's place in pre-order, found on the path from the root down to
// it (I1): every node on the way comes before it, and so does the left
// subtree of each node where the path turns right (I4). There the node and
// its left subtree are all of its records but those of the right child,
// which the path reads next anyway.
//
// The matches' paths are walked side by side, a level at a time, so that
// their reads from memory overlap instead of waiting for one another.
void MorvAVLTree::preOrderPositions() {
  for (bool walking = true; walking;) {
    walking = false;
    for (Match &match : matches_) {
      const PelixNode *node = match.at;
      if (node == match.record) {
        continue;
      }
      walking = true;
      if (compareIds(match.record->idText(), *node) < 0) {
        ++match.position;
        match.at = node->leftChild;
      } else {
        match.position +=
            node->records - PelixNode::recordsOf(node->rightChild);
        match.at = node->rightChild;
      }
    }
  }
}

void MorvAVLTree::search(ConstLink link, const std::string &key,
                         bool &found) const {
  if (key.empty()) {
    return;
  }
  const PelixNode *node = link;
  const auto first = static_cast<unsigned char>(key.front());

  // An ID: descend towards it (I1).
  if (isAsciiDigit(first)) {
    const int order = compareIds(key, *node);
    if (order == 0) {
      answers_.line(node->name);
      found = true;
      return;
    }
    if (order < 0 && node->leftChild) {
      search(node->leftChild, key, found);
    }
    if (order > 0 && node->rightChild) {
      search(node->rightChild, key, found);
    }
    return;
  }

  // A name, when it has very many records: every node is visited, in
  // pre-order.
  if (!isAsciiLetter(first)) {
    return;
  }
  if (node->name == key) {
    answers_.line(node->idText());
    found = true;
  }
  if (node->leftChild) {
    search(node->leftChild, key, found);
  }
  if (node->rightChild) {
    search(node->rightChild, key, found);
  }
}

// ------------------------------------------------------------------ removal

void MorvAVLTree::remove(std::string id) { remove(root, id); }

bool MorvAVLTree::remove(Link link, const std::string &id) {
  // Search: an empty link means the ID is absent, also in an empty tree.
  if (!link) {
    answers_.line(unsuccessful);
    return false;
  }
  // Each node of the path loses the removed record from its count on the
  // way back (I4), and nothing more: no height changes and no rotation above
  // the removal (I3).
  const int order = compareIds(id, *link);
  if (order != 0) {
    const bool removed =
        remove(order < 0 ? link->leftChild : link->rightChild, id);
    if (removed) {
      --link->records;
    }
    return removed;
  }

  // The answer is known before anything changes.
  answers_.line(successful);
  if (events_) {
    events_->removing(*link);
  }

  // Unlink: the record leaves the index (I5). A node with children takes
  // over another record and stays; only a childless node leaves its link.
  names_.remove(link);
  if (!inOrderSuc(link)) {
    release(link);
    link = nullptr;
  }
  return true;
}

// Replaces the record in the link with the one that may take its place and
// frees the node that record came from. Returns the node in the link, or
// null when it has no children and must be unlinked by the caller.
PelixNode *MorvAVLTree::inOrderSuc(Link link) {
  PelixNode *node = link;
  PelixNode *larger = node->rightChild;

  // One child: its whole content moves up, both its links included.
  if (!node->leftChild || !larger) {
    PelixNode *child = node->leftChild ? node->leftChild : larger;
    if (!child) {
      return nullptr;
    }
    takeOver(node, child);
    node->leftChild = child->leftChild;
    node->rightChild = child->rightChild;
    release(child);
    node->recount();
    recompute(node);
    return node;
  }

  // Two children: the in-order successor is the leftmost node under the
  // right child. Only its parent and this node are recomputed; the nodes in
  // between keep their stored heights (I3), though each of them loses the
  // successor from its count (I4).
  if (!larger->leftChild) {
    takeOver(node, larger);
    node->rightChild = larger->rightChild;
    release(larger);
    node->recount();
    recompute(node);
    return node;
  }
  PelixNode *parent = larger;
  PelixNode *successor = larger->leftChild;
  --larger->records;
  while (successor->leftChild) {
    parent = successor;
    --parent->records;
    successor = successor->leftChild;
  }
  takeOver(node, successor);
  parent->leftChild = successor->rightChild;
  recompute(parent);
  release(successor);
  node->recount();
  recompute(node);
  return node;
}

// Frees a node that removal has unlinked.
void MorvAVLTree::release(PelixNode *node) {
  if (events_) {
    events_->freeing(*node);
  }
  delete node;
}

// Moves another node's record into this one, with the record's place in
// the name index (I5); the other node is freed next.
void MorvAVLTree::takeOver(PelixNode *node, PelixNode *from) {
  if (events_) {
    events_->moving(*from, *node);
  }
  std::memcpy(node->id, from->id, PelixNode::idSize);
  node->name = std::move(from->name);
  names_.move(from, node);
}

void MorvAVLTree::removeInOrder(std::uint32_t n) {
  // No record has position n: this also covers the empty tree.
  if (n >= PelixNode::recordsOf(root)) {
    answers_.line(unsuccessful);
    return;
  }

  // Search: find the ID at position n, which exists since n < records.
  std::string target;
  std::uint32_t counter = n;
  if (n == 0) {
    const PelixNode *node = root;
    while (node->leftChild) {
      node = node->leftChild;
    }
    target = node->idText();
  } else {
    inOrder(root, counter, target);
  }
  remove(root, target);
}

// Walks in ascending ID order, counting down once per node passed, and
// stops at the node where the counter reaches 0. A subtree that lies wholly
// before that node is passed at once, by its count (I4), so the walk
// follows a single path.
void MorvAVLTree::inOrder(ConstLink link, std::uint32_t &counter,
                          std::string &target) const {
  if (!target.empty()) {
    return;
  }
  const std::uint32_t before = PelixNode::recordsOf(link->leftChild);
  if (counter < before) {
    inOrder(link->leftChild, counter, target);
    return;
  }
  counter -= before;
  if (counter == 0) {
    target = link->idText();
    return;
  }
  --counter;
  if (link->rightChild) {
    inOrder(link->rightChild, counter, target);
  }
}

// ----------------------------------------------------------------- listings

void MorvAVLTree::printInOrder() { printListing(&MorvAVLTree::printInOrder); }

void MorvAVLTree::printPreOrder() { printListing(&MorvAVLTree::printPreOrder); }

void MorvAVLTree::printPostOrder() {
  printListing(&MorvAVLTree::printPostOrder);
}

void MorvAVLTree::printListing(Traversal traversal) const {
  if (root) {
    bool first = false;
    (this->*traversal)(root, first);
  }
  answers_.endLine();
}

void MorvAVLTree::printInOrder(ConstLink link, bool &first) const {
  if (link->leftChild) {
    printInOrder(link->leftChild, first);
  }
  listName(link->name, first);
  if (link->rightChild) {
    printInOrder(link->rightChild, first);
  }
}

void MorvAVLTree::printPreOrder(ConstLink link, bool &first) const {
  listName(link->name, first);
  if (link->leftChild) {
    printPreOrder(link->leftChild, first);
  }
  if (link->rightChild) {
    printPreOrder(link->rightChild, first);
  }
}

void MorvAVLTree::printPostOrder(ConstLink link, bool &first) const {
  if (link->leftChild) {
    printPostOrder(link->leftChild, first);
  }
  if (link->rightChild) {
    printPostOrder(link->rightChild, first);
  }
  listName(link->name, first);
}

void MorvAVLTree::listName(const std::string &name, bool &first) const {
  std::string &line = answers_.pending();
  if (first) {
    line += ", ";
  }
  line += name;
  first = true;
}

// The stored height, stale or not (I3): callers compare this answer with
// earlier runs byte for byte.
void MorvAVLTree::printLevelCount() const {
  answers_.line(std::to_string(PelixNode::heightOf(root)));
}

// The tree's operations as named steps (search, link or unlink, update
// heights, rebalance), each a public entry over a recursive helper that
// takes a link. The invariants below are cited where they matter.
#include "MorvAVLTree.h"

#include <algorithm>
#include <cstring>

// Invariants of the tree (referred to below as I1 to I5):
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

using answer::successful;
using answer::unsuccessful;

MorvAVLTree::MorvAVLTree(AnswerSink &answers, TreeEvents *events,
                         const Policy *policy)
    : answers_(answers), events_(events), policy_(policy) {}

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

// Insertion: search down by ID, link the new node at the empty link, then
// update counts and heights and rebalance on the way back up. The helpers
// update the link they are given in place, root included.
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
  refusedBelow_ = false;
  if (policy_) {
    insert<true>(root, name, id);
  } else {
    insert<false>(root, name, id);
  }
}

template <bool Varies>
MorvAVLTree::Link MorvAVLTree::insert(Link link, std::string &name,
                                      const std::string &id) {
  // Link: the search ended at the empty link where the record belongs. The
  // index makes its room first, so that nothing can fail once the node is
  // linked (I5).
  if (!link) {
    names_.reserve();
    link = new PelixNode(std::move(name), id);
    names_.add(link, newNameHash_);
    answers_.line(successful);
    if (events_) {
      events_->linked(*link, parentOf(link));
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
    if constexpr (Varies) {
      refusedDuplicate(node, name);
    }
    return link;
  }
  insert<Varies>(order < 0 ? node->leftChild : node->rightChild, name, id);
  if constexpr (Varies) {
    if (refusedBelow_ && policy_->lazyDuplicate) {
      tellVaried(TreeEvents::Variation::lazyDuplicate, node);
      return link;
    }
  }

  // Update counts and heights, then rebalance. This runs on every node of the
  // path, also after a refused duplicate, and so refreshes stale heights
  // there (I3).
  node->recount();
  recompute(node, TreeEvents::Recompute::path);
  return checkForRotations(link);
}

// A variant's refused duplicate: it may store the new name, and may leave
// the path above as it was.
void MorvAVLTree::refusedDuplicate(PelixNode *node, std::string &name) {
  refusedBelow_ = true;
  if (policy_->duplicateRenames) {
    names_.remove(node);
    node->name = std::move(name);
    names_.reserve();
    names_.add(node, newNameHash_);
    tellVaried(TreeEvents::Variation::duplicateRenamed, node);
  }
}

// The node above this one, found by its ID (I1); null for the root. Only an
// observer asks, so the plain descent keeps no trail.
const PelixNode *MorvAVLTree::parentOf(const PelixNode *node) const {
  const PelixNode *parent = nullptr;
  for (const PelixNode *at = root; at != node;) {
    parent = at;
    at = compareIds(node->idText(), *at) < 0 ? at->leftChild : at->rightChild;
  }
  return parent;
}

// A node that leans by more than one level is rotated; most do not.
MorvAVLTree::Link MorvAVLTree::checkForRotations(Link link) {
  const std::int32_t balanceFactor = link->balanceFactor;
  if (balanceFactor >= -1 && balanceFactor <= 1) {
    return link;
  }
  return rotateLeaning(link);
}

// balance() has just run on the node, so a factor beyond 1 guarantees the
// child on the heavy side. The child's own factor may be stale (I3) and claim
// an inner grandchild that is gone; the double rotation would follow that
// missing link, so the single rotation is done instead.
MorvAVLTree::Link MorvAVLTree::rotateLeaning(Link link) {
  using Rotation = TreeEvents::Rotation;
  const PelixNode *node = link;
  bool single = false; // a variant's single rotation where the program doubles
  if (node->balanceFactor > 1) {
    const PelixNode *child = node->leftChild;
    const bool sameWay = child->balanceFactor > 0;
    if (!sameWay && policy_ &&
        !variantRotates(node, child, child->rightChild, single)) {
      return link;
    }
    if (sameWay || !child->rightChild || single) {
      tellRotation(Rotation::right, node, child, child,
                   !sameWay && !child->rightChild);
      return rotateRight(link);
    }
    tellRotation(Rotation::leftRight, node, child, child->rightChild, false);
    return rotateLeftRight(link);
  }
  const PelixNode *child = node->rightChild;
  const bool sameWay = child->balanceFactor < 0;
  if (!sameWay && policy_ &&
      !variantRotates(node, child, child->leftChild, single)) {
    return link;
  }
  if (sameWay || !child->leftChild || single) {
    tellRotation(Rotation::left, node, child, child,
                 !sameWay && !child->leftChild);
    return rotateLeft(link);
  }
  tellRotation(Rotation::rightLeft, node, child, child->leftChild, false);
  return rotateRightLeft(link);
}

// A variant's reading of the choice for a child that does not lean the
// node's way: whether to rotate at all, and whether singly.
bool MorvAVLTree::variantRotates(const PelixNode *node, const PelixNode *child,
                                 const PelixNode *inner, bool &single) {
  if (child->balanceFactor == 0 && varies(&Policy::singleOnBalancedChild)) {
    single = true;
    tellVaried(TreeEvents::Variation::singleRotation, node);
  } else if (!inner && varies(&Policy::skipMissingGrandchild)) {
    tellVaried(TreeEvents::Variation::skippedRotation, node);
    return false;
  }
  return true;
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
MorvAVLTree::Link MorvAVLTree::rotateLeft(Link link) {
  PelixNode *a = link;
  PelixNode *p = a->rightChild;
  a->rightChild = p->leftChild;
  p->leftChild = a;
  p->records = a->records;
  a->recount();
  recompute(a, TreeEvents::Recompute::rotation);
  recompute(p, TreeEvents::Recompute::rotation);
  link = p;
  if (events_) {
    events_->rotated(*p);
  }
  return link;
}

/*
 *       a             p
 *      / \           / \
 *     p   z   =>    x   a
 *    / \               / \
 *   x   y             y   z
 */
MorvAVLTree::Link MorvAVLTree::rotateRight(Link link) {
  PelixNode *a = link;
  PelixNode *p = a->leftChild;
  a->leftChild = p->rightChild;
  p->rightChild = a;
  p->records = a->records;
  a->recount();
  recompute(a, TreeEvents::Recompute::rotation);
  recompute(p, TreeEvents::Recompute::rotation);
  link = p;
  if (events_) {
    events_->rotated(*p);
  }
  return link;
}

/*
 *       a               a             c
 *      /               /            /   \
 *     b       =>      c      =>    b     a
 *      \             /
 *       c           b
 */
MorvAVLTree::Link MorvAVLTree::rotateLeftRight(Link link) {
  rotateLeft(link->leftChild);
  return rotateRight(link);
}

/*
 *     a             a                 c
 *      \             \              /   \
 *       b     =>      c     =>     a     b
 *      /               \
 *     c                 b
 */
MorvAVLTree::Link MorvAVLTree::rotateRightLeft(Link link) {
  rotateRight(link->rightChild);
  return rotateLeft(link);
}

// ------------------------------------------------------------------- search

void MorvAVLTree::search(std::string key) {
  bool found = false;
  if (root && searchedAsName(key)) {
    searchName(key, found);
  } else if (root) {
    search(root, key, found); // an ID, or a key that matches nothing
  }
  if (!found) {
    answers_.line(unsuccessful);
  }
  if (events_) {
    events_->searched(found ? matchesOf(key) : 0);
  }
}

// A key that begins with a letter is a name; for a variant, so is one that
// is empty or begins with a space.
bool MorvAVLTree::searchedAsName(const std::string &key) const {
  return isFindableName(key) || (varies(&Policy::anyNameFindable) &&
                                 (key.empty() || key.front() == ' '));
}

// How many records a search that found something wrote: one for an ID, the
// ring of the name otherwise (I5).
std::uint64_t MorvAVLTree::matchesOf(const std::string &key) const {
  if (!searchedAsName(key)) {
    return 1;
  }
  std::uint64_t matches = 0;
  const PelixNode *first = names_.find(key);
  const PelixNode *record = first;
  do {
    ++matches;
    record = record->nextSameName;
  } while (record != first);
  return matches;
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
  if (!isFindableName(name)) {
    tellVaried(TreeEvents::Variation::anyNameFound, nullptr);
  }
  const bool idOrder = varies(&Policy::namesInIdOrder);

  // Each position costs a path of at most the root's stored height (I2);
  // past this many matches, one walk over all records costs less.
  const std::size_t mostMatches =
      PelixNode::recordsOf(root) / static_cast<std::size_t>(root->height);
  matches_.clear();
  const PelixNode *record = first;
  do {
    if (matches_.size() == mostMatches && !idOrder) {
      search(root, name, found);
      return;
    }
    matches_.push_back({record, root, 0});
    record = record->nextSameName;
  } while (record != first);
  if (idOrder) {
    tellVaried(TreeEvents::Variation::idOrder, nullptr);
    std::sort(matches_.begin(), matches_.end(),
              [](const Match &a, const Match &b) {
                return a.record->key() < b.record->key();
              });
  } else {
    preOrderPositions();
    std::sort(
        matches_.begin(), matches_.end(),
        [](const Match &a, const Match &b) { return a.position < b.position; });
  }
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
  if (!isFindableName(key)) {
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

void MorvAVLTree::remove(std::string id) {
  if (!root && varies(&Policy::silentEmptyRemoval)) {
    tellVaried(TreeEvents::Variation::silentRemoval, nullptr);
    return;
  }
  leafUnlinked_ = false;
  removeFromRoot(id);
}

template <bool Varies>
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
        remove<Varies>(order < 0 ? link->leftChild : link->rightChild, id);
    if (removed) {
      --link->records;
      if constexpr (Varies) {
        retrace(link);
      }
    }
    return removed;
  }

  // The answer is known before anything changes.
  answers_.line(successful);

  // Unlink: the record leaves the index (I5). A node with children takes
  // over another record and stays; only a childless node leaves its link.
  names_.remove(link);
  if (!inOrderSuc(link)) {
    release(link);
    link = nullptr;
    leafUnlinked_ = Varies;
  } else if (Varies && policy_->retrace == Policy::Retrace::rebalance) {
    checkForRotations(link);
  }
  return true;
}

// A variant's way back up from a removal: a removed leaf's parent
// recomputed, or every node up to the root recomputed, and for the textbook
// tree rebalanced too.
void MorvAVLTree::retrace(Link link) {
  using Variation = TreeEvents::Variation;
  if (leafUnlinked_ && varies(&Policy::leafParentRecomputed)) {
    recompute(link, TreeEvents::Recompute::removal);
    tellVaried(Variation::leafParentRecomputed, link);
  }
  leafUnlinked_ = false;
  if (policy_->retrace == Policy::Retrace::none) {
    return;
  }
  recompute(link, TreeEvents::Recompute::removal);
  tellVaried(Variation::retraced, link);
  if (policy_->retrace == Policy::Retrace::rebalance) {
    checkForRotations(link);
  }
}

// The same below the removed node, on the walk to its successor: from the
// successor's parent up to the removed node's right child.
void MorvAVLTree::retraceSuccessorPath() {
  for (auto at = successorPath_.rbegin(); at != successorPath_.rend(); ++at) {
    Link link = **at;
    if (at != successorPath_.rbegin()) {
      recompute(link, TreeEvents::Recompute::removal); // the parent already was
    }
    tellVaried(TreeEvents::Variation::retraced, link);
    if (policy_->retrace == Policy::Retrace::rebalance) {
      checkForRotations(link);
    }
  }
}

// The removal's unlink step: replaces the record in the link with the one
// that takes its place, frees the node that record came from, and updates
// the heights there. Returns the node in the link, or null when it has no
// children and must be unlinked by the caller; then nothing is recomputed,
// not even its parent.
PelixNode *MorvAVLTree::inOrderSuc(Link link) {
  using Removal = TreeEvents::Removal;
  PelixNode *node = link;
  PelixNode *larger = node->rightChild;

  if (!node->leftChild && !larger) {
    tellRemoval(Removal::leaf, node, nullptr, nullptr);
    return nullptr;
  }

  if (node->leftChild && larger && varies(&Policy::predecessor)) {
    takePredecessor(node);
  } else if (!node->leftChild || !larger) {
    // One child: its whole content moves up, both its links included.
    PelixNode *child = node->leftChild ? node->leftChild : larger;
    tellRemoval(larger ? Removal::onlyRightChild : Removal::onlyLeftChild, node,
                child, nullptr);
    takeOver(node, child);
    node->leftChild = child->leftChild;
    node->rightChild = child->rightChild;
    release(child);
  } else if (!larger->leftChild) {
    // Two children, and the right child is the in-order successor.
    tellRemoval(Removal::successorIsRightChild, node, larger, nullptr);
    takeOver(node, larger);
    node->rightChild = larger->rightChild;
    release(larger);
  } else {
    takeFarSuccessor(node);
  }

  // Update heights: the node that took the record over.
  node->recount();
  recompute(node, TreeEvents::Recompute::removal);
  return node;
}

// Two children: the in-order successor is the leftmost node under the
// right child. Only its parent and this node are recomputed; the nodes in
// between keep their stored heights (I3), though each of them loses the
// successor from its count (I4).
void MorvAVLTree::takeFarSuccessor(PelixNode *node) {
  PelixNode *parent = node->rightChild;
  PelixNode *successor = parent->leftChild;
  const bool retracing = policy_ && policy_->retrace != Policy::Retrace::none;
  successorPath_.clear();
  if (retracing) {
    successorPath_.push_back(&node->rightChild);
  }
  --parent->records;
  while (successor->leftChild) {
    if (retracing) {
      successorPath_.push_back(&parent->leftChild);
    }
    parent = successor;
    --parent->records;
    successor = successor->leftChild;
  }
  tellRemoval(TreeEvents::Removal::farSuccessor, node, successor, parent);
  takeOver(node, successor);
  parent->leftChild = successor->rightChild;
  if (varies(&Policy::staleSuccessorParent)) {
    tellVaried(TreeEvents::Variation::staleSuccessorParent, parent);
  } else {
    recompute(parent, TreeEvents::Recompute::removal);
  }
  release(successor);
  if (retracing) {
    retraceSuccessorPath();
  }
}

// A variant's removal of a node with two children: the in-order
// predecessor, the rightmost record below the left child, moves up; the
// mirror image of the successor's case.
void MorvAVLTree::takePredecessor(PelixNode *node) {
  using Removal = TreeEvents::Removal;
  tellVaried(TreeEvents::Variation::predecessor, node);
  PelixNode *smaller = node->leftChild;
  if (!smaller->rightChild) {
    tellRemoval(Removal::predecessorIsLeftChild, node, smaller, nullptr);
    takeOver(node, smaller);
    node->leftChild = smaller->leftChild;
    release(smaller);
    return;
  }
  PelixNode *parent = smaller;
  PelixNode *predecessor = smaller->rightChild;
  --smaller->records;
  while (predecessor->rightChild) {
    parent = predecessor;
    --parent->records;
    predecessor = predecessor->rightChild;
  }
  tellRemoval(Removal::farPredecessor, node, predecessor, parent);
  takeOver(node, predecessor);
  parent->rightChild = predecessor->leftChild;
  recompute(parent, TreeEvents::Recompute::removal);
  release(predecessor);
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
  std::memcpy(node->id, from->id, PelixNode::idSize);
  node->name = std::move(from->name);
  names_.move(from, node);
}

void MorvAVLTree::removeInOrder(std::uint32_t n) {
  if (!root && varies(&Policy::silentEmptyRemoval)) {
    tellVaried(TreeEvents::Variation::silentRemoval, nullptr);
    return;
  }
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
  leafUnlinked_ = false;
  removeFromRoot(target);
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
  if (!root && varies(&Policy::silentEmptyListing)) {
    tellVaried(TreeEvents::Variation::silentListing, nullptr);
    return;
  }
  if (root) {
    bool nameWritten = false;
    (this->*traversal)(root, nameWritten);
  }
  answers_.endLine();
}

void MorvAVLTree::printInOrder(ConstLink link, bool &nameWritten) const {
  if (link->leftChild) {
    printInOrder(link->leftChild, nameWritten);
  }
  listName(link->name, nameWritten);
  if (link->rightChild) {
    printInOrder(link->rightChild, nameWritten);
  }
}

void MorvAVLTree::printPreOrder(ConstLink link, bool &nameWritten) const {
  listName(link->name, nameWritten);
  if (link->leftChild) {
    printPreOrder(link->leftChild, nameWritten);
  }
  if (link->rightChild) {
    printPreOrder(link->rightChild, nameWritten);
  }
}

void MorvAVLTree::printPostOrder(ConstLink link, bool &nameWritten) const {
  if (link->leftChild) {
    printPostOrder(link->leftChild, nameWritten);
  }
  if (link->rightChild) {
    printPostOrder(link->rightChild, nameWritten);
  }
  listName(link->name, nameWritten);
}

void MorvAVLTree::listName(const std::string &name, bool &nameWritten) const {
  std::string &line = answers_.pending();
  if (nameWritten) {
    line += ", ";
  }
  line += name;
  nameWritten = true;
}

// The stored height, stale or not (I3): callers compare this answer with
// earlier runs byte for byte.
void MorvAVLTree::printLevelCount() const {
  if (varies(&Policy::realLevelCount)) {
    tellVaried(TreeEvents::Variation::realLevelCount, root);
    answers_.line(std::to_string(realHeight(root)));
    return;
  }
  answers_.line(std::to_string(PelixNode::heightOf(root)));
}

// A variant's level count: the number of levels the tree really has.
std::int32_t MorvAVLTree::realHeight(const PelixNode *node) {
  return node ? 1 + std::max(realHeight(node->leftChild),
                             realHeight(node->rightChild))
              : 0;
}

// The record tree: an AVL tree of PelixNode records keyed by ID. Each
// operation writes its own answers, through the sink the tree was given.
#ifndef MORVAVL_MORVAVLTREE_H
#define MORVAVL_MORVAVLTREE_H

#include "AnswerSink.h"
#include "Ascii.h"
#include "NameIndex.h"
#include "PelixNode.h"
#include "Policy.h"
#include "TreeEvents.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class MorvAVLTree {
public:
  // Answers go to the sink. An observer, if given, is told each decision
  // the operations take (TreeEvents.h). A policy, if given, reads some rules
  // another way (Policy.h): the tree is then a variant, not the program's.
  // All three must outlive the tree.
  explicit MorvAVLTree(AnswerSink &answers, TreeEvents *events = nullptr,
                       const Policy *policy = nullptr);
  // Frees every node, children first.
  ~MorvAVLTree();
  MorvAVLTree(const MorvAVLTree &) = delete;
  MorvAVLTree &operator=(const MorvAVLTree &) = delete;

  // Another observer from now on, or none.
  void observe(TreeEvents *events) { events_ = events; }

  // Adds the record. Writes "successful" when the ID was new; writes
  // "unsuccessful" and keeps the stored record when the ID is present.
  // Either way every node above the new or present record is recomputed
  // from the stored heights and may rotate. An ID that is not 8 bytes long
  // is answered "unsuccessful" and changes nothing.
  void insert(std::string name, std::string id);

  // A key starting with a digit is an ID: writes the name of its record.
  // A key starting with a letter is a name: writes the ID of every record
  // with exactly that name, in pre-order; the name index finds them, in
  // O(log n) each. Writes "unsuccessful" when nothing matched, which is
  // always so for any other first character.
  void search(std::string key);

  // Removes the record with this ID and writes "successful", or writes
  // "unsuccessful" when no record has it (an empty tree included).
  void remove(std::string id);

  // Removes the record at position n of the ascending ID order, counted from
  // 0, exactly as remove() would; "unsuccessful" when n is not below the
  // number of records. Finds the record along one path, by subtree counts.
  void removeInOrder(std::uint32_t n);

  // Write one line: every name in that order, separated by ", ". An empty
  // tree gives an empty line.
  void printInOrder();
  void printPreOrder();
  void printPostOrder();

  // Writes the root's stored height, 0 for an empty tree.
  void printLevelCount() const;

private:
  // A link is the pointer that holds a subtree (root or a child field), so
  // a helper given the link can replace the subtree in place.
  using Link = PelixNode *&;
  using ConstLink = PelixNode *const &;

  // The name is moved into the new node, if one is made. Varies: the tree
  // has a policy; the program's own tree runs the other instance, which
  // asks nothing.
  template <bool Varies>
  Link insert(Link link, std::string &name, const std::string &id);
  const PelixNode *parentOf(const PelixNode *node) const;
  Link checkForRotations(Link link);
  Link rotateLeaning(Link link);
  // Whether the tree's variant reads this rule another way.
  bool varies(bool Policy::*rule) const { return policy_ && policy_->*rule; }
  void tellVaried(TreeEvents::Variation what, const PelixNode *node) const {
    if (events_) {
      events_->varied(what, node);
    }
  }
  void refusedDuplicate(PelixNode *node, std::string &name);
  bool variantRotates(const PelixNode *node, const PelixNode *child,
                      const PelixNode *inner, bool &single);
  void tellRotation(TreeEvents::Rotation kind, const PelixNode *node,
                    const PelixNode *child, const PelixNode *rising,
                    bool missingGrandchild) {
    if (events_) {
      events_->rotating({kind, node, child, rising, node->balanceFactor,
                         child->balanceFactor, missingGrandchild});
    }
  }
  // balance(), with the values it replaces told to an observer.
  void recompute(PelixNode *node, TreeEvents::Recompute why) {
    const std::int32_t height = node->height;
    const std::int32_t balanceFactor = node->balanceFactor;
    node->balance();
    if (events_) {
      events_->recomputed(*node, why, height, balanceFactor);
    }
  }
  Link rotateLeft(Link link);
  Link rotateRight(Link link);
  Link rotateLeftRight(Link link);
  Link rotateRightLeft(Link link);

  void search(ConstLink link, const std::string &key, bool &found) const;
  bool searchedAsName(const std::string &key) const;
  std::uint64_t matchesOf(const std::string &key) const;
  void searchName(const std::string &name, bool &found);
  void indexNames(Link link);
  // A name search's match on its way to its pre-order position.
  struct Match {
    const PelixNode *record;
    const PelixNode *at;    // where its path from the root has got to
    std::uint32_t position; // the records passed before it so far
  };
  void preOrderPositions();

  // Whether a record was removed, so that the path can be recounted.
  template <bool Varies> bool remove(Link link, const std::string &id);
  // The recursive removal from the root, in the instance the policy asks.
  void removeFromRoot(const std::string &id) {
    if (policy_) {
      remove<true>(root, id);
    } else {
      remove<false>(root, id);
    }
  }
  PelixNode *inOrderSuc(Link link);
  // A variant's removal: what it does on the way back up at this node.
  void retrace(Link link);
  void retraceSuccessorPath();
  void takeFarSuccessor(PelixNode *node);
  void takePredecessor(PelixNode *node);
  void tellRemoval(TreeEvents::Removal kind, const PelixNode *node,
                   const PelixNode *taken, const PelixNode *successorParent) {
    if (events_) {
      events_->removing({kind, node, taken, successorParent});
    }
  }
  void takeOver(PelixNode *node, PelixNode *from);
  void release(PelixNode *node);
  void inOrder(ConstLink link, std::uint32_t &counter,
               std::string &target) const;

  // nameWritten: whether the listing line holds a name already.
  void printInOrder(ConstLink link, bool &nameWritten) const;
  void printPreOrder(ConstLink link, bool &nameWritten) const;
  void printPostOrder(ConstLink link, bool &nameWritten) const;
  void listName(const std::string &name, bool &nameWritten) const;
  // One listing line: the traversal's names, then the line end.
  using Traversal = void (MorvAVLTree::*)(ConstLink, bool &) const;
  void printListing(Traversal traversal) const;

  void deletePostOrder(Link link);
  static std::int32_t realHeight(const PelixNode *node);

  // The tools read the nodes through the view, the tests' invariant
  // checker through the inspector.
  friend class TreeView;
  friend class TreeInspector;
  friend class TreeSnapshot;

  PelixNode *root = nullptr;
  NameIndex names_;
  // The index's hash of the name insert() is adding, taken once.
  std::uint32_t newNameHash_ = 0;
  // A name search's matches; kept between searches so that its room is
  // reused.
  std::vector<Match> matches_;
  // Writing an answer is not a change of the tree: const reports write.
  AnswerSink &answers_;
  TreeEvents *events_;
  const Policy *policy_;
  // A variant's state between the steps of one operation: whether the
  // insert was refused, whether a leaf was just unlinked, and the links on
  // a successor walk.
  bool refusedBelow_ = false;
  bool leafUnlinked_ = false;
  std::vector<PelixNode **> successorPath_;
};

#endif

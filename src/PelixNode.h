// One record of the tree: a name and its 8-digit ID, which is the key.
#ifndef MORVAVL_PELIXNODE_H
#define MORVAVL_PELIXNODE_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

class PelixNode {
public:
  // Both strings are taken by value and moved in, so a caller that no longer
  // needs its copies hands them over without another allocation.
  PelixNode(std::string name, std::string id)
      : name(std::move(name)), id(std::move(id)), idKey(keyOf(this->id)),
        nameHash(0), namesEntry(false) {}

  // Releases the two strings only. The children belong to the tree, which
  // frees them itself; a node never deletes its subtrees.
  ~PelixNode() = default;

  PelixNode(const PelixNode &) = delete;
  PelixNode &operator=(const PelixNode &) = delete;

  // Recomputes height and balanceFactor from the children's *stored* heights.
  // It does not recurse: a stale child stays stale and its value is used as is.
  void balance() {
    const std::int32_t lh = heightOf(leftChild);
    const std::int32_t rh = heightOf(rightChild);
    height = std::max(lh, rh) + 1;
    balanceFactor = lh - rh;
  }

  // Recounts the records of this subtree from the children's counts.
  void recount() { records = 1 + recordsOf(leftChild) + recordsOf(rightChild); }

  // The stored height of a subtree; a missing subtree has none.
  static std::int32_t heightOf(const PelixNode *node) {
    return node ? node->height : 0;
  }

  // The first eight bytes of an ID, zero-padded, as one big-endian number.
  // Two IDs whose keys differ compare as their keys do; only equal keys
  // need the strings. All IDs in the tree are eight bytes long, so there a
  // key stands for the whole ID.
  static std::uint64_t keyOf(std::string_view id) {
    if (id.size() >= 8) {
      return bigEndian(id.data());
    }
    char bytes[8] = {};
    std::memcpy(bytes, id.data(), id.size());
    return bigEndian(bytes);
  }

  // The records in a subtree; a missing subtree has none.
  static std::uint32_t recordsOf(const PelixNode *node) {
    return node ? node->records : 0;
  }

  std::string name;
  std::string id;
  PelixNode *leftChild = nullptr;
  PelixNode *rightChild = nullptr;
  std::int32_t height = 1;
  std::int32_t balanceFactor = 0;

  // keyOf(id), kept beside the child links so that a descent compares IDs
  // without reading the id string.
  std::uint64_t idKey;

  // The records in the subtree rooted here, this one included. Unlike the
  // stored height, this count is exact at all times, so a position in ID
  // order or in pre-order can be found along a single path.
  std::uint32_t records = 1;

  // Kept by the name index (NameIndex.h): the records that share a name form
  // a ring through these links, and the index holds the one marked
  // namesEntry. nameHash is the 31-bit hash of the name.
  std::uint32_t nameHash : 31;
  std::uint32_t namesEntry : 1;
  PelixNode *prevSameName = nullptr;
  PelixNode *nextSameName = nullptr;

private:
  static std::uint64_t bigEndian(const char *eightBytes) {
    const auto *b = reinterpret_cast<const unsigned char *>(eightBytes);
    return std::uint64_t{b[0]} << 56 | std::uint64_t{b[1]} << 48 |
           std::uint64_t{b[2]} << 40 | std::uint64_t{b[3]} << 32 |
           std::uint64_t{b[4]} << 24 | std::uint64_t{b[5]} << 16 |
           std::uint64_t{b[6]} << 8 | std::uint64_t{b[7]};
  }
};

// Orders an ID against a node's: negative, zero or positive as the ID comes
// before the node's, equals it or follows it. IDs order as strings, byte by
// byte, then by length. Their keys order the same way wherever they differ,
// and in the tree they differ for all but the same ID.
inline int compareIds(std::string_view id, const PelixNode &node) {
  const std::uint64_t key = PelixNode::keyOf(id);
  if (key != node.idKey) {
    return key < node.idKey ? -1 : 1;
  }
  return id.compare(node.id);
}

#endif

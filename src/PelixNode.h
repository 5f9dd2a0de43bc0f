// One record of the tree: a name and its 8-digit ID, which is the key.
// Nodes are 8-byte aligned everywhere, 32-bit targets included: the name
// index keeps three bits of a hash in the low bits of a node's address.
#ifndef MORVAVL_PELIXNODE_H
#define MORVAVL_PELIXNODE_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

class alignas(8) PelixNode {
public:
  // An ID is exactly this many bytes.
  static constexpr std::size_t idSize = 8;

  // Both strings are taken by value. The name is moved in, so a caller that
  // no longer needs its copy hands it over without another allocation; the
  // ID, which must be idSize bytes long, is copied into the node.
  PelixNode(std::string name, std::string id)
      : name(std::move(name)), nameHash(0), namesEntry(false) {
    std::memcpy(this->id, id.data(), idSize);
  }

  // Releases the name only. The children belong to the tree, which frees
  // them itself; a node never deletes its subtrees.
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

  // The ID as text.
  std::string_view idText() const { return {id, idSize}; }

  // The stored height of a subtree; a missing subtree has none.
  static std::int32_t heightOf(const PelixNode *node) {
    return node ? node->height : 0;
  }

  // The first eight bytes of an ID, zero-padded, as one big-endian number.
  // Two IDs whose keys differ compare as their keys do; only IDs of other
  // lengths than eight can share a key and still differ.
  static std::uint64_t keyOf(std::string_view id) {
    if (id.size() >= idSize) {
      return bigEndian(id.data());
    }
    char bytes[idSize] = {};
    std::memcpy(bytes, id.data(), id.size());
    return bigEndian(bytes);
  }
  std::uint64_t key() const { return bigEndian(id); }

  // The records in a subtree; a missing subtree has none.
  static std::uint32_t recordsOf(const PelixNode *node) {
    return node ? node->records : 0;
  }

  std::string name;
  // The ID's 8 characters, in place: the same text, ordered byte by byte
  // as before, without a string around it. Descents compare it as one
  // big-endian number (key()).
  char id[idSize];
  PelixNode *leftChild = nullptr;
  PelixNode *rightChild = nullptr;
  std::int32_t height = 1;
  std::int32_t balanceFactor = 0;

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

// Every node is a heap block of its own, and there may be a hundred
// million: on 64-bit glibc a node of at most 88 bytes takes a 96-byte block.
static_assert(sizeof(void *) != 8 || sizeof(std::string) != 32 ||
                  sizeof(PelixNode) <= 88,
              "a node no longer fits a 96-byte heap block");

// Orders an ID against a node's: negative, zero or positive as the ID comes
// before the node's, equals it or follows it. IDs order as strings, byte by
// byte, then by length; a node's ID is always 8 bytes, so where the keys
// agree, only the length can differ.
inline int compareIds(std::string_view id, const PelixNode &node) {
  const std::uint64_t key = PelixNode::keyOf(id);
  const std::uint64_t nodeKey = node.key();
  if (key != nodeKey) {
    return key < nodeKey ? -1 : 1;
  }
  if (id.size() == PelixNode::idSize) {
    return 0;
  }
  return id.size() < PelixNode::idSize ? -1 : 1;
}

#endif

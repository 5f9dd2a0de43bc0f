// The index from a name to the records that carry it, so that a search by
// name need not visit the whole tree.
#ifndef MORVAVL_NAMEINDEX_H
#define MORVAVL_NAMEINDEX_H

#include "PelixNode.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

// The records that share a name form a ring through their nodes'
// prevSameName and nextSameName links. The index is an open-addressing hash
// table (linear probing, at most half full) that holds one node of each
// ring, marked namesEntry. Every change is O(1) expected, however many
// records share the name: nothing ever walks a ring except to list it.
//
// A slot holds the entry's address with three bits of its name's hash in
// the address's low bits, which are always zero; a probe reads a node only
// when those bits match.
//
// The hash is keyed with a random key drawn when the index is enabled, so
// that no set of names chosen in advance can crowd one probe run: every
// change stays O(1) expected on any input. The answers never depend on the
// key.
//
// The index follows records, not nodes: when removal moves a record into
// another node, that node takes the record's place in its ring.
//
// It is kept only once enabled: until then every operation below is a
// no-op, and the ring links of the nodes mean nothing. So a script that
// never searches by name never pays for the index.
class NameIndex {
public:
  NameIndex() = default;
  NameIndex(const NameIndex &) = delete;
  NameIndex &operator=(const NameIndex &) = delete;

  // From now on the index is kept. The caller adds every existing record.
  void enable();
  bool enabled() const { return slots_ != nullptr; }

  // Makes room for one more name, so that the next add() cannot fail. Only
  // this and enable() allocate.
  void reserve();

  // The hash of a name, 0 while the index is not kept. An insert takes it
  // once, for prefetch() before its descent and add() after.
  std::uint32_t hash(std::string_view name) const {
    return slots_ ? hashOf(name) : 0;
  }

  // Starts loading the slot where a record with a name of this hash will be
  // entered, so that a later add() finds it in the cache. Changes nothing.
  void prefetch(std::uint32_t hash) const;

  // Enters a node, whose name is set and has this hash, into its name's
  // ring.
  void add(PelixNode *node, std::uint32_t hash);
  void add(PelixNode *node) { add(node, hash(node->name)); }

  // Takes a node out of its name's ring, before its record is freed or
  // replaced.
  void remove(PelixNode *node);

  // Hands the ring place of from's record to node, which has taken the
  // record over and is in no ring itself.
  void move(PelixNode *from, PelixNode *node);

  // A record with this name, from which its ring leads to all the others,
  // or null when no record has it.
  const PelixNode *find(std::string_view name) const;

  // The number of distinct names.
  std::size_t names() const { return used_; }

  // The slots a lookup of this name reads, its own included: what finding
  // it costs, and what adding it cost when no entry has moved since.
  std::size_t probeLength(std::string_view name) const;

private:
  // An entry's address plus its tag, which points into the entry itself;
  // null when the slot is empty.
  using Slot = char *;
  // The low bits of a node's address, always zero, that carry the tag.
  static constexpr std::uintptr_t tagBits = 7;
  static_assert(alignof(PelixNode) > tagBits, "node addresses need the bits");

  static std::uint64_t randomWord();
  std::uint32_t hashOf(std::string_view name) const;
  static Slot slotFor(PelixNode *entry);
  static std::uintptr_t tagOf(std::uint32_t hash);
  static std::uintptr_t tagIn(Slot slot);
  static PelixNode *entryIn(Slot slot);
  std::size_t home(std::uint32_t hash) const { return hash & mask_; }
  std::size_t next(std::size_t slot) const { return (slot + 1) & mask_; }
  // The slot of the entry with this name, or the empty slot where it
  // belongs.
  std::size_t probe(std::string_view name, std::uint32_t hash) const;
  // The slot that holds this ring entry.
  std::size_t slotOf(PelixNode *entry) const;
  void erase(std::size_t slot);

  std::unique_ptr<Slot[]> slots_;
  std::size_t mask_ = 0; // the slot count minus one; no slots at first
  std::size_t used_ = 0;
  std::uint64_t key_[2] = {0, 0};
};

#endif

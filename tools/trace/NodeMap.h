// A map from nodes to small numbers, for a tool that keeps a value beside
// some of the tree's nodes: an open-addressing table with linear probing,
// at most half full, that deletes by shifting later entries back.
#ifndef MORVAVL_TOOLS_NODEMAP_H
#define MORVAVL_TOOLS_NODEMAP_H

#include "PelixNode.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class NodeMap {
public:
  bool empty() const { return used_ == 0; }
  std::size_t size() const { return used_; }

  // The node's value, or null when it has none.
  const std::int32_t *find(const PelixNode *node) const {
    if (used_ == 0) {
      return nullptr;
    }
    const Slot &slot = slots_[probe(node)];
    return slot.node ? &slot.value : nullptr;
  }

  void set(const PelixNode *node, std::int32_t value) {
    if ((used_ + 1) * 2 > slots_.size()) {
      grow();
    }
    Slot &slot = slots_[probe(node)];
    used_ += slot.node ? 0 : 1;
    slot = {node, value};
  }

  void erase(const PelixNode *node) {
    if (used_ == 0) {
      return;
    }
    std::size_t hole = probe(node);
    if (!slots_[hole].node) {
      return;
    }
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t later = (hole + 1) & mask; slots_[later].node;
         later = (later + 1) & mask) {
      // An entry may fill the hole unless its home lies cyclically after
      // the hole, up to the entry's own slot.
      const std::size_t fromHome = (later - home(slots_[later].node)) & mask;
      if (fromHome >= ((later - hole) & mask)) {
        slots_[hole] = slots_[later];
        hole = later;
      }
    }
    slots_[hole] = {};
    --used_;
  }

private:
  struct Slot {
    const PelixNode *node = nullptr;
    std::int32_t value = 0;
  };

  std::size_t home(const PelixNode *node) const {
    const auto bits = reinterpret_cast<std::uintptr_t>(node) >> 4;
    return static_cast<std::size_t>(bits * 0x9E3779B97F4A7C15ull >> 32) &
           (slots_.size() - 1);
  }

  // The node's slot, or the empty one where it belongs.
  std::size_t probe(const PelixNode *node) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t slot = home(node);
    while (slots_[slot].node && slots_[slot].node != node) {
      slot = (slot + 1) & mask;
    }
    return slot;
  }

  void grow() {
    std::vector<Slot> old(slots_.empty() ? 16 : slots_.size() * 2);
    old.swap(slots_);
    used_ = 0;
    for (const Slot &slot : old) {
      if (slot.node) {
        set(slot.node, slot.value);
      }
    }
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};

#endif

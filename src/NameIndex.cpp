#include "NameIndex.h"

#include <functional>

namespace {

// Ring links of a record alone with its name.
void makeRing(PelixNode *node) {
  node->prevSameName = node;
  node->nextSameName = node;
}

} // namespace

std::uint32_t NameIndex::hashOf(std::string_view name) {
  return static_cast<std::uint32_t>(std::hash<std::string_view>{}(name));
}

void NameIndex::reserve() {
  const std::size_t capacity = slots_ ? mask_ + 1 : 0;
  if ((used_ + 1) * 2 <= capacity) {
    return;
  }
  const std::size_t grown = capacity ? capacity * 2 : 16;
  auto old = std::move(slots_);
  slots_ = std::make_unique<PelixNode *[]>(grown);
  mask_ = grown - 1;
  for (std::size_t i = 0; i < capacity; ++i) {
    if (PelixNode *entry = old[i]) {
      std::size_t slot = home(entry->nameHash);
      while (slots_[slot]) {
        slot = next(slot);
      }
      slots_[slot] = entry;
    }
  }
}

void NameIndex::add(PelixNode *node) {
  const std::uint32_t hash = hashOf(node->name);
  node->nameHash = hash;
  node->namesEntry = false;
  std::size_t slot = home(hash);
  for (; slots_[slot]; slot = next(slot)) {
    PelixNode *entry = slots_[slot];
    if (entry->nameHash == hash && entry->name == node->name) {
      // Join the ring right after its entry.
      node->prevSameName = entry;
      node->nextSameName = entry->nextSameName;
      entry->nextSameName->prevSameName = node;
      entry->nextSameName = node;
      return;
    }
  }
  // A new name: reserve() left room for it.
  makeRing(node);
  node->namesEntry = true;
  slots_[slot] = node;
  ++used_;
}

void NameIndex::remove(PelixNode *node) {
  PelixNode *after = node->nextSameName;
  if (after == node) {
    erase(slotOf(node));
  } else {
    node->prevSameName->nextSameName = after;
    after->prevSameName = node->prevSameName;
    if (node->namesEntry) {
      slots_[slotOf(node)] = after;
      after->namesEntry = true;
    }
  }
  makeRing(node);
  node->namesEntry = false;
}

void NameIndex::move(PelixNode *from, PelixNode *node) {
  node->nameHash = from->nameHash;
  node->namesEntry = from->namesEntry;
  if (from->nextSameName == from) {
    makeRing(node);
  } else {
    node->prevSameName = from->prevSameName;
    node->nextSameName = from->nextSameName;
    node->prevSameName->nextSameName = node;
    node->nextSameName->prevSameName = node;
  }
  if (from->namesEntry) {
    slots_[slotOf(from)] = node;
  }
  makeRing(from);
  from->namesEntry = false;
}

const PelixNode *NameIndex::find(std::string_view name) const {
  if (!slots_) {
    return nullptr;
  }
  const std::uint32_t hash = hashOf(name);
  for (std::size_t slot = home(hash); slots_[slot]; slot = next(slot)) {
    const PelixNode *entry = slots_[slot];
    if (entry->nameHash == hash && entry->name == name) {
      return entry;
    }
  }
  return nullptr;
}

std::size_t NameIndex::slotOf(const PelixNode *entry) const {
  std::size_t slot = home(entry->nameHash);
  while (slots_[slot] != entry) {
    slot = next(slot);
  }
  return slot;
}

// Empties the slot and moves later entries of its probe run back, so that
// every entry stays reachable from its home slot without tombstones.
void NameIndex::erase(std::size_t slot) {
  std::size_t hole = slot;
  for (std::size_t later = next(slot); slots_[later]; later = next(later)) {
    // An entry may fill the hole unless its home lies cyclically after the
    // hole, up to the entry's own slot.
    const std::size_t distanceFromHome =
        (later - home(slots_[later]->nameHash)) & mask_;
    if (distanceFromHome >= ((later - hole) & mask_)) {
      slots_[hole] = slots_[later];
      hole = later;
    }
  }
  slots_[hole] = nullptr;
  --used_;
}

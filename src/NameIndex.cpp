// The index's table: linear probing under a keyed hash, deletion by
// backward shift, and the rings of records that share a name.
#include "NameIndex.h"

#include <chrono>
#include <exception>
#include <random>

namespace {

constexpr std::size_t minimumSlots = 16;

// Asks for a cache line that will be needed soon; only a hint.
void prefetchLine(const void *address) {
#if defined(__GNUC__)
  __builtin_prefetch(address);
#else
  static_cast<void>(address);
#endif
}

// Ring links of a record alone with its name.
void makeRing(PelixNode *node) {
  node->prevSameName = node;
  node->nextSameName = node;
}

} // namespace

// A random 64-bit word from the system; should it have no source of
// randomness, the clock is a poorer one.
std::uint64_t NameIndex::randomWord() {
  try {
    std::random_device device;
    return std::uint64_t{device()} << 32 ^ device();
  } catch (const std::exception &) {
    return static_cast<std::uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count());
  }
}

// SipHash-1-3 of the name under the index's key, cut to as many bits as a
// node keeps. Without the key, nobody can choose names that land in one
// probe run: the function of a key that is not known looks random.
std::uint32_t NameIndex::hashOf(std::string_view name) const {
  std::uint64_t v0 = key_[0] ^ 0x736f6d6570736575ull;
  std::uint64_t v1 = key_[1] ^ 0x646f72616e646f6dull;
  std::uint64_t v2 = key_[0] ^ 0x6c7967656e657261ull;
  std::uint64_t v3 = key_[1] ^ 0x7465646279746573ull;
  const auto rotate = [](std::uint64_t x, int bits) {
    return x << bits | x >> (64 - bits);
  };
  const auto round = [&] {
    v0 += v1;
    v1 = rotate(v1, 13) ^ v0;
    v0 = rotate(v0, 32);
    v2 += v3;
    v3 = rotate(v3, 16) ^ v2;
    v0 += v3;
    v3 = rotate(v3, 21) ^ v0;
    v2 += v1;
    v1 = rotate(v1, 17) ^ v2;
    v2 = rotate(v2, 32);
  };
  // Eight bytes at a time, little-endian; the last word holds the length
  // in its top byte.
  const auto *bytes = reinterpret_cast<const unsigned char *>(name.data());
  const std::size_t whole = name.size() & ~std::size_t{7};
  for (std::size_t i = 0; i <= whole; i += 8) {
    std::uint64_t word = 0;
    if (i < whole) {
      for (int b = 7; b >= 0; --b) {
        word = word << 8 | bytes[i + static_cast<std::size_t>(b)];
      }
    } else {
      word = std::uint64_t{name.size() & 0xFF} << 56;
      for (std::size_t b = name.size() - whole; b > 0; --b) {
        word |= std::uint64_t{bytes[whole + b - 1]} << (8 * (b - 1));
      }
    }
    v3 ^= word;
    round();
    v0 ^= word;
  }
  v2 ^= 0xFF;
  round();
  round();
  round();
  return static_cast<std::uint32_t>((v0 ^ v1 ^ v2 ^ v3) >> 33);
}

// The tag comes from the hash's high bits: the low ones pick the home slot,
// so neighbouring entries share them more often.
std::uintptr_t NameIndex::tagOf(std::uint32_t hash) {
  return (hash >> 28) & tagBits;
}

NameIndex::Slot NameIndex::slotFor(PelixNode *entry) {
  return reinterpret_cast<char *>(entry) + tagOf(entry->nameHash);
}

std::uintptr_t NameIndex::tagIn(Slot slot) {
  return reinterpret_cast<std::uintptr_t>(slot) & tagBits;
}

// Null for an empty slot.
PelixNode *NameIndex::entryIn(Slot slot) {
  return reinterpret_cast<PelixNode *>(slot - tagIn(slot));
}

void NameIndex::enable() {
  if (!slots_) {
    key_[0] = randomWord();
    key_[1] = randomWord();
    slots_ = std::make_unique<Slot[]>(minimumSlots);
    mask_ = minimumSlots - 1;
  }
}

void NameIndex::reserve() {
  const std::size_t capacity = mask_ + 1;
  if (!slots_ || (used_ + 1) * 2 <= capacity) {
    return;
  }
  auto old = std::move(slots_);
  slots_ = std::make_unique<Slot[]>(capacity * 2);
  mask_ = capacity * 2 - 1;
  // Every entry's home depends on its hash, kept in its node: those reads
  // are issued a few entries ahead, so that they overlap.
  constexpr std::size_t ahead = 8;
  for (std::size_t i = 0; i < capacity; ++i) {
    if (i + ahead < capacity && old[i + ahead]) {
      prefetchLine(entryIn(old[i + ahead]));
    }
    if (!old[i]) {
      continue;
    }
    std::size_t slot = home(entryIn(old[i])->nameHash);
    while (slots_[slot]) {
      slot = next(slot);
    }
    slots_[slot] = old[i];
  }
}

void NameIndex::prefetch(std::uint32_t hash) const {
  if (slots_) {
    prefetchLine(&slots_[home(hash)]);
  }
}

void NameIndex::add(PelixNode *node, std::uint32_t hash) {
  if (!slots_) {
    return;
  }
  node->nameHash = hash;
  node->namesEntry = false;
  const std::size_t slot = probe(node->name, hash);
  if (PelixNode *entry = entryIn(slots_[slot])) {
    // Join the ring right after its entry.
    node->prevSameName = entry;
    node->nextSameName = entry->nextSameName;
    entry->nextSameName->prevSameName = node;
    entry->nextSameName = node;
    return;
  }
  // A new name: reserve() left room for it.
  makeRing(node);
  node->namesEntry = true;
  slots_[slot] = slotFor(node);
  ++used_;
}

void NameIndex::remove(PelixNode *node) {
  if (!slots_) {
    return;
  }
  PelixNode *after = node->nextSameName;
  if (after == node) {
    erase(slotOf(node));
  } else {
    node->prevSameName->nextSameName = after;
    after->prevSameName = node->prevSameName;
    if (node->namesEntry) {
      after->namesEntry = true;
      slots_[slotOf(node)] = slotFor(after);
    }
  }
  makeRing(node);
  node->namesEntry = false;
}

void NameIndex::move(PelixNode *from, PelixNode *node) {
  if (!slots_) {
    return;
  }
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
    slots_[slotOf(from)] = slotFor(node);
  }
  makeRing(from);
  from->namesEntry = false;
}

const PelixNode *NameIndex::find(std::string_view name) const {
  if (!slots_) {
    return nullptr;
  }
  return entryIn(slots_[probe(name, hashOf(name))]);
}

std::size_t NameIndex::probe(std::string_view name, std::uint32_t hash) const {
  std::size_t slot = home(hash);
  for (; slots_[slot]; slot = next(slot)) {
    const PelixNode *entry = entryIn(slots_[slot]);
    if (tagIn(slots_[slot]) == tagOf(hash) && entry->nameHash == hash &&
        entry->name == name) {
      return slot;
    }
  }
  return slot;
}

std::size_t NameIndex::probeLength(std::string_view name) const {
  if (!slots_) {
    return 0;
  }
  const std::size_t found = probe(name, hashOf(name));
  return ((found - home(hashOf(name))) & mask_) + 1;
}

std::size_t NameIndex::slotOf(PelixNode *entry) const {
  const Slot wanted = slotFor(entry);
  std::size_t slot = home(entry->nameHash);
  while (slots_[slot] != wanted) {
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
        (later - home(entryIn(slots_[later])->nameHash)) & mask_;
    if (distanceFromHome >= ((later - hole) & mask_)) {
      slots_[hole] = slots_[later];
      hole = later;
    }
  }
  slots_[hole] = nullptr;
  --used_;
}

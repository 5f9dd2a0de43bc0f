// Names that all land in one probe run of an unkeyed name index: the hash
// the index used before it was keyed, std::hash cut to 31 bits, sends each
// of them to slot 0 of a table of 2^bits slots (and of any smaller one).
// Found by trying names in turn; the test and the benchmark share them.
#ifndef MORVAVL_COLLIDINGNAMES_H
#define MORVAVL_COLLIDINGNAMES_H

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The i-th name of letters: a, b, ..., Z, ba, bb, ...
inline std::string lettersName(std::uint64_t i) {
  std::string name;
  for (; i; i /= 52) {
    const auto letter = static_cast<char>(i % 52);
    name += letter < 26 ? 'a' + letter : 'A' + (letter - 26);
  }
  return name;
}

inline std::vector<std::string> namesCollidingUnkeyed(std::size_t count,
                                                      unsigned bits) {
  const std::uint32_t mask = (std::uint32_t{1} << bits) - 1;
  std::vector<std::string> names;
  for (std::uint64_t i = 1; names.size() < count; ++i) {
    std::string name = lettersName(i);
    const auto hash =
        static_cast<std::uint32_t>(std::hash<std::string_view>{}(name)) >> 1;
    if ((hash & mask) == 0) {
      names.push_back(std::move(name));
    }
  }
  return names;
}

#endif

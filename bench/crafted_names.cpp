// Writes a script that attacks an unkeyed name index: a name search, so
// that the index is kept, then COUNT inserts of distinct names that all land
// in one probe run of a 2^BITS-slot table under std::hash cut to 31 bits,
// the function the index used before its hash was keyed. With "random",
// the same number of names of the same lengths, drawn at random instead.
// Usage: crafted_names COUNT BITS [random]   (COUNT at most 2^(BITS-1))
#include "CollidingNames.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s COUNT BITS [random]\n", argv[0]);
    return 2;
  }
  const std::uint64_t count = std::strtoull(argv[1], nullptr, 10);
  const auto bits = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
  const bool random = argc > 3 && std::string(argv[3]) == "random";
  std::mt19937_64 rng(1);
  std::printf("%llu\ninsert \"First\" 10000000\nsearch \"First\"\n",
              static_cast<unsigned long long>(count + 2));
  std::uint64_t id = 20000000;
  for (std::string name : namesCollidingUnkeyed(count, bits)) {
    if (random) {
      for (char &c : name) {
        c = static_cast<char>('a' + rng() % 26);
      }
    }
    std::printf("insert \"%s\" %llu\n", name.c_str(),
                static_cast<unsigned long long>(id++));
  }
  return 0;
}

// Writes a script that attacks an unkeyed name index: a name search, so
// that the index is kept, then COUNT inserts of distinct names that all land
// in one probe run of a 2^BITS-slot table under std::hash cut to 31 bits,
// the function the index used before its hash was keyed. With "random",
// the same number of names of the same lengths, drawn at random instead.
// Usage: crafted_names COUNT BITS [random]   (COUNT at most 2^(BITS-1))
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <string_view>

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s COUNT BITS [random]\n", argv[0]);
    return 2;
  }
  const std::uint64_t count = std::strtoull(argv[1], nullptr, 10);
  const std::uint32_t mask = (1u << std::strtoul(argv[2], nullptr, 10)) - 1;
  const bool random = argc > 3 && std::string(argv[3]) == "random";
  std::mt19937_64 rng(1);
  std::printf("%llu\ninsert \"First\" 10000000\nsearch \"First\"\n",
              static_cast<unsigned long long>(count + 2));
  std::uint64_t found = 0;
  for (std::uint64_t i = 1; found < count; ++i) {
    std::string name;
    for (std::uint64_t n = i; n; n /= 52) {
      const auto letter = static_cast<char>(n % 52);
      name += letter < 26 ? 'a' + letter : 'A' + (letter - 26);
    }
    const auto hash =
        static_cast<std::uint32_t>(std::hash<std::string_view>{}(name)) >> 1;
    if ((hash & mask) != 0) {
      continue;
    }
    if (random) {
      for (char &c : name) {
        c = static_cast<char>('a' + rng() % 26);
      }
    }
    std::printf("insert \"%s\" %llu\n", name.c_str(),
                static_cast<unsigned long long>(20000000 + found++));
  }
  return 0;
}

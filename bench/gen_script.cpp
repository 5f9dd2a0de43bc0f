// Writes a deterministic command script: gen_script KIND COUNT [SEED]
//   mixed    60% insert, 20% search by ID, 10% remove by ID,
//            10% removeInorder of a small position
//   mixed-names  50% insert with repeating names, 10% search by ID, 10%
//            remove by ID, 10% removeInorder anywhere, 20% name search
//   insert   inserts only
//   search   a tenth inserts, then searches by ID (mostly hits)
//   listing  about a thousand records kept, a tenth of the commands listings
//   stress   COUNT ascending inserts, removals from the smallest upwards
//            until a thousand are left, then every listing
//   distinct COUNT inserts of distinct random IDs, every name distinct
// Scaling scripts: COUNT inserts of distinct random IDs, with names drawn
// from COUNT/4 distinct ones, then 100,000 commands of one kind:
//   scale-base      none: the inserts alone, to subtract
//   scale-id        searches by ID of stored records
//   scale-position  removeInorder at random in-range positions; at most
//                   COUNT/2 of them, so that half the records remain
//   scale-name      name searches of stored names, about four matches each
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

std::mt19937_64 rng;
std::vector<std::string> ids; // inserted so far, for searches and removals
std::string out;

std::uint64_t below(std::uint64_t n) { return rng() % n; }

void emit(const std::string &line) {
  out += line;
  out += '\n';
  if (out.size() > (1 << 20)) {
    std::fwrite(out.data(), 1, out.size(), stdout);
    out.clear();
  }
}

std::string randomId() { return std::to_string(10000000 + below(90000000)); }

std::string randomName() {
  std::string name(3 + below(6), ' ');
  for (char &c : name) {
    c = static_cast<char>((below(2) ? 'a' : 'A') + below(26));
  }
  if (below(8) == 0) {
    name[1 + below(name.size() - 2)] = ' ';
  }
  return name;
}

void insertRandom() {
  ids.push_back(randomId());
  emit("insert \"" + randomName() + "\" " + ids.back());
}

const std::string &knownOrRandomId() {
  static std::string scratch;
  if (ids.empty() || below(4) == 0) {
    scratch = randomId();
    return scratch;
  }
  return ids[below(ids.size())];
}

void mixed(std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t roll = below(10);
    if (roll < 6) {
      insertRandom();
    } else if (roll < 8) {
      emit("search " + knownOrRandomId());
    } else if (roll < 9) {
      emit("remove " + knownOrRandomId());
    } else {
      emit("removeInorder " + std::to_string(below(10)));
    }
  }
}

// The i-th of a set of distinct names: letters only.
std::string nameNumber(std::uint64_t i) {
  std::string name = "K";
  for (; i; i /= 26) {
    name += static_cast<char>('a' + i % 26);
  }
  return name;
}

// Names repeat (COUNT/8 of them) and a tenth of the commands search by
// name, so the index of names is kept through every kind of change.
void mixedNames(std::uint64_t count) {
  const std::uint64_t names = std::max<std::uint64_t>(1, count / 8);
  std::uint64_t size = 0; // inserts so far: some positions fall past the end
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t roll = below(10);
    if (roll < 5) {
      ids.push_back(randomId());
      emit("insert \"" + nameNumber(below(names)) + "\" " + ids.back());
      ++size;
    } else if (roll < 6) {
      emit("search " + knownOrRandomId());
    } else if (roll < 7) {
      emit("remove " + knownOrRandomId());
    } else if (roll < 8) {
      emit("removeInorder " + std::to_string(below(size + 1)));
    } else {
      emit("search \"" + nameNumber(below(names)) + "\"");
    }
  }
}

void search(std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) {
    if (i < count / 10) {
      insertRandom();
    } else {
      emit("search " + knownOrRandomId());
    }
  }
}

void listing(std::uint64_t count) {
  const char *const prints[] = {"printInorder", "printPreorder",
                                "printPostorder", "printLevelCount"};
  for (std::uint64_t i = 0; i < count; ++i) {
    if (i < 1000 || below(10) < 5) {
      insertRandom();
    } else if (below(10) < 8) {
      emit("remove " + ids[below(ids.size())]);
    } else {
      emit(prints[below(4)]);
    }
  }
}

void stress(std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) {
    emit("insert \"" + randomName() + "\" " + std::to_string(10000000 + i));
  }
  for (std::uint64_t i = 0; i + 1000 < count; ++i) {
    emit(i % 2 ? "removeInorder 0" : "remove " + std::to_string(10000000 + i));
  }
  for (const char *print :
       {"printInorder", "printPreorder", "printPostorder", "printLevelCount"}) {
    emit(print);
  }
}

// COUNT inserts of distinct random IDs, named at random from `names`
// distinct names, or each with a name of its own when names is 0.
void distinctInserts(std::uint64_t count, std::uint64_t names) {
  std::unordered_set<std::string> taken;
  while (ids.size() < count) {
    const std::string id = randomId();
    if (taken.insert(id).second) {
      const std::string name = nameNumber(names ? below(names) : ids.size());
      ids.push_back(id);
      emit("insert \"" + name + "\" " + id);
    }
  }
}

constexpr std::uint64_t scaleCommands = 100000;

std::uint64_t scaleCommandsOf(const std::string &kind, std::uint64_t count) {
  if (kind == "scale-base") {
    return 0;
  }
  if (kind == "scale-position") {
    return std::min(scaleCommands, count / 2);
  }
  return scaleCommands;
}

void scale(const std::string &kind, std::uint64_t count) {
  const std::uint64_t names = std::max<std::uint64_t>(1, count / 4);
  distinctInserts(count, names);
  std::uint64_t size = count;
  for (std::uint64_t i = 0; i < scaleCommandsOf(kind, count); ++i) {
    if (kind == "scale-id") {
      emit("search " + ids[below(ids.size())]);
    } else if (kind == "scale-position") {
      emit("removeInorder " + std::to_string(below(size--)));
    } else {
      emit("search \"" + nameNumber(below(names)) + "\"");
    }
  }
}

std::uint64_t commandsOf(const std::string &kind, std::uint64_t count) {
  if (kind == "stress") {
    return 2 * count - std::min<std::uint64_t>(count, 1000) + 4;
  }
  if (kind.rfind("scale-", 0) == 0) {
    return count + scaleCommandsOf(kind, count);
  }
  return count;
}

} // namespace

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(
        stderr,
        "usage: %s mixed|mixed-names|insert|search|listing|stress|distinct|"
        "scale-base|scale-id|scale-position|scale-name COUNT [SEED]\n",
        argv[0]);
    return 2;
  }
  const std::string kind = argv[1];
  const std::uint64_t count = std::strtoull(argv[2], nullptr, 10);
  rng.seed(argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1);

  emit(std::to_string(commandsOf(kind, count)));
  if (kind == "mixed") {
    mixed(count);
  } else if (kind == "mixed-names") {
    mixedNames(count);
  } else if (kind == "insert") {
    for (std::uint64_t i = 0; i < count; ++i) {
      insertRandom();
    }
  } else if (kind == "search") {
    search(count);
  } else if (kind == "listing") {
    listing(count);
  } else if (kind == "stress") {
    stress(count);
  } else if (kind == "distinct") {
    distinctInserts(count, 0);
  } else if (kind == "scale-base" || kind == "scale-id" ||
             kind == "scale-position" || kind == "scale-name") {
    scale(kind, count);
  } else {
    std::fprintf(stderr, "unknown kind %s\n", kind.c_str());
    return 2;
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

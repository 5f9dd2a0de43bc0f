#include "Generator.h"

#include "LineReader.h"
#include "MorvAVLTree.h"
#include "TreeView.h"
#include "main.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <sstream>
#include <unordered_set>

namespace {

const std::vector<ScriptKind> kinds = {
    {"conformance",
     "every rule of the command language on a small pool of IDs: duplicates, "
     "removals of leaves and of nodes with one or two children, all four "
     "rotations, rotations on stale heights and the missing-grandchild case, "
     "removeInorder at and past both ends and malformed, name searches with "
     "repeated, empty and space-led names, every refusal rule, CR LF line "
     "ends, and now and then a count above or below the number of lines"},
    {"mixed", "60% insert, 20% search by ID, 10% remove by ID, 10% "
              "removeInorder of a small position"},
    {"mixed-names", "50% insert with repeating names, 10% search by ID, 10% "
                    "remove by ID, 10% removeInorder anywhere, 20% name "
                    "search"},
    {"insert", "inserts only"},
    {"search", "a tenth inserts, then searches by ID (mostly hits)"},
    {"listing", "about a thousand records kept, a tenth of the commands "
                "listings"},
    {"stress", "SIZE ascending inserts, removals from the smallest upwards "
               "until a thousand are left, then every listing"},
    {"distinct", "SIZE inserts of distinct random IDs, every name distinct"},
    {"all-ids", "SIZE inserts of the IDs 00000000, 00000001, ... in "
                "ascending order, each named by one letter (SIZE 100000000 "
                "inserts every ID), then a few searches, removals and level "
                "counts"},
    {"scale-base", "SIZE inserts of distinct random IDs, with names drawn "
                   "from SIZE/4, and nothing else: to subtract from the "
                   "other scale kinds"},
    {"scale-id", "the scale-base inserts, then 100,000 searches by ID of "
                 "stored records"},
    {"scale-position", "the scale-base inserts, then removeInorder at random "
                       "in-range positions, 100,000 or SIZE/2 of them"},
    {"scale-name", "the scale-base inserts, then 100,000 name searches of "
                   "stored names, about four matches each"},
};

constexpr std::uint64_t scaleCommands = 100000;

// Drops what the tree writes: the conformance kind keeps a tree only to
// know its state.
class Discard : public std::streambuf {
protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char *, std::streamsize size) override {
    return size;
  }
};

class Generator {
public:
  Generator(std::uint64_t seed,
            const std::function<void(std::string_view)> &sink)
      : rng_(seed), sink_(sink) {}

  void run(std::string_view kind, std::uint64_t size);

private:
  std::uint64_t below(std::uint64_t n) { return rng_() % n; }

  void emit(std::string_view line) {
    out_ += line;
    out_ += '\n';
    if (out_.size() > (1 << 20)) {
      flush();
    }
  }
  void flush() {
    sink_(out_);
    out_.clear();
  }

  std::string randomId() { return std::to_string(10000000 + below(90000000)); }
  std::string randomName();
  void insertRandom();
  std::string knownOrRandomId();
  static std::string nameNumber(std::uint64_t i);

  void mixed(std::uint64_t count);
  void mixedNames(std::uint64_t count);
  void search(std::uint64_t count);
  void listing(std::uint64_t count);
  void stress(std::uint64_t count);
  void distinctInserts(std::uint64_t count, std::uint64_t names);
  void scale(std::string_view kind, std::uint64_t count);
  void allIds(std::uint64_t count);
  void conformance(std::uint64_t count);

  std::mt19937_64 rng_;
  const std::function<void(std::string_view)> &sink_;
  std::vector<std::string> ids_; // inserted so far
  std::string out_;
};

std::string Generator::randomName() {
  std::string name(3 + below(6), ' ');
  for (char &c : name) {
    c = static_cast<char>((below(2) ? 'a' : 'A') + below(26));
  }
  if (below(8) == 0) {
    name[1 + below(name.size() - 2)] = ' ';
  }
  return name;
}

void Generator::insertRandom() {
  ids_.push_back(randomId());
  emit("insert \"" + randomName() + "\" " + ids_.back());
}

std::string Generator::knownOrRandomId() {
  if (ids_.empty() || below(4) == 0) {
    return randomId();
  }
  return ids_[below(ids_.size())];
}

// The i-th of a set of distinct names: letters only.
std::string Generator::nameNumber(std::uint64_t i) {
  std::string name = "K";
  for (; i; i /= 26) {
    name += static_cast<char>('a' + i % 26);
  }
  return name;
}

void Generator::mixed(std::uint64_t count) {
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

// Names repeat (count/8 of them) and a tenth of the commands search by
// name, so the index of names is kept through every kind of change.
void Generator::mixedNames(std::uint64_t count) {
  const std::uint64_t names = std::max<std::uint64_t>(1, count / 8);
  std::uint64_t size = 0; // inserts so far: some positions fall past the end
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t roll = below(10);
    if (roll < 5) {
      ids_.push_back(randomId());
      emit("insert \"" + nameNumber(below(names)) + "\" " + ids_.back());
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

void Generator::search(std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) {
    if (i < count / 10) {
      insertRandom();
    } else {
      emit("search " + knownOrRandomId());
    }
  }
}

void Generator::listing(std::uint64_t count) {
  const char *const prints[] = {"printInorder", "printPreorder",
                                "printPostorder", "printLevelCount"};
  for (std::uint64_t i = 0; i < count; ++i) {
    if (i < 1000 || below(10) < 5) {
      insertRandom();
    } else if (below(10) < 8) {
      emit("remove " + ids_[below(ids_.size())]);
    } else {
      emit(prints[below(4)]);
    }
  }
}

void Generator::stress(std::uint64_t count) {
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

// count inserts of distinct random IDs, named at random from `names`
// distinct names, or each with a name of its own when names is 0.
void Generator::distinctInserts(std::uint64_t count, std::uint64_t names) {
  std::unordered_set<std::string> taken;
  while (ids_.size() < count) {
    const std::string id = randomId();
    if (taken.insert(id).second) {
      const std::string name = nameNumber(names ? below(names) : ids_.size());
      ids_.push_back(id);
      emit("insert \"" + name + "\" " + id);
    }
  }
}

std::uint64_t scaleCommandsOf(std::string_view kind, std::uint64_t count) {
  if (kind == "scale-base") {
    return 0;
  }
  if (kind == "scale-position") {
    return std::min(scaleCommands, count / 2);
  }
  return scaleCommands;
}

void Generator::scale(std::string_view kind, std::uint64_t count) {
  const std::uint64_t names = std::max<std::uint64_t>(1, count / 4);
  distinctInserts(count, names);
  std::uint64_t size = count;
  for (std::uint64_t i = 0; i < scaleCommandsOf(kind, count); ++i) {
    if (kind == "scale-id") {
      emit("search " + ids_[below(ids_.size())]);
    } else if (kind == "scale-position") {
      emit("removeInorder " + std::to_string(below(size--)));
    } else {
      emit("search \"" + nameNumber(below(names)) + "\"");
    }
  }
}

std::uint64_t commandsOf(std::string_view kind, std::uint64_t count) {
  if (kind == "stress") {
    return 2 * count - std::min<std::uint64_t>(count, 1000) + 4;
  }
  if (kind.substr(0, 6) == "scale-") {
    return count + scaleCommandsOf(kind, count);
  }
  if (kind == "all-ids") {
    return count + 8;
  }
  return count;
}

// Every ID from 00000000 upwards, then a few questions about the result.
void Generator::allIds(std::uint64_t count) {
  char line[40];
  const auto emitLine = [&](const char *format, auto... values) {
    std::snprintf(line, sizeof line, format, values...);
    emit(line);
  };
  for (std::uint64_t i = 0; i < count; ++i) {
    emitLine("insert \"%c\" %08llu", static_cast<char>('A' + i % 26),
             static_cast<unsigned long long>(i));
  }
  const auto last = static_cast<unsigned long long>(count ? count - 1 : 0);
  emitLine("search %08llu", 0ull);
  emitLine("search %08llu", last / 2);
  emitLine("search %08llu", last);
  emit("printLevelCount");
  emitLine("removeInorder %llu", last / 2);
  emitLine("remove %08llu", last);
  emitLine("search %08llu", last);
  emit("printLevelCount");
}

void Generator::run(std::string_view kind, std::uint64_t size) {
  if (kind == "conformance") {
    conformance(size);
    flush();
    return;
  }
  emit(std::to_string(commandsOf(kind, size)));
  if (kind == "mixed") {
    mixed(size);
  } else if (kind == "mixed-names") {
    mixedNames(size);
  } else if (kind == "insert") {
    for (std::uint64_t i = 0; i < size; ++i) {
      insertRandom();
    }
  } else if (kind == "search") {
    search(size);
  } else if (kind == "listing") {
    listing(size);
  } else if (kind == "stress") {
    stress(size);
  } else if (kind == "distinct") {
    distinctInserts(size, 0);
  } else if (kind == "all-ids") {
    allIds(size);
  } else {
    scale(kind, size);
  }
  flush();
}

// ------------------------------------------------------------ conformance

// The conformance kind keeps the tree its lines build, through the
// program's own front end, so that it can aim at what the tree holds: a
// leaf, a node with one child, a node whose successor is near or far.
class Conformance {
public:
  Conformance(std::mt19937_64 &rng) : rng_(rng), out_(&discard_), tree_(out_) {
    pool_ = 8 + below(28);
    crlfEvery_ = below(3) == 0 ? 3 + below(6) : 0;
  }

  // The script's lines, without the count line.
  std::vector<std::string> lines(std::uint64_t count);

private:
  std::uint64_t below(std::uint64_t n) { return rng_() % n; }
  template <typename T, std::size_t N> const T &pick(const T (&items)[N]) {
    return items[below(N)];
  }

  std::string id(std::uint64_t i) const {
    return std::to_string(10000000 + i * 1000000);
  }
  std::string poolId() { return id(below(pool_)); }
  std::string name() {
    static const char *const names[] = {"Al", "Bo", "Cy Di", "Ann", "Al",
                                        "Bo", "",   " Al",   "Zed"};
    return pick(names);
  }

  void add(std::string line);
  void insert();
  void remove();
  void removeInOrder();
  void search();
  void print();
  void refuse();
  void missingGrandchild();

  std::vector<const PelixNode *> nodes() const;
  std::uint32_t records() const { return TreeView(tree_).records(); }

  std::mt19937_64 &rng_;
  Discard discard_;
  std::ostream out_;
  MorvAVLTree tree_;
  std::uint64_t pool_;
  std::uint64_t crlfEvery_;
  std::vector<std::string> lines_;
};

// Performs the line on the tree it keeps, then takes it into the script.
void Conformance::add(std::string line) {
  LineStream stream(line);
  parseAndPerform(stream, tree_);
  if (crlfEvery_ && below(crlfEvery_) == 0) {
    line += '\r';
  }
  lines_.push_back(std::move(line));
}

std::vector<const PelixNode *> Conformance::nodes() const {
  std::vector<const PelixNode *> all;
  std::vector<const PelixNode *> pending;
  if (const PelixNode *root = TreeView(tree_).root()) {
    pending.push_back(root);
  }
  while (!pending.empty()) {
    const PelixNode *node = pending.back();
    pending.pop_back();
    all.push_back(node);
    for (const PelixNode *child : {node->leftChild, node->rightChild}) {
      if (child) {
        pending.push_back(child);
      }
    }
  }
  return all;
}

void Conformance::insert() {
  // A pool ID is often taken already: a refused duplicate, which still
  // recomputes its path.
  add("insert \"" + name() + "\" " + poolId());
}

// A node of a chosen kind: a leaf, one child, two children with the
// successor right below or further down; or an ID that is not there.
void Conformance::remove() {
  const std::vector<const PelixNode *> all = nodes();
  const std::uint64_t wanted = below(5);
  std::vector<const PelixNode *> matching;
  for (const PelixNode *node : all) {
    const int children = (node->leftChild ? 1 : 0) + (node->rightChild ? 1 : 0);
    const bool near = children == 2 && !node->rightChild->leftChild;
    const std::uint64_t kind = children == 0   ? 0
                               : children == 1 ? 1
                               : near          ? 2
                                               : 3;
    if (kind == wanted) {
      matching.push_back(node);
    }
  }
  if (matching.empty()) {
    add("remove " + poolId());
    return;
  }
  add("remove " + std::string(matching[below(matching.size())]->idText()));
}

void Conformance::removeInOrder() {
  const std::uint64_t size = records();
  const std::uint64_t roll = below(12);
  std::string position;
  if (roll < 3) {
    position = "0";
  } else if (roll < 5) {
    position = std::to_string(size ? size - 1 : 0);
  } else if (roll < 6) {
    position = std::to_string(size + below(3));
  } else if (roll < 9) {
    position = std::to_string(size ? below(size) : 0);
  } else {
    static const char *const odd[] = {
        "-1", "-2147483648", "2147483647", "abc", "2x", " 3", "+1",
        "",   "99999999999", "-0",         "\t1", "1 2"};
    position = pick(odd);
  }
  add("removeInorder " + position);
}

void Conformance::search() {
  const std::uint64_t roll = below(8);
  if (roll < 3) {
    add("search " + poolId());
    return;
  }
  if (roll < 6) {
    add("search \"" + name() + "\"");
    return;
  }
  static const char *const odd[] = {"search \"Al\"x", "search \"Cy Di",
                                    "search \"\"", "search \" Al\"",
                                    "search \"Ann\" and more"};
  add(pick(odd));
}

void Conformance::print() {
  static const char *const prints[] = {"printInorder", "printPreorder",
                                       "printPostorder", "printLevelCount",
                                       "printLevelCount"};
  add(pick(prints));
}

// A line for each refusal rule, and lines close to refused ones that are
// still good.
void Conformance::refuse() {
  const std::string id = poolId();
  const std::string lines[] = {
      "",
      " insert \"Al\" " + id,
      "frobnicate",
      "Insert \"Al\" " + id,
      "printinorder",
      "PrintLevelCount",
      "printInorder ",
      "printLevelCount x",
      "insert",
      "remove",
      "search",
      "removeInorder",
      "remove ",
      "insert Al " + id,
      "insert  \"Al\" " + id,
      "search Al",
      "insert \"Al1\" " + id,
      "insert \"A-l\" " + id,
      "search \"Al2\"",
      "insert \"\xC3\xA9\" " + id,
      "insert \"Al\" " + id.substr(1),
      "insert \"Al\"  " + id,
      "insert \"Al\" " + id + " ",
      "insert \"Al\"" + id,
      "insert \"Al\"x " + id,
      "remove " + id + "0",
      "search 1234",
      "remove " + id.substr(0, 7) + "x",
      "removeInorder abc",
      "removeInorder 99999999999",
      "insert\t\"Al\" " + id,
      "insert \"Al " + id,
  };
  add(pick(lines));
}

// Removals that leave a node claiming an inner grandchild that is gone,
// then a refused duplicate whose path must rotate there: the single
// rotation is taken. The tree is emptied first, from the smallest record.
void Conformance::missingGrandchild() {
  for (std::uint32_t size = records(); size > 0; --size) {
    add("removeInorder 0");
  }
  // The left-hand case; the right-hand one mirrors each value v to 100 - v.
  const bool left = below(2) == 0;
  const std::uint64_t values[] = {50, 30, 70, 20, 40, 80, 45};
  const std::uint64_t gone[] = {40, 45, 70};
  const auto scaled = [left](std::uint64_t value) {
    return std::to_string(10000000 + (left ? value : 100 - value) * 100000);
  };
  for (const std::uint64_t value : values) {
    add("insert \"" + name() + "\" " + scaled(value));
  }
  for (const std::uint64_t value : gone) {
    add("remove " + scaled(value));
  }
  add("insert \"Dup\" " + scaled(80));
  add("printPreorder");
}

std::vector<std::string> Conformance::lines(std::uint64_t count) {
  while (lines_.size() < count) {
    const std::uint64_t roll = below(100);
    if (roll < 32) {
      insert();
    } else if (roll < 46) {
      remove();
    } else if (roll < 56) {
      removeInOrder();
    } else if (roll < 66) {
      search();
    } else if (roll < 78) {
      print();
    } else if (roll < 97) {
      refuse();
    } else {
      missingGrandchild();
    }
  }
  lines_.resize(count);
  return lines_;
}

void Generator::conformance(std::uint64_t count) {
  const std::vector<std::string> lines = Conformance(rng_).lines(count);
  // Now and then a count that differs from the number of lines.
  std::uint64_t announced = lines.size();
  const std::uint64_t roll = below(20);
  if (roll == 0) {
    announced += 1 + below(3);
  } else if (roll == 1) {
    announced -= std::min<std::uint64_t>(announced, 1 + below(3));
  }
  emit(std::to_string(announced));
  for (const std::string &line : lines) {
    emit(line);
  }
}

} // namespace

const std::vector<ScriptKind> &scriptKinds() { return kinds; }

bool isScriptKind(std::string_view kind) {
  return std::any_of(kinds.begin(), kinds.end(),
                     [kind](const ScriptKind &k) { return k.name == kind; });
}

void generateScript(std::string_view kind, std::uint64_t size,
                    std::uint64_t seed,
                    const std::function<void(std::string_view)> &sink) {
  Generator(seed, sink).run(kind, size);
}

std::string generateScript(std::string_view kind, std::uint64_t size,
                           std::uint64_t seed) {
  std::string script;
  generateScript(kind, size, seed,
                 [&script](std::string_view piece) { script += piece; });
  return script;
}

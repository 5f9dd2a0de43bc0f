// One table holds the kinds: name, description, command count and the
// member that writes them. Every line is printed from a parsed command,
// except the deliberately malformed ones of the conformance kind.
#include "Generator.h"

#include "CommandLanguage.h"
#include "Conformance.h"
#include "Text.h"

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

using Kind = Command::Kind;

constexpr std::uint64_t scaleCommands = 100000;

class Generator {
public:
  Generator(std::uint64_t seed,
            const std::function<void(std::string_view)> &sink)
      : rng_(seed), sink_(sink) {}

  using Write = void (Generator::*)(std::uint64_t size);
  // The count line (unless the kind writes its own), then the lines.
  void run(Write write, const std::uint64_t *commands, std::uint64_t size) {
    if (commands) {
      emitLine(std::to_string(*commands));
    }
    (this->*write)(size);
    flush();
  }

  void mixed(std::uint64_t count);
  void mixedNames(std::uint64_t count);
  void inserts(std::uint64_t count);
  void search(std::uint64_t count);
  void listing(std::uint64_t count);
  void stress(std::uint64_t count);
  void distinct(std::uint64_t count) { distinctInserts(count, 0); }
  void allIds(std::uint64_t count);
  void scaleBase(std::uint64_t count) { scale(count); }
  void scaleId(std::uint64_t count);
  void scalePosition(std::uint64_t count);
  void scaleName(std::uint64_t count);
  void conformance(std::uint64_t count);

private:
  std::uint64_t below(std::uint64_t n) { return rng_() % n; }

  void emitLine(std::string_view line) {
    out_ += line;
    endLine();
  }
  void emit(const Command &command) {
    printCommand(command, out_);
    endLine();
  }
  void endLine() {
    out_ += '\n';
    if (out_.size() > (1 << 20)) {
      flush();
    }
  }
  void flush() {
    sink_(out_);
    out_.clear();
  }

  // IDs are kept as numbers: a tenth of the memory of their text.
  std::uint32_t drawId() {
    return static_cast<std::uint32_t>(10000000 + below(90000000));
  }
  static std::string idText(std::uint32_t id) { return std::to_string(id); }
  std::string randomName();
  void insertRandom();
  std::string knownOrRandomId();
  static std::string nameNumber(std::uint64_t i);
  void distinctInserts(std::uint64_t count, std::uint64_t names);
  // The scale-base inserts, named from scaleNames(count) names.
  static std::uint64_t scaleNames(std::uint64_t count) {
    return std::max<std::uint64_t>(1, count / 4);
  }
  void scale(std::uint64_t count) { distinctInserts(count, scaleNames(count)); }

  std::mt19937_64 rng_;
  const std::function<void(std::string_view)> &sink_;
  std::vector<std::uint32_t> ids_; // inserted so far
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
  ids_.push_back(drawId());
  emit(Command::insert(randomName(), idText(ids_.back())));
}

std::string Generator::knownOrRandomId() {
  const bool known = !ids_.empty() && below(4) != 0;
  return idText(known ? ids_[below(ids_.size())] : drawId());
}

// The i-th of a set of distinct names: letters only.
std::string Generator::nameNumber(std::uint64_t i) {
  std::string name = "K";
  for (; i; i /= 26) {
    name += static_cast<char>('a' + i % 26);
  }
  return name;
}

// An insert until there is one: a few commands still work on a tree.
void Generator::mixed(std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t roll = below(10);
    if (roll < 6 || ids_.empty()) {
      insertRandom();
    } else if (roll < 8) {
      emit(Command::searchId(knownOrRandomId()));
    } else if (roll < 9) {
      emit(Command::remove(knownOrRandomId()));
    } else {
      emit(Command::removeInOrder(static_cast<std::int32_t>(below(10))));
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
    if (roll < 5 || ids_.empty()) {
      ids_.push_back(drawId());
      emit(Command::insert(nameNumber(below(names)), idText(ids_.back())));
      ++size;
    } else if (roll < 6) {
      emit(Command::searchId(knownOrRandomId()));
    } else if (roll < 7) {
      emit(Command::remove(knownOrRandomId()));
    } else if (roll < 8) {
      emit(Command::removeInOrder(static_cast<std::int32_t>(below(size + 1))));
    } else {
      emit(Command::searchName(nameNumber(below(names))));
    }
  }
}

void Generator::inserts(std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) {
    insertRandom();
  }
}

void Generator::search(std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) {
    if (i < count / 10) {
      insertRandom();
    } else {
      emit(Command::searchId(knownOrRandomId()));
    }
  }
}

void Generator::listing(std::uint64_t count) {
  const Kind prints[] = {Kind::printInOrder, Kind::printPreOrder,
                         Kind::printPostOrder, Kind::printLevelCount};
  for (std::uint64_t i = 0; i < count; ++i) {
    if (i < 1000 || below(10) < 5) {
      insertRandom();
    } else if (below(10) < 8) {
      emit(Command::remove(idText(ids_[below(ids_.size())])));
    } else {
      emit(Command::print(prints[below(4)]));
    }
  }
}

void Generator::stress(std::uint64_t count) {
  for (std::uint64_t i = 0; i < count; ++i) {
    emit(Command::insert(randomName(), std::to_string(10000000 + i)));
  }
  for (std::uint64_t i = 0; i + 1000 < count; ++i) {
    if (i % 2) {
      emit(Command::removeInOrder(0));
    } else {
      emit(Command::remove(std::to_string(10000000 + i)));
    }
  }
  for (const Kind print : {Kind::printInOrder, Kind::printPreOrder,
                           Kind::printPostOrder, Kind::printLevelCount}) {
    emit(Command::print(print));
  }
}

// count inserts of distinct random IDs named from `names` names (each its
// own when 0); a bit marks each ID drawn, IDs are kept for the scale kinds.
void Generator::distinctInserts(std::uint64_t count, std::uint64_t names) {
  std::vector<bool> taken(90000000);
  for (std::uint64_t done = 0; done < count;) {
    const std::uint32_t id = drawId();
    if (taken[id - 10000000]) {
      continue;
    }
    taken[id - 10000000] = true;
    const std::string name = nameNumber(names ? below(names) : done);
    if (names) {
      ids_.push_back(id);
    }
    emit(Command::insert(name, idText(id)));
    ++done;
  }
}

void Generator::scaleId(std::uint64_t count) {
  scale(count);
  for (std::uint64_t i = 0; i < scaleCommands; ++i) {
    emit(Command::searchId(idText(ids_[below(ids_.size())])));
  }
}

void Generator::scalePosition(std::uint64_t count) {
  scale(count);
  std::uint64_t size = count;
  for (std::uint64_t i = 0; i < std::min(scaleCommands, count / 2); ++i) {
    emit(Command::removeInOrder(static_cast<std::int32_t>(below(size--))));
  }
}

void Generator::scaleName(std::uint64_t count) {
  scale(count);
  const std::uint64_t names = scaleNames(count);
  for (std::uint64_t i = 0; i < scaleCommands; ++i) {
    emit(Command::searchName(nameNumber(below(names))));
  }
}

// Every ID from 00000000 upwards, then a few questions about the result.
void Generator::allIds(std::uint64_t count) {
  char id[24];
  const auto idOf = [&id](std::uint64_t value) {
    std::snprintf(id, sizeof id, "%08llu",
                  static_cast<unsigned long long>(value));
    return std::string_view(id);
  };
  char name[2] = {};
  for (std::uint64_t i = 0; i < count; ++i) {
    name[0] = static_cast<char>('A' + i % 26);
    emit(Command::insert(name, idOf(i)));
  }
  const std::uint64_t last = count ? count - 1 : 0;
  emit(Command::searchId(idOf(0)));
  emit(Command::searchId(idOf(last / 2)));
  emit(Command::searchId(idOf(last)));
  emit(Command::print(Kind::printLevelCount));
  emit(Command::removeInOrder(static_cast<std::int32_t>(last / 2)));
  emit(Command::remove(idOf(last)));
  emit(Command::searchId(idOf(last)));
  emit(Command::print(Kind::printLevelCount));
}

void Generator::conformance(std::uint64_t count) {
  Conformance conformance(rng_);
  const std::vector<std::string> lines = conformance.lines(count);
  emitLine(std::to_string(conformance.countFor(lines.size())));
  for (const std::string &line : lines) {
    emitLine(line);
  }
}

// The kinds, the conformance kind first: what each writes, how many
// commands that is for a size (null: the kind writes its count line
// itself), and how it is written.
// The sizes a kind can write, and why no other.
struct Sizes {
  std::uint64_t least = 0;
  std::uint64_t most = ~std::uint64_t{0};
  const char *why = nullptr;
};

struct KindRow {
  ScriptKind kind;
  std::uint64_t (*commands)(std::uint64_t size);
  Generator::Write write;
  Sizes sizes = {};
};

constexpr std::uint64_t freshIds = 90000000; // 10000000 to 99999999
constexpr const char *freshIdsWhy =
    "it draws distinct IDs from 10000000 to 99999999, and there are "
    "90,000,000 of them";

std::uint64_t sizeCommands(std::uint64_t size) { return size; }

const KindRow kindTable[] = {
    {{"conformance",
      "every rule of the command language on a small pool of IDs: "
      "duplicates, removals of every kind, all four rotations, rotations on "
      "stale heights, the missing grandchild, removeInorder at, past and "
      "before both ends, name searches that can and cannot find, every "
      "refusal rule, CR LF, and counts off the number of lines"},
     nullptr,
     &Generator::conformance,
     {0, 10000000,
      "it holds its lines in memory until it has written the count line"}},
    {{"mixed", "an insert first, then 60% insert, 20% search by ID, 10% "
               "remove by ID, 10% removeInorder of a small position"},
     sizeCommands,
     &Generator::mixed},
    {{"mixed-names", "an insert first, then 50% insert with repeating "
                     "names, 10% search by ID, "
                     "10% remove by ID, 10% removeInorder anywhere, 20% name "
                     "search"},
     sizeCommands,
     &Generator::mixedNames,
     {0, 2147483647,
      "its removeInorder positions must fit a signed 32-bit number"}},
    {{"insert", "inserts only"}, sizeCommands, &Generator::inserts},
    {{"search", "a tenth inserts, then searches by ID (mostly hits)"},
     sizeCommands,
     &Generator::search},
    {{"listing", "about a thousand records kept, a tenth of the commands "
                 "listings"},
     sizeCommands,
     &Generator::listing},
    {{"stress", "SIZE ascending inserts, removals from the smallest upwards "
                "until a thousand are left, then every listing"},
     [](std::uint64_t size) {
       return 2 * size - std::min<std::uint64_t>(size, 1000) + 4;
     },
     &Generator::stress,
     {0, freshIds, "its IDs count up from 10000000 and must keep 8 digits"}},
    {{"distinct", "SIZE inserts of distinct random IDs, every name distinct"},
     sizeCommands,
     &Generator::distinct,
     {0, freshIds, freshIdsWhy}},
    {{"all-ids", "SIZE inserts of the IDs 00000000, 00000001, ... in "
                 "ascending order, each named by one letter (SIZE 100000000 "
                 "inserts every ID), then a few searches, removals and level "
                 "counts"},
     [](std::uint64_t size) { return size + 8; },
     &Generator::allIds,
     {0, 100000000, "there are 100,000,000 IDs of 8 digits"}},
    {{"scale-base", "SIZE inserts of distinct random IDs, with names drawn "
                    "from SIZE/4, and nothing else: to subtract from the "
                    "other scale kinds"},
     sizeCommands,
     &Generator::scaleBase,
     {1, freshIds, freshIdsWhy}},
    {{"scale-id", "the scale-base inserts, then 100,000 searches by ID of "
                  "stored records"},
     [](std::uint64_t size) { return size + scaleCommands; },
     &Generator::scaleId,
     {1, freshIds, freshIdsWhy}},
    {{"scale-position", "the scale-base inserts, then removeInorder at "
                        "random in-range positions, 100,000 or SIZE/2 of "
                        "them"},
     [](std::uint64_t size) {
       return size + std::min(scaleCommands, size / 2);
     },
     &Generator::scalePosition,
     {1, freshIds, freshIdsWhy}},
    {{"scale-name", "the scale-base inserts, then 100,000 name searches of "
                    "stored names, about four matches each"},
     [](std::uint64_t size) { return size + scaleCommands; },
     &Generator::scaleName,
     {1, freshIds, freshIdsWhy}},
};

const KindRow *rowOf(std::string_view kind) {
  for (const KindRow &row : kindTable) {
    if (row.kind.name == kind) {
      return &row;
    }
  }
  return nullptr;
}

} // namespace

const std::vector<ScriptKind> &scriptKinds() {
  static const std::vector<ScriptKind> kinds = [] {
    std::vector<ScriptKind> all;
    for (const KindRow &row : kindTable) {
      all.push_back(row.kind);
    }
    return all;
  }();
  return kinds;
}

bool isScriptKind(std::string_view kind) { return rowOf(kind) != nullptr; }

std::string whyNotGenerated(std::string_view kind, std::uint64_t size) {
  const KindRow *row = rowOf(kind);
  if (!row) {
    return "there is no kind " + std::string(kind);
  }
  const std::string name(kind);
  if (size < row->sizes.least) {
    return name + " writes at least " + std::to_string(row->sizes.least) +
           (row->sizes.least == 1 ? " record" : " records") +
           ": its commands act on the records it inserts first";
  }
  if (size > row->sizes.most) {
    return name + " takes a size of at most " + text::grouped(row->sizes.most) +
           ": " + row->sizes.why;
  }
  constexpr std::uint64_t mostCommands = 4294967295;
  if (row->commands &&
      (size > mostCommands || row->commands(size) > mostCommands)) {
    return name + " would write more than 4,294,967,295 commands, the most "
                  "a count line can ask for";
  }
  return "";
}

void generateScript(std::string_view kind, std::uint64_t size,
                    std::uint64_t seed,
                    const std::function<void(std::string_view)> &sink) {
  const KindRow *row = rowOf(kind);
  if (!row || !whyNotGenerated(kind, size).empty()) {
    return;
  }
  const std::uint64_t commands = row->commands ? row->commands(size) : 0;
  Generator(seed, sink)
      .run(row->write, row->commands ? &commands : nullptr, size);
}

std::string generateScript(std::string_view kind, std::uint64_t size,
                           std::uint64_t seed) {
  std::string script;
  generateScript(kind, size, seed,
                 [&script](std::string_view piece) { script += piece; });
  return script;
}

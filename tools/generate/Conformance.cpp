// Each line is drawn from what the kept tree holds now, then performed on
// it, so the next draw sees its effect.
#include "Conformance.h"

#include "TreeView.h"

#include <algorithm>

Conformance::Conformance(std::mt19937_64 &rng) : rng_(rng), session_(answers_) {
  pool_ = 8 + below(28);
  crlfEvery_ = below(3) == 0 ? 3 + below(6) : 0;
}

std::string Conformance::name() {
  static const char *const names[] = {"Al", "Bo", "Cy Di", "Ann", "Al",
                                      "Bo", "",   " Al",   "Zed"};
  return pick(names);
}

std::uint32_t Conformance::records() const {
  return TreeView(session_.tree()).records();
}

// Performs the line on the tree it keeps, then takes it into the script.
void Conformance::add(std::string line) {
  LineStream stream(line);
  session_.perform(parseCommand(stream));
  if (crlfEvery_ && below(crlfEvery_) == 0) {
    line += '\r';
  }
  lines_.push_back(std::move(line));
}

void Conformance::add(const Command &command) {
  std::string line;
  printCommand(command, line);
  add(std::move(line));
}

std::vector<const PelixNode *> Conformance::nodes() const {
  std::vector<const PelixNode *> all;
  std::vector<const PelixNode *> pending;
  if (const PelixNode *root = TreeView(session_.tree()).root()) {
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
  // The ID is drawn before the name: scripts from earlier versions stay
  // byte for byte the same.
  const std::string id = poolId();
  add(Command::insert(name(), id));
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
    add(Command::remove(poolId()));
    return;
  }
  add(Command::remove(matching[below(matching.size())]->idText()));
}

// Positions at and past both ends, anywhere between, and arguments that
// read as a number only in part, or not at all.
void Conformance::removeInOrder() {
  const std::uint64_t size = records();
  const std::uint64_t roll = below(12);
  std::uint64_t position = 0;
  if (roll < 3) {
    position = 0;
  } else if (roll < 5) {
    position = size ? size - 1 : 0;
  } else if (roll < 6) {
    position = size + below(3);
  } else if (roll < 9) {
    position = size ? below(size) : 0;
  } else {
    static const char *const odd[] = {
        "-1", "-2147483648", "2147483647", "abc", "2x", " 3", "+1",
        "",   "99999999999", "-0",         "\t1", "1 2"};
    add(std::string("removeInorder ") + pick(odd));
    return;
  }
  // The pool keeps the tree far below 2^31 records.
  add(Command::removeInOrder(static_cast<std::int32_t>(position)));
}

void Conformance::search() {
  const std::uint64_t roll = below(8);
  if (roll < 3) {
    add(Command::searchId(poolId()));
    return;
  }
  if (roll < 6) {
    add(Command::searchName(name()));
    return;
  }
  static const char *const odd[] = {"search \"Al\"x", "search \"Cy Di",
                                    "search \"\"", "search \" Al\"",
                                    "search \"Ann\" and more"};
  add(pick(odd));
}

void Conformance::print() {
  static const Command::Kind prints[] = {
      Command::Kind::printInOrder, Command::Kind::printPreOrder,
      Command::Kind::printPostOrder, Command::Kind::printLevelCount,
      Command::Kind::printLevelCount};
  add(Command::print(pick(prints)));
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
    add(Command::removeInOrder(0));
  }
  // The left-hand case; the right-hand one mirrors each value v to 100 - v.
  const bool left = below(2) == 0;
  const std::uint64_t values[] = {50, 30, 70, 20, 40, 80, 45};
  const std::uint64_t gone[] = {40, 45, 70};
  const auto scaled = [left](std::uint64_t value) {
    return std::to_string(10000000 + (left ? value : 100 - value) * 100000);
  };
  for (const std::uint64_t value : values) {
    const std::string name = this->name();
    add(Command::insert(name, scaled(value)));
  }
  for (const std::uint64_t value : gone) {
    add(Command::remove(scaled(value)));
  }
  add(Command::insert("Dup", scaled(80)));
  add(Command::print(Command::Kind::printPreOrder));
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

std::uint64_t Conformance::countFor(std::uint64_t lines) {
  const std::uint64_t roll = below(20);
  if (roll == 0) {
    return lines + 1 + below(3);
  }
  if (roll == 1) {
    return lines - std::min<std::uint64_t>(lines, 1 + below(3));
  }
  return lines;
}

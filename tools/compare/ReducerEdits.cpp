// The reducer's passes that edit lines: removals by position turned into
// removals by ID, the tree rebuilt from fewer inserts, round IDs, short
// names, plain lines, smaller positions and fewer IDs; and, when every pass
// is stuck, small trees of every shape aimed at the command that differs.
#include "ReducerPasses.h"

#include <algorithm>
#include <map>

namespace reduction {

namespace {

// The record at a position in ID order, by subtree counts; null past the
// end.
const PelixNode *atPosition(const PelixNode *node, std::uint32_t position) {
  while (node) {
    const std::uint32_t before = PelixNode::recordsOf(node->leftChild);
    if (position == before) {
      return node;
    }
    if (position < before) {
      node = node->leftChild;
    } else {
      position -= before + 1;
      node = node->rightChild;
    }
  }
  return nullptr;
}

void preOrder(const PelixNode *node, std::vector<const PelixNode *> &nodes) {
  if (node) {
    nodes.push_back(node);
    preOrder(node->leftChild, nodes);
    preOrder(node->rightChild, nodes);
  }
}

} // namespace

// removeInorder N by remove of the ID at position N: the removal no longer
// depends on the records before it, so they may go.
bool Reducer::positionsToIds() {
  bool changed = false;
  for (std::size_t i = 0; i < parts_.lines.size() && !exhausted(); ++i) {
    const Command command = parsed(parts_.lines[i]);
    if (command.kind != Command::Kind::removeInOrder) {
      continue;
    }
    std::string id;
    treeBefore(i, [&](TreeView tree) {
      const PelixNode *node =
          atPosition(tree.root(), static_cast<std::uint32_t>(command.position));
      id = node ? std::string(node->idText()) : "";
    });
    if (id.empty()) {
      continue;
    }
    Parts candidate = parts_;
    candidate.lines[i] = lineOf(Command::remove(id));
    changed = keep(std::move(candidate)) || changed;
  }
  return changed;
}

// The records before the command that differs, inserted anew in pre-order,
// which rebuilds the same shape, in place of the lines that built it when
// those were more.
bool Reducer::rebuildTree() {
  const auto command = differingCommand();
  if (!command || *command < 2) {
    return false;
  }
  Parts candidate = parts_;
  candidate.lines.clear();
  treeBefore(*command, [&](TreeView tree) {
    std::vector<const PelixNode *> nodes;
    preOrder(tree.root(), nodes);
    for (const PelixNode *node : nodes) {
      candidate.lines.push_back(
          lineOf(Command::insert(node->name, node->idText())));
    }
  });
  if (candidate.lines.size() >= *command) {
    return false;
  }
  candidate.lines.insert(candidate.lines.end(),
                         parts_.lines.begin() +
                             static_cast<std::ptrdiff_t>(*command),
                         parts_.lines.end());
  return keep(std::move(candidate));
}

// The IDs renumbered in their order, to round numbers: the tree keeps its
// shape.
bool Reducer::roundIds() {
  std::map<std::string, std::string> ids;
  for (const Line &line : parts_.lines) {
    const Command command = parsed(line);
    if (command.kind != Command::Kind::refused && !command.id.empty()) {
      ids.emplace(std::string(command.id), "");
    }
  }
  if (ids.empty()) {
    return false;
  }
  // 10000000, 20000000, ... for a few IDs; closer for more.
  std::uint64_t step = 10000000;
  while (step > 1 && 10000000 + (ids.size() - 1) * step > 99999999) {
    step /= 10;
  }
  std::uint64_t next = ids.size() <= 9 ? step : 10000000;
  bool changes = false;
  for (auto &entry : ids) {
    entry.second = std::to_string(next);
    next += step;
    changes = changes || entry.second != entry.first;
  }
  if (!changes) {
    return false;
  }
  Parts candidate = parts_;
  for (Line &line : candidate.lines) {
    const Command command = parsed(line);
    if (command.kind != Command::Kind::refused && !command.id.empty()) {
      line = plainLine(line, std::nullopt, ids.at(std::string(command.id)));
    }
  }
  return keep(std::move(candidate));
}

bool Reducer::shortNames() {
  return shortNamesKeeping(false) || shortNamesKeeping(true);
}

// Names become A, B, C... in order of appearance. Names that a search can
// never find are kept when keepUnfindable is set.
bool Reducer::shortNamesKeeping(bool keepUnfindable) {
  std::map<std::string, std::string> names;
  Parts candidate = parts_;
  bool changes = false;
  for (Line &line : candidate.lines) {
    const Command command = parsed(line);
    const bool named = command.kind == Command::Kind::insert ||
                       command.kind == Command::Kind::searchName;
    if (!named || (keepUnfindable && !isFindableName(command.name))) {
      continue;
    }
    const auto found = names.find(std::string(command.name));
    std::string shorter;
    if (found != names.end()) {
      shorter = found->second;
    } else {
      const std::size_t n = names.size();
      shorter = n < 26 ? std::string(1, static_cast<char>('A' + n))
                       : std::string(1, static_cast<char>('A' + n / 26 % 26)) +
                             static_cast<char>('a' + n % 26);
      names.emplace(std::string(command.name), shorter);
    }
    const Line plain = plainLine(line, shorter, std::nullopt);
    changes = changes || plain != line;
    line = plain;
  }
  return changes && keep(std::move(candidate));
}

bool Reducer::plainLines() {
  bool changed = false;
  for (std::size_t i = 0; i < parts_.lines.size() && !exhausted(); ++i) {
    const Line plain = plainLine(parts_.lines[i]);
    if (plain == parts_.lines[i]) {
      continue;
    }
    Parts candidate = parts_;
    candidate.lines[i] = plain;
    changed = keep(std::move(candidate)) || changed;
  }
  return changed;
}

bool Reducer::smallerPositions() {
  bool changed = false;
  for (std::size_t i = 0; i < parts_.lines.size() && !exhausted(); ++i) {
    const Command command = parsed(parts_.lines[i]);
    if (command.kind != Command::Kind::removeInOrder || command.position <= 0) {
      continue;
    }
    for (const std::int32_t smaller :
         {0, command.position / 2, command.position - 1}) {
      Parts candidate = parts_;
      candidate.lines[i] = lineOf(Command::removeInOrder(smaller));
      if (candidate.lines[i] != parts_.lines[i] && keep(std::move(candidate))) {
        changed = true;
        break;
      }
    }
  }
  return changed;
}

// Each ID in turn replaced everywhere by the next smaller one.
bool Reducer::fewerIds() {
  std::vector<std::string> ids;
  for (const Line &line : parts_.lines) {
    const Command command = parsed(line);
    if (command.kind != Command::Kind::refused && !command.id.empty()) {
      ids.emplace_back(command.id);
    }
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  bool changed = false;
  for (std::size_t k = 1; k < ids.size() && !exhausted(); ++k) {
    Parts candidate = parts_;
    for (Line &line : candidate.lines) {
      const Command command = parsed(line);
      if (command.kind != Command::Kind::refused && command.id == ids[k]) {
        line = plainLine(line, std::nullopt, ids[k - 1]);
      }
    }
    changed = keep(std::move(candidate)) || changed;
  }
  return changed;
}

// The shapes of the trees that inserting the IDs 10000000, 20000000, ...
// (count of them) builds, each with one insertion order that builds it.
std::vector<std::vector<std::string>> insertionOrders(std::size_t count) {
  std::vector<std::string> ids;
  for (std::size_t i = 1; i <= count; ++i) {
    ids.push_back(std::to_string(10000000 * i));
  }
  std::vector<std::vector<std::string>> orders;
  std::vector<std::string> shapes;
  do {
    DroppedAnswers answers;
    MorvAVLTree tree(answers);
    for (const std::string &id : ids) {
      tree.insert("A", id);
    }
    std::vector<const PelixNode *> nodes;
    preOrder(TreeView(tree).root(), nodes);
    std::string shape;
    for (const PelixNode *node : nodes) {
      shape += node->idText();
    }
    if (std::find(shapes.begin(), shapes.end(), shape) == shapes.end()) {
      shapes.push_back(shape);
      orders.push_back(ids);
    }
  } while (std::next_permutation(ids.begin(), ids.end()));
  return orders;
}

// Small scripts, shortest first, aimed at the command that differs: a tree
// of every shape of a few records, then perhaps one removal and one more
// insert, then that command, a level count or a pre-order listing. A way
// out of a local minimum that no edit of this script leaves, bounded by a
// share of the runs left.
bool Reducer::searchSmallTrees() {
  const auto command = differingCommand();
  if (!command) {
    return false;
  }
  using Kind = Command::Kind;
  const Line ends[] = {parts_.lines[*command],
                       lineOf(Command::print(Kind::printLevelCount)),
                       lineOf(Command::print(Kind::printPreOrder))};
  const std::uint64_t stopAt =
      runs_ + std::min<std::uint64_t>(800, (maxRuns_ - runs_) / 2);
  const auto tryEach = [&](Parts candidate) {
    candidate.lines.emplace_back();
    for (const Line &end : ends) {
      candidate.lines.back() = end;
      if (runs_ >= stopAt || keep(candidate)) {
        return true;
      }
    }
    return false;
  };
  const auto id = [](std::size_t i) { return std::to_string(10000000 * i); };
  for (std::size_t size = 2;
       size < std::min<std::size_t>(parts_.lines.size(), 9); ++size) {
    // size - 1 inserts; size - 2 and a removal; size - 3, a removal and an
    // insert of an ID present or new.
    for (std::size_t extra = 0; extra < 3 && extra < size; ++extra) {
      for (const auto &order : insertionOrders(size - 1 - extra)) {
        Parts tree;
        for (const std::string &inserted : order) {
          tree.lines.push_back(lineOf(Command::insert("A", inserted)));
        }
        if (extra == 0 && tryEach(tree)) {
          return runs_ < stopAt;
        }
        for (std::size_t gone = 1; extra > 0 && gone <= order.size(); ++gone) {
          Parts removed = tree;
          removed.lines.push_back(lineOf(Command::remove(id(gone))));
          if (extra == 1 && tryEach(removed)) {
            return runs_ < stopAt;
          }
          for (std::size_t again = 1; extra == 2 && again <= order.size() + 1;
               ++again) {
            Parts inserted = removed;
            inserted.lines.push_back(lineOf(Command::insert("B", id(again))));
            if (tryEach(inserted)) {
              return runs_ < stopAt;
            }
          }
        }
      }
    }
  }
  return false;
}

} // namespace reduction

// Times the operations of a script on the tree, and the same operations on a
// bare std::map, without reading or writing: the script is parsed before the
// clock starts and the tree's answers go to a stream that drops them.
// Usage: tree_only < SCRIPT
#include "MorvAVLTree.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Op {
  char kind; // i insert, r remove, s search, n removeInorder, p a listing,
             // l the level count
  std::string id;
  std::string name;
  unsigned position = 0;
};

template <typename F> double seconds(F &&work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
      .count();
}

} // namespace

int main() {
  std::vector<Op> ops;
  std::string line;
  std::getline(std::cin, line);
  while (std::getline(std::cin, line)) {
    Op op{line[0] == 'i' ? 'i' : line[0] == 's' ? 's' : 'r', "", ""};
    if (line.rfind("insert \"", 0) == 0) {
      const auto close = line.find('"', 8);
      op.name = line.substr(8, close - 8);
      op.id = line.substr(close + 2);
    } else if (line == "printLevelCount") {
      op.kind = 'l';
    } else if (line.rfind("print", 0) == 0) {
      op.kind = 'p';
    } else if (line.rfind("removeInorder ", 0) == 0) {
      op.kind = 'n';
      op.position = static_cast<unsigned>(std::stoul(line.substr(14)));
    } else {
      op.id = line.substr(line.find(' ') + 1);
    }
    ops.push_back(op);
  }

  DroppedAnswers sink;
  double treeTime = 0;
  {
    MorvAVLTree tree(sink);
    treeTime = seconds([&] {
      for (const Op &op : ops) {
        switch (op.kind) {
        case 'i':
          tree.insert(op.name, op.id);
          break;
        case 'r':
          tree.remove(op.id);
          break;
        case 's':
          tree.search(op.id);
          break;
        case 'p':
          tree.printInOrder();
          break;
        case 'l':
          tree.printLevelCount();
          break;
        default:
          tree.removeInOrder(op.position);
        }
      }
    });
  }
  std::map<std::string, std::string> map;
  std::size_t found = 0;
  std::string listing;
  const double mapTime = seconds([&] {
    for (const Op &op : ops) {
      switch (op.kind) {
      case 'i':
        map.emplace(op.id, op.name);
        break;
      case 'r':
        map.erase(op.id);
        break;
      case 's':
        found += map.count(op.id);
        break;
      case 'p':
        listing.clear();
        for (const auto &record : map) {
          listing += listing.empty() ? "" : ", ";
          listing += record.second;
        }
        break;
      case 'l':
        found += map.size() > 0;
        break;
      default:
        if (op.position < map.size()) {
          map.erase(std::next(map.begin(), op.position));
        }
      }
    }
  });
  std::printf("%zu operations: tree %.3f s, std::map %.3f s (%zu found)\n",
              ops.size(), treeTime, mapTime, found);
  return 0;
}

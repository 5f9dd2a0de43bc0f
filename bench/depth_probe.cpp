// Measures how deep the tree gets over long insert/remove histories, where
// removals leave stale heights behind and later rotations trust them. The
// recursion of every operation is as deep as the tree, so this is the stack
// the program needs.
#include "../tests/TreeChecker.h"

#include <cstdio>
#include <functional>
#include <random>
#include <string>

namespace {

struct Probe {
  DroppedAnswers sink;
  MorvAVLTree tree{sink};
  int maxDepth = 0;
  std::size_t nodes = 0;

  void sample() {
    const TreeCheck check = checkTree(tree, false);
    if (!check.error.empty()) {
      std::printf("invariant broken: %s\n", check.error.c_str());
    }
    maxDepth = std::max(maxDepth, check.height);
    nodes = check.nodes;
  }
};

std::string idOf(std::uint32_t n) { return std::to_string(10000000 + n); }

void run(const char *label, int commands,
         const std::function<void(Probe &, std::mt19937 &, int)> &step) {
  Probe probe;
  std::mt19937 rng(42);
  for (int i = 0; i < commands; ++i) {
    step(probe, rng, i);
    if (i % 20000 == 0) {
      probe.sample();
    }
  }
  probe.sample();
  std::printf("%-44s max depth %3d, end: %7zu records\n", label, probe.maxDepth,
              probe.nodes);
}

} // namespace

int main() {
  constexpr int million = 1000000;
  run("random 60% insert / 40% remove", million,
      [](Probe &p, std::mt19937 &rng, int) {
        const std::string id = idOf(rng() % 89999999);
        rng() % 10 < 6 ? p.tree.insert("N", id) : p.tree.remove(id);
      });
  run("random 50/50 on 2000 IDs", million,
      [](Probe &p, std::mt19937 &rng, int) {
        const std::string id = idOf(rng() % 2000);
        rng() % 2 ? p.tree.insert("N", id) : p.tree.remove(id);
      });
  run("grow 500k, then churn insert/removeInOrder", million,
      [](Probe &p, std::mt19937 &rng, int i) {
        if (i < 500000 || rng() % 2) {
          p.tree.insert("N", idOf(rng() % 89999999));
        } else {
          p.tree.removeInOrder(rng() % 8);
        }
      });
  run("ascending inserts, removing the smallest", million,
      [](Probe &p, std::mt19937 &, int i) {
        p.tree.insert("N", idOf(static_cast<std::uint32_t>(i)));
        if (i % 3 == 2) {
          p.tree.removeInOrder(0);
        }
      });
  run("waves: fill 100k, empty 90% at random", million,
      [](Probe &p, std::mt19937 &rng, int i) {
        const std::string id = idOf(rng() % 200000);
        (i / 100000) % 2 == 0 || rng() % 10 == 0 ? p.tree.insert("N", id)
                                                 : p.tree.remove(id);
      });
  run("stress: 1M ascending, then remove smallest", 2 * million - 1000,
      [](Probe &p, std::mt19937 &, int i) {
        if (i < million) {
          p.tree.insert("N", idOf(static_cast<std::uint32_t>(i)));
          return;
        }
        const int k = i - million;
        k % 2 ? p.tree.removeInOrder(0)
              : p.tree.remove(idOf(static_cast<std::uint32_t>(k)));
      });
  return 0;
}

// The tree's operations without I/O at 1e3 to 1e6 records, each beside the
// same work on std::map<std::string, std::string>. Both write their answers
// to a sink that drops them, so each side pays for forming its answers.
// Setup happens outside the timed region; the seed is fixed.
#include "MorvAVLTree.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

DroppedAnswers sink;
DroppedAnswers mapAnswers;

using Map = std::map<std::string, std::string>;

std::vector<std::string> randomIds(std::size_t n) {
  std::mt19937_64 rng(1);
  std::vector<std::string> ids;
  std::vector<bool> taken(90000000);
  while (ids.size() < n) {
    const std::uint64_t v = rng() % 90000000;
    if (!taken[v]) {
      taken[v] = true;
      ids.push_back(std::to_string(10000000 + v));
    }
  }
  return ids;
}

std::vector<std::string> ascendingIds(std::size_t n) {
  std::vector<std::string> ids;
  for (std::size_t i = 0; i < n; ++i) {
    ids.push_back(std::to_string(10000000 + i));
  }
  return ids;
}

const char *nameOf(std::size_t i) {
  static const char *const names[] = {"Ann", "Ben Lee", "Cal", "Dee Ray"};
  return names[i % 4];
}

std::unique_ptr<MorvAVLTree> treeOf(const std::vector<std::string> &ids) {
  auto tree = std::make_unique<MorvAVLTree>(sink);
  for (std::size_t i = 0; i < ids.size(); ++i) {
    tree->insert(nameOf(i), ids[i]);
  }
  return tree;
}

Map mapOf(const std::vector<std::string> &ids) {
  Map map;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    map.emplace(ids[i], nameOf(i));
  }
  return map;
}

void mapInsert(Map &map, const std::string &id, const char *name) {
  mapAnswers.line(map.emplace(id, name).second ? "successful" : "unsuccessful");
}

// Builds a whole structure of N records per iteration; time per record.
template <bool Tree, bool Ascending> void insertAll(benchmark::State &state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto ids = Ascending ? ascendingIds(n) : randomIds(n);
  for (auto _ : state) {
    if constexpr (Tree) {
      MorvAVLTree tree(sink);
      for (std::size_t i = 0; i < n; ++i) {
        tree.insert(nameOf(i), ids[i]);
      }
      state.PauseTiming(); // destruction is not insertion
    } else {
      Map map;
      for (std::size_t i = 0; i < n; ++i) {
        mapInsert(map, ids[i], nameOf(i));
      }
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

// Searches existing IDs in random order; time per search.
template <bool Tree> void searchById(benchmark::State &state) {
  const auto ids = randomIds(static_cast<std::size_t>(state.range(0)));
  auto probes = ids;
  std::shuffle(probes.begin(), probes.end(), std::mt19937(2));
  const auto tree = Tree ? treeOf(ids) : nullptr;
  const Map map = Tree ? Map() : mapOf(ids);
  std::size_t i = 0;
  for (auto _ : state) {
    const std::string &id = probes[i++ % probes.size()];
    if constexpr (Tree) {
      tree->search(id);
    } else {
      const auto found = map.find(id);
      mapAnswers.line(found == map.end() ? "unsuccessful" : found->second);
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

// Removes every record of a structure of N, in random order or always the
// first; time per removal.
template <bool Tree, bool First> void removeAll(benchmark::State &state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto ids = randomIds(n);
  auto order = ids;
  std::shuffle(order.begin(), order.end(), std::mt19937(3));
  for (auto _ : state) {
    state.PauseTiming();
    auto tree = Tree ? treeOf(ids) : nullptr;
    Map map = Tree ? Map() : mapOf(ids);
    state.ResumeTiming();
    for (std::size_t i = 0; i < n; ++i) {
      if constexpr (Tree) {
        First ? tree->removeInOrder(0) : tree->remove(order[i]);
      } else {
        const bool ok =
            First ? (map.erase(map.begin()), true) : map.erase(order[i]) > 0;
        mapAnswers.line(ok ? "successful" : "unsuccessful");
      }
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

// Removes the record at a random position, as removeInorder does; the
// structure is rebuilt, untimed, once half its records are gone. Time per
// removal. std::map reaches a position only by stepping to it.
template <bool Tree> void removeAtPosition(benchmark::State &state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto ids = randomIds(n);
  std::unique_ptr<MorvAVLTree> tree;
  Map map;
  std::size_t size = 0;
  std::mt19937_64 rng(4);
  for (auto _ : state) {
    if (size <= n / 2) {
      state.PauseTiming();
      tree = Tree ? treeOf(ids) : nullptr;
      map = Tree ? Map() : mapOf(ids);
      size = n;
      state.ResumeTiming();
    }
    const auto position = static_cast<std::uint32_t>(rng() % size--);
    if constexpr (Tree) {
      tree->removeInOrder(position);
    } else {
      map.erase(std::next(map.begin(), static_cast<long>(position)));
      mapAnswers.line("successful");
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

// A name that about four records share, out of n/4 names.
std::string sharedName(std::size_t i, std::size_t n) {
  std::string name = "K";
  for (std::size_t k = i % std::max<std::size_t>(1, n / 4); k; k /= 26) {
    name += static_cast<char>('a' + k % 26);
  }
  return name;
}

// Searches a random stored name that about four records share; time per
// search. std::map has to look at every record.
template <bool Tree> void searchNameFew(benchmark::State &state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto ids = randomIds(n);
  MorvAVLTree tree(sink);
  Map map;
  for (std::size_t i = 0; i < n; ++i) {
    if constexpr (Tree) {
      tree.insert(sharedName(i, n), ids[i]);
    } else {
      map.emplace(ids[i], sharedName(i, n));
    }
  }
  // The first name search builds the tree's index of names: setup too.
  tree.search(sharedName(0, n));
  std::mt19937_64 rng(5);
  for (auto _ : state) {
    const std::string name = sharedName(rng() % n, n);
    if constexpr (Tree) {
      tree.search(name);
    } else {
      bool found = false;
      for (const auto &record : map) {
        if (record.second == name) {
          mapAnswers.line(record.first);
          found = true;
        }
      }
      if (!found) {
        mapAnswers.line("unsuccessful");
      }
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

// Whole-structure work: a name search that a quarter of the records match,
// and an in-order listing; time per record in the structure.
template <bool Tree, bool Listing> void visitAll(benchmark::State &state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const auto ids = randomIds(n);
  const auto tree = Tree ? treeOf(ids) : nullptr;
  const Map map = Tree ? Map() : mapOf(ids);
  if (Tree && !Listing) {
    tree->search("Cal"); // builds the index of names: setup
  }
  for (auto _ : state) {
    if constexpr (Tree) {
      Listing ? tree->printInOrder() : tree->search("Cal");
    } else if (Listing) {
      std::string &line = mapAnswers.pending();
      for (const auto &record : map) {
        line += line.empty() ? "" : ", ";
        line += record.second;
      }
      mapAnswers.endLine();
    } else {
      bool found = false;
      for (const auto &record : map) {
        if (record.second == "Cal") {
          mapAnswers.line(record.first);
          found = true;
        }
      }
      if (!found) {
        mapAnswers.line("unsuccessful");
      }
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}

#define SIZES                                                                  \
  RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond)

BENCHMARK(insertAll<true, false>)->Name("insert_random/tree")->SIZES;
BENCHMARK(insertAll<false, false>)->Name("insert_random/map")->SIZES;
BENCHMARK(insertAll<true, true>)->Name("insert_ascending/tree")->SIZES;
BENCHMARK(insertAll<false, true>)->Name("insert_ascending/map")->SIZES;
BENCHMARK(searchById<true>)
    ->Name("search_id/tree")
    ->RangeMultiplier(10)
    ->Range(1000, 1000000);
BENCHMARK(searchById<false>)
    ->Name("search_id/map")
    ->RangeMultiplier(10)
    ->Range(1000, 1000000);
BENCHMARK(removeAll<true, false>)->Name("remove_id/tree")->SIZES;
BENCHMARK(removeAll<false, false>)->Name("remove_id/map")->SIZES;
BENCHMARK(removeAll<true, true>)->Name("remove_position0/tree")->SIZES;
BENCHMARK(removeAll<false, true>)->Name("remove_position0/map")->SIZES;
BENCHMARK(removeAtPosition<true>)
    ->Name("remove_position/tree")
    ->RangeMultiplier(10)
    ->Range(1000, 1000000);
BENCHMARK(removeAtPosition<false>)
    ->Name("remove_position/map")
    ->RangeMultiplier(10)
    ->Range(1000, 1000000);
BENCHMARK(searchNameFew<true>)
    ->Name("search_name_few/tree")
    ->RangeMultiplier(10)
    ->Range(1000, 1000000);
BENCHMARK(searchNameFew<false>)
    ->Name("search_name_few/map")
    ->RangeMultiplier(10)
    ->Range(1000, 1000000);
BENCHMARK(visitAll<true, false>)->Name("search_name/tree")->SIZES;
BENCHMARK(visitAll<false, false>)->Name("search_name/map")->SIZES;
BENCHMARK(visitAll<true, true>)->Name("list_inorder/tree")->SIZES;
BENCHMARK(visitAll<false, true>)->Name("list_inorder/map")->SIZES;

} // namespace

BENCHMARK_MAIN();

// Seeded random command scripts run through the front end and, in parallel,
// against a std::map model, for every answer that does not depend on the
// tree's shape. The invariant checker runs after every command.
#include "TreeChecker.h"
#include "main.h"

#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace {

using Model = std::map<std::string, std::string>; // ID -> name

const char *const names[] = {"Al", "Bo", "Cy Di", "Ed"};

std::string joinedNames(const Model &model) {
  std::string line;
  for (const auto &entry : model) {
    line += (&entry == &*model.begin() ? "" : ", ") + entry.second;
  }
  return line + "\n";
}

std::set<std::string> linesOf(const std::string &text) {
  std::set<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.insert(line);
  }
  return lines;
}

// Runs one random command through the front end and on the model and
// compares the answers; a name search is compared as a set of IDs.
void runAndCompare(std::mt19937 &rng, unsigned idSpace, MorvAVLTree &tree,
                   std::ostringstream &out, Model &model, bool &removed) {
  const std::string id = std::to_string(10000000 + rng() % idSpace);
  const std::string name = names[rng() % std::size(names)];
  std::string line;
  std::string expected;
  const unsigned kind = rng() % 10;
  if (kind < 4) {
    line = "insert \"" + name + "\" " + id;
    expected =
        model.emplace(id, name).second ? "successful\n" : "unsuccessful\n";
  } else if (kind < 6) {
    line = "remove " + id;
    expected = model.erase(id) ? "successful\n" : "unsuccessful\n";
    removed = true;
  } else if (kind == 6) {
    const std::size_t position = rng() % (model.size() + 2);
    line = "removeInorder " + std::to_string(position);
    expected = "unsuccessful\n";
    if (position < model.size()) {
      model.erase(std::next(model.begin(), static_cast<long>(position)));
      expected = "successful\n";
    }
    removed = true;
  } else if (kind == 7) {
    line = "search " + id;
    const auto found = model.find(id);
    expected = found == model.end() ? "unsuccessful\n" : found->second + "\n";
  } else if (kind == 8) {
    line = "printInorder";
    expected = joinedNames(model);
  } else {
    line = "search \"" + name + "\"";
    for (const auto &[key, value] : model) {
      expected += value == name ? key + "\n" : "";
    }
    expected = expected.empty() ? "unsuccessful\n" : expected;
  }

  out.str("");
  LineStream stream(line);
  parseAndPerform(stream, tree);
  if (kind == 9) {
    EXPECT_EQ(linesOf(out.str()), linesOf(expected)) << line;
  } else {
    EXPECT_EQ(out.str(), expected) << line;
  }
  const TreeCheck check = checkTree(tree, !removed);
  ASSERT_EQ(check.error, "") << "after " << line;
  ASSERT_EQ(check.nodes, model.size()) << "after " << line;
}

TEST(Differential, SmallKeySpacesMatchTheMapModel) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    std::ostringstream out;
    MorvAVLTree tree(out);
    Model model;
    bool removed = false;
    const unsigned idSpace = 8 + seed % 60;
    for (int step = 0; step < 400 && !HasFatalFailure(); ++step) {
      runAndCompare(rng, idSpace, tree, out, model, removed);
    }
    ASSERT_FALSE(HasFailure()) << "seed " << seed;
  }
}

TEST(Differential, LongHistoryMatchesTheMapModel) {
  std::mt19937 rng(2024);
  std::ostringstream out;
  MorvAVLTree tree(out);
  Model model;
  bool removed = false;
  for (int step = 0; step < 20000 && !HasFatalFailure(); ++step) {
    runAndCompare(rng, 3000, tree, out, model, removed);
  }
}

} // namespace

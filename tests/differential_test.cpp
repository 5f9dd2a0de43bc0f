// Seeded random command scripts run through the front end and, in parallel,
// against a std::map model and against plain full walks over the tree's
// nodes: the model for every answer that does not depend on the tree's
// shape, the walks for the answers that do (name search in pre-order) and
// for the record removed by position. The invariant checker runs after
// every command. The same kind of scripts, run through the trace, must get
// the program's answers and leave its tree, and the trace must know every
// node's real height.
#include "Drawing.h"
#include "PageRun.h"
#include "ScriptSession.h"
#include "Text.h"
#include "Tracer.h"
#include "TreeChecker.h"
#include "TreeSnapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <random>
#include <sstream>
#include <vector>

namespace {

using Model = std::map<std::string, std::string>; // ID -> name

// Names that repeat, names that can be stored but never found by name, and
// as many more distinct ones as a test asks for.
std::vector<std::string> namePool(unsigned size) {
  std::vector<std::string> names = {"Al", "Bo", "Cy Di", "", " Al", "Ed"};
  for (unsigned i = 0; names.size() < size; ++i) {
    names.push_back(std::string("N") + char('a' + i % 26) +
                    char('a' + i / 26 % 26) + char('a' + i / 676 % 26));
  }
  names.resize(size);
  return names;
}

std::string joinedNames(const Model &model) {
  std::string line;
  for (const auto &entry : model) {
    line += (&entry == &*model.begin() ? "" : ", ") + entry.second;
  }
  return line + "\n";
}

// The IDs in ascending order, by a full in-order walk.
void walkInOrder(const PelixNode *node, std::vector<std::string> &ids) {
  if (!node) {
    return;
  }
  walkInOrder(node->leftChild, ids);
  ids.emplace_back(node->idText());
  walkInOrder(node->rightChild, ids);
}

struct History {
  unsigned idSpace;
  std::vector<std::string> names;
};

// Runs one random command through the front end, on the model and with the
// full walks, and compares the answers and then the records.
void runAndCompare(std::mt19937 &rng, const History &history,
                   ScriptSession &session, AnswerCapture &out, Model &model,
                   bool &removed) {
  const MorvAVLTree &tree = session.tree();
  const std::string id = std::to_string(10000000 + rng() % history.idSpace);
  const std::string &name = history.names[rng() % history.names.size()];
  std::vector<std::string> ids;
  walkInOrder(TreeInspector::root(tree), ids);
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
    if (position < ids.size()) {
      expected = model.erase(ids[position]) ? "successful\n" : "missing\n";
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
    expected = nameSearchByWalk(tree, name);
  }

  out.clear();
  LineStream stream(line);
  session.perform(parseCommand(stream));
  EXPECT_EQ(out.text(), expected) << line;
  const TreeCheck check = checkTree(tree, !removed);
  ASSERT_EQ(check.error, "") << "after " << line;

  // The records themselves: the tree's IDs are the model's.
  ids.clear();
  walkInOrder(TreeInspector::root(tree), ids);
  ASSERT_TRUE(std::equal(
      ids.begin(), ids.end(), model.begin(), model.end(),
      [](const std::string &a, const auto &b) { return a == b.first; }))
      << "after " << line;
}

TEST(Differential, SmallKeySpacesMatchTheMapModel) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::mt19937 rng(seed);
    AnswerCapture out;
    ScriptSession session(out);
    Model model;
    bool removed = false;
    // From one name for all records up to six, two never found by name.
    const History history{8 + seed % 60, namePool(1 + seed % 6)};
    for (int step = 0; step < 400 && !HasFatalFailure(); ++step) {
      runAndCompare(rng, history, session, out, model, removed);
    }
    ASSERT_FALSE(HasFailure()) << "seed " << seed;
  }
}

TEST(Differential, LongHistoryMatchesTheMapModel) {
  std::mt19937 rng(2024);
  AnswerCapture out;
  ScriptSession session(out);
  Model model;
  bool removed = false;
  // Names shared by a few records each.
  const History history{3000, namePool(600)};
  for (int step = 0; step < 20000 && !HasFatalFailure(); ++step) {
    runAndCompare(rng, history, session, out, model, removed);
  }
}

// Every node's real height and balance factor, as the checker finds them,
// against what the trace keeps; an empty string when they agree.
std::string realValuesDiffer(const TraceSession &session, const PelixNode *node,
                             int &real) {
  if (!node) {
    real = 0;
    return "";
  }
  int left = 0;
  int right = 0;
  std::string error = realValuesDiffer(session, node->leftChild, left);
  if (error.empty()) {
    error = realValuesDiffer(session, node->rightChild, right);
  }
  real = std::max(left, right) + 1;
  if (error.empty() &&
      (session.recorder().realHeight(node) != real ||
       session.recorder().realBalance(*node) != left - right)) {
    error = "real values of " + std::string(node->idText());
  }
  return error;
}

// Each node in ID order as "ID height balance records real;", as the trace
// knows them.
std::string inOrderValues(const TraceSession &session, const PelixNode *node) {
  if (!node) {
    return "";
  }
  return inOrderValues(session, node->leftChild) + std::string(node->idText()) +
         " " + std::to_string(node->height) + " " +
         std::to_string(node->balanceFactor) + " " +
         std::to_string(node->records) + " " +
         std::to_string(session.recorder().realHeight(node)) + ";" +
         inOrderValues(session, node->rightChild);
}

// The same from a view of the page's engine: the drawing after the step
// is its last sub-step's, each sub-step giving the nodes that changed.
std::string valuesInView(const std::string &json) {
  const auto field = [&json](std::size_t at, const char *name) {
    const std::string key = std::string("\"") + name + "\":";
    const std::size_t from = json.find(key, at) + key.size();
    return json.substr(from, json.find_first_of(",}", from) - from);
  };
  std::map<std::string, std::string> nodes; // key -> "ID ...;" or "" for more
  for (std::size_t at = json.find("\"nodes\":["); at != std::string::npos;
       at = json.find("\"nodes\":[", at + 1)) {
    const std::size_t gone = json.find("\"gone\":[", at);
    for (std::size_t node = json.find("{\"key\":", at); node < gone;
         node = json.find("{\"key\":", node + 1)) {
      const std::string key = field(node, "key");
      const std::size_t end = json.find('}', node);
      if (json.find("\"more\":true", node) < end) {
        nodes[key] = "";
        continue;
      }
      const std::string id = field(node, "id");
      nodes[key] = id.substr(1, id.size() - 2) + " " + field(node, "height") +
                   " " + field(node, "balance") + " " + field(node, "records") +
                   " " + field(node, "real") + ";";
    }
    const std::size_t goneEnd = json.find(']', gone);
    for (std::size_t key = json.find('"', gone + 8); key < goneEnd;
         key = json.find('"', json.find('"', key + 1) + 1)) {
      nodes.erase(json.substr(key, json.find('"', key + 1) - key + 1));
    }
  }
  std::vector<std::string> values;
  for (const auto &[key, value] : nodes) {
    if (!value.empty()) {
      values.push_back(value);
    }
  }
  std::sort(values.begin(), values.end());
  std::string all;
  for (const std::string &value : values) {
    all += value;
  }
  return all;
}

// Each node's real height; those of the nodes whose stored height is not
// their real one are kept as "ID real-height".
int realHeightsOf(const PelixNode *node, std::vector<std::string> &stale) {
  if (!node) {
    return 0;
  }
  const std::size_t at = stale.size();
  stale.emplace_back();
  const int left = realHeightsOf(node->leftChild, stale);
  const int right = realHeightsOf(node->rightChild, stale);
  const int real = 1 + std::max(left, right);
  stale[at] = real != node->height
                  ? std::string(node->idText()) + " " + std::to_string(real)
                  : "";
  return real;
}

std::vector<std::string> staleHeights(const PelixNode *root) {
  std::vector<std::string> stale;
  realHeightsOf(root, stale);
  stale.erase(std::remove(stale.begin(), stale.end(), ""), stale.end());
  return stale;
}

// A random script line: mostly commands on a small pool of IDs, so that
// removals leave stale heights that later inserts rotate on, and now and
// then a refused line.
std::string randomScriptLine(std::mt19937 &rng, const History &history) {
  const std::string id = std::to_string(10000000 + rng() % history.idSpace);
  const std::string &name = history.names[rng() % history.names.size()];
  switch (rng() % 12) {
  case 0:
  case 1:
  case 2:
  case 3:
    return "insert \"" + name + "\" " + id;
  case 4:
  case 5:
    return "remove " + id;
  case 6:
    return "removeInorder " + std::to_string(static_cast<int>(rng() % 20) - 2);
  case 7:
    return "search " + id;
  case 8:
    return "search \"" + name + "\"";
  case 9:
    return rng() % 2 ? "printPreorder" : "printLevelCount";
  case 10:
    return "insert \"" + name + "1\" " + id;
  default:
    return "printInorder ";
  }
}

// A tree built again from its compact copy answers every later command as
// the tree it was copied from, and knows which of its heights are stale:
// names of every size (a name's length takes more than one byte past 127),
// stale heights, and nodes taken up again from a tree that is done with.
TEST(Differential, ACopyOfTheTreeAnswersOnAsTheTreeItself) {
  TreeSnapshot::Spare spare;
  for (unsigned seed = 1; seed <= 60; ++seed) {
    std::mt19937 rng(seed);
    History history{8 + seed % 40, namePool(1 + seed % 6)};
    history.names.push_back(std::string(200 + seed, 'L'));
    std::vector<std::string> lines;
    for (int i = 0; i < 400; ++i) {
      lines.push_back(randomScriptLine(rng, history));
    }
    const std::size_t cut = rng() % lines.size();
    const auto scriptOf = [&lines](std::size_t from) {
      std::string script = std::to_string(lines.size() - from) + "\n";
      for (std::size_t i = from; i < lines.size(); ++i) {
        script += lines[i] + "\n";
      }
      return script;
    };
    std::istringstream wholeIn(scriptOf(0));
    AnswerCapture wholeAnswers;
    ScriptSession whole(wholeIn, wholeAnswers);
    ScriptSession::Step step;
    for (std::size_t i = 0; i < cut && whole.step(step); ++i) {
    }

    std::istringstream restIn(scriptOf(cut));
    AnswerCapture restAnswers;
    ScriptSession rest(restIn, restAnswers);
    std::vector<TreeSnapshot::Stale> stale;
    TreeSnapshot(whole.tree()).restoreInto(rest.tree(), spare, stale);
    ASSERT_EQ(shapeOf(TreeInspector::root(rest.tree())),
              shapeOf(TreeInspector::root(whole.tree())))
        << "seed " << seed;
    ASSERT_EQ(checkTree(rest.tree(), false).error, "") << "seed " << seed;
    std::vector<std::string> staleSaid;
    for (const TreeSnapshot::Stale &node : stale) {
      staleSaid.push_back(std::string(node.node->idText()) + " " +
                          std::to_string(node.realHeight));
    }
    std::vector<std::string> staleFound =
        staleHeights(TreeInspector::root(rest.tree()));
    std::sort(staleSaid.begin(), staleSaid.end());
    std::sort(staleFound.begin(), staleFound.end());
    EXPECT_EQ(staleSaid, staleFound) << "seed " << seed;

    wholeAnswers.clear();
    while (whole.step(step)) {
    }
    while (rest.step(step)) {
    }
    EXPECT_EQ(restAnswers.text(), wholeAnswers.text()) << "seed " << seed;
    ASSERT_EQ(shapeOf(TreeInspector::root(rest.tree())),
              shapeOf(TreeInspector::root(whole.tree())))
        << "seed " << seed;
    spare.take(rest.tree()); // the next copy is built from these nodes
  }
}

TEST(Differential, TraceAnswersAndKnowsTheRealHeights) {
  for (unsigned seed = 1; seed <= 100; ++seed) {
    std::mt19937 rng(seed);
    const History history{8 + seed % 40, namePool(1 + seed % 6)};
    std::string script = "300\n";
    for (int i = 0; i < 300; ++i) {
      script += randomScriptLine(rng, history) + (i % 7 ? "\n" : "\r\n");
    }

    std::istringstream plainIn(script);
    ScriptSession plain(plainIn);
    std::string plainAnswers;
    for (ScriptSession::Step step; plain.step(step);) {
      plainAnswers += step.answers;
    }

    std::istringstream tracedIn(script);
    TraceSession session(tracedIn);
    std::vector<std::string> trees = {""}; // after each step, from step 0
    std::vector<std::string> said = {""};  // each step's line and note
    std::string answers;
    TraceStep step;
    while (session.step(step)) {
      answers += step.answers;
      std::string lineAndNote =
          "\"line\":" + std::to_string(step.line) + ",\"text\":";
      text::appendJson(lineAndNote, text::escaped(step.text));
      said.push_back(lineAndNote + ",\"note\":");
      text::appendJson(said.back(), step.note);
      int real = 0;
      ASSERT_EQ(realValuesDiffer(session, session.view().root(), real), "")
          << "seed " << seed << ", after line " << step.line;
      trees.push_back(inOrderValues(session, session.view().root()));
    }
    EXPECT_EQ(answers, plainAnswers) << "seed " << seed;

    // The page's engine shows every step's tree again, stepping forward
    // and going back from copies of the tree, with the real heights.
    PageRun page(script, false, 16);
    EXPECT_EQ(page.answers(), plainAnswers) << "seed " << seed;
    PageTreeOptions all;
    all.depth = 0;
    for (std::uint32_t k = 0; k < trees.size(); k += 1 + rng() % 40) {
      // The timeline fills in copies of the tree as it goes.
      page.index(rng() % 64);
      for (const std::uint32_t shown :
           {k, k + 1, static_cast<std::uint32_t>(rng() % trees.size())}) {
        if (shown < trees.size()) {
          const std::string view = page.view(shown, all);
          ASSERT_EQ(valuesInView(view), trees[shown])
              << "seed " << seed << ", step " << shown;
          ASSERT_NE(view.find(said[shown]), std::string::npos)
              << "seed " << seed << ", step " << shown << "\n"
              << said[shown] << "\n"
              << view.substr(0, 400);
        }
      }
    }
    std::string shape;
    writeShape(session, shape);
    EXPECT_EQ(shape, shapeOf(TreeInspector::root(plain.tree())))
        << "seed " << seed;
  }
}

} // namespace

// Feeds arbitrary bytes to the program's own path from the count line to the
// last command, then checks the tree's invariants, checks a name search for
// every stored name against a full walk, and destroys the tree. The same
// bytes traced must get the same answers, and the trace must know the real
// height of every node. The bytes are also read as a scenario file, which
// must either parse or say why not.
#include "Scenario.h"
#include "ScriptSession.h"
#include "Tracer.h"
#include "TreeChecker.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

namespace {

void collectNames(const PelixNode *node, std::set<std::string> &names) {
  if (node) {
    names.insert(node->name);
    collectNames(node->leftChild, names);
    collectNames(node->rightChild, names);
  }
}

void fail(const std::string &what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

// The real height of a subtree; fails where the trace thinks otherwise.
int checkRealHeights(const TraceSession &session, const PelixNode *node) {
  if (!node) {
    return 0;
  }
  const int left = checkRealHeights(session, node->leftChild);
  const int right = checkRealHeights(session, node->rightChild);
  if (session.recorder().realHeight(node) != std::max(left, right) + 1 ||
      session.recorder().realBalance(*node) != left - right) {
    fail("the trace's real height differs at " + std::string(node->idText()));
  }
  return std::max(left, right) + 1;
}

// Runs the input through the trace, as far as the program ran it.
void checkTrace(const std::string &input, std::uint32_t count,
                const std::string &answers) {
  std::istringstream in(input);
  TraceSession session(in);
  std::string traced;
  TraceStep step;
  for (std::uint32_t i = 0; i < count && session.step(step); ++i) {
    traced += step.answers;
  }
  if (traced != answers) {
    fail("the trace answers differently");
  }
  checkRealHeights(session, session.view().root());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  const std::string input(reinterpret_cast<const char *>(data), size);
  std::istringstream in(input);
  AnswerCapture answers;
  ScriptSession session(in, answers);
  // Commands past the input's end are only answered; a cap keeps each run
  // fast without skipping any line the input holds, and still answers a
  // few commands that have none.
  const std::uint32_t count = static_cast<std::uint32_t>(
      std::min<std::size_t>(session.count(), size + 2));
  ScriptSession::Step step;
  for (std::uint32_t i = 0; i < count && session.step(step); ++i) {
  }
  MorvAVLTree &tree = session.tree();

  // Every command gets at least one answer line.
  if (std::count(answers.text().begin(), answers.text().end(), '\n') < count) {
    fail("a command went unanswered");
  }
  // Heights are exact and balanced until the first removal.
  const bool removals = input.find("remove") != std::string::npos;
  const TreeCheck check = checkTree(tree, !removals);
  if (!check.error.empty()) {
    fail(check.error);
  }
  checkTrace(input, count, answers.text());

  // A scenario file is read or refused with a reason, never both.
  Scenario scenario;
  std::string error;
  const bool read = parseScenario(input, scenario, error);
  if (read != error.empty()) {
    fail("the scenario reader both read and refused, or neither");
  }

  // The name index answers every stored name as a full walk does.
  std::set<std::string> names;
  collectNames(TreeInspector::root(tree), names);
  for (const std::string &name : names) {
    answers.clear();
    tree.search(name);
    if (answers.text() != nameSearchByWalk(tree, name)) {
      fail("name search differs from the walk for '" + name + "'");
    }
  }
  return 0;
}

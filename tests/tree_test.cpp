// Shapes, stored heights and node ownership of the tree, where the listings
// alone cannot tell.
#include "AllocationCounter.h"
#include "CollidingNames.h"
#include "TreeChecker.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

class TreeTest : public ::testing::Test {
protected:
  // Inserts records named by one letter each; the ID is derived from the
  // letter, so "ACB" inserts A=10000000, C=30000000, B=20000000.
  void insertLetters(const std::string &letters) {
    for (const char c : letters) {
      tree.insert(std::string(1, c), std::string(1, c - 'A' + '1') + "0000000");
    }
  }

  std::string answers() {
    std::string text = out.text();
    out.clear();
    return text;
  }

  AnswerCapture out;
  MorvAVLTree tree{out};
};

struct RotationCase {
  const char *inserts;
  const char *shape;
};

// Every rotation kind, at the root and below it, with the stored heights it
// leaves behind.
TEST_F(TreeTest, RotationsLeaveExactShapeAndHeights) {
  const RotationCase cases[] = {
      {"ABC", "B:2(A:1,C:1)"},                       // left
      {"CBA", "B:2(A:1,C:1)"},                       // right
      {"CAB", "B:2(A:1,C:1)"},                       // leftRight
      {"ACB", "B:2(A:1,C:1)"},                       // rightLeft
      {"BADEF", "B:3(A:1,E:2(D:1,F:1))"},            // left below the root
      {"DEBCA", "D:3(B:2(A:1,C:1),E:1)"},            // right below the root
      {"DBFACEG", "D:3(B:2(A:1,C:1),F:2(E:1,G:1))"}, // perfect, no rotation
      {"ABCDEFG", "D:3(B:2(A:1,C:1),F:2(E:1,G:1))"}, // ascending run
  };
  for (const RotationCase &c : cases) {
    AnswerCapture sink;
    MorvAVLTree t{sink};
    for (const char *p = c.inserts; *p; ++p) {
      t.insert(std::string(1, *p), std::string(1, *p - 'A' + '1') + "0000000");
    }
    EXPECT_EQ(renderShape(t), c.shape) << c.inserts;
    EXPECT_EQ(checkTree(t, true).error, "") << c.inserts;
  }
}

TEST_F(TreeTest, DuplicateIdIsRefusedAndKeepsTheStoredName) {
  insertLetters("AB");
  tree.insert("Zed", "10000000");
  tree.insert("A", "20000000");
  EXPECT_EQ(answers(), "successful\nsuccessful\nunsuccessful\nunsuccessful\n");
  EXPECT_EQ(renderShape(tree), "A:2(-,B:1)");
}

TEST_F(TreeTest, AscendingInsertsStayLogarithmic) {
  for (int i = 0; i < 4095; ++i) {
    tree.insert("N", std::to_string(10000000 + i));
  }
  const TreeCheck check = checkTree(tree, true);
  EXPECT_EQ(check.error, "");
  EXPECT_EQ(check.nodes, 4095u);
  EXPECT_EQ(check.height, 12); // 4095 = 2^12 - 1 fills 12 levels exactly
}

} // namespace

TEST_F(TreeTest, EveryNodeIsFreedByRemovalOrDestruction) {
  const std::size_t before = liveAllocations();
  {
    AnswerCapture sink;
    MorvAVLTree t{sink};
    for (int i = 0; i < 300; ++i) {
      // Names too long for the small-string buffer allocate too.
      t.insert(std::string(40, 'a' + i % 26), std::to_string(10000000 + i * 7));
    }
    for (int i = 0; i < 300; i += 3) {
      t.remove(std::to_string(10000000 + i * 7));
    }
    t.removeInOrder(0);
  }
  EXPECT_EQ(liveAllocations(), before);
}

// Removals leave the inner grandchild's parent claiming a child that is gone;
// a refused duplicate through the grandparent then rotates singly instead of
// following the missing link, and no record is lost.
TEST_F(TreeTest, StaleFactorWithMissingGrandchildRotatesSingly) {
  const char *const names[] = {"Pam", "Lou", "Rex", "Ada", "Ned", "Zoe", "Kim"};
  const struct {
    int ids[7];
    int removals[3];
    const char *shape;
  } cases[] = {
      {{50, 30, 70, 20, 40, 80, 45},
       {40, 45, 70},
       "Lou:3(Ada:1,Pam:2(-,Zoe:1))"},
      {{50, 70, 30, 80, 60, 20, 55},
       {60, 55, 30},
       "Lou:3(Pam:2(Zoe:1,-),Ada:1)"},
  };
  for (const auto &c : cases) {
    AnswerCapture sink;
    MorvAVLTree t{sink};
    for (int i = 0; i < 7; ++i) {
      t.insert(names[i], std::to_string(c.ids[i] * 1000000));
    }
    for (const int id : c.removals) {
      t.remove(std::to_string(id * 1000000));
    }
    t.insert("Dup", std::to_string(c.ids[5] * 1000000));
    EXPECT_EQ(renderShape(t), c.shape);
    const TreeCheck check = checkTree(t, false);
    EXPECT_EQ(check.error, "");
    EXPECT_EQ(check.nodes, 4u);
  }
}

namespace {

// The slots that finding every name reads: what inserting them cost.
std::size_t probesToFindAll(const std::vector<std::string> &names) {
  AnswerCapture sink;
  MorvAVLTree tree{sink};
  for (std::size_t i = 0; i < names.size(); ++i) {
    tree.insert(names[i], std::to_string(10000000 + i));
    if (i == 0) {
      tree.search(names[0]); // from the first name search on, it is kept
    }
  }
  std::size_t probes = 0;
  for (const std::string &name : names) {
    probes += TreeInspector::names(tree).probeLength(name);
  }
  return probes;
}

} // namespace

// Names chosen to share one probe run under an unkeyed hash cost the keyed
// index no more than any names: twice the names, about twice the probes,
// where one shared run would make it four times.
TEST(NameIndex, CraftedCollisionsStayLinear) {
  const std::vector<std::string> names = namesCollidingUnkeyed(1600, 12);
  const std::vector<std::string> half(names.begin(), names.begin() + 800);
  const std::size_t probesHalf = probesToFindAll(half);
  const std::size_t probesAll = probesToFindAll(names);
  EXPECT_GE(probesHalf, half.size());
  EXPECT_LE(probesAll, 3 * probesHalf);
  EXPECT_LE(probesAll, 3 * names.size());
}

namespace {

// What the tree tells an observer, one token per event; nodes by the first
// two digits of their ID.
class EventLog final : public TreeEvents {
public:
  std::string text;

private:
  static std::string at(const PelixNode *node) {
    return node ? std::string(node->idText().substr(0, 2)) : "-";
  }
  void add(const std::string &event) {
    text += (text.empty() ? "" : " | ") + event;
  }

  void linked(const PelixNode &node, const PelixNode *parent) override {
    add("link " + at(&node) + (parent ? "<" + at(parent) : ""));
  }
  void refused(const PelixNode &present) override {
    add("refuse " + at(&present));
  }
  void recomputed(const PelixNode &node, Recompute why, std::int32_t,
                  std::int32_t) override {
    const char *const causes[] = {"path", "rotation", "removal"};
    add(at(&node) + "/" + causes[static_cast<int>(why)]);
  }
  void rotating(const RotationChoice &choice) override {
    const char *const kinds[] = {"left", "right", "leftRight", "rightLeft"};
    add(std::string("rotate ") + kinds[static_cast<int>(choice.kind)] + "@" +
        at(choice.node) + " child=" + at(choice.child) +
        " rise=" + at(choice.rising) + " " + std::to_string(choice.nodeFactor) +
        "," + std::to_string(choice.childFactor) +
        (choice.missingGrandchild ? " missing" : ""));
  }
  void removing(const RemovalChoice &choice) override {
    const char *const kinds[] = {"leaf", "onlyLeft", "onlyRight", "right",
                                 "far"};
    add(std::string("remove ") + kinds[static_cast<int>(choice.kind)] + "@" +
        at(choice.node) + (choice.taken ? " take=" + at(choice.taken) : "") +
        (choice.successorParent ? " parent=" + at(choice.successorParent)
                                : ""));
  }
  void freeing(const PelixNode &node) override { add("free " + at(&node)); }
  void searched(std::uint64_t matches) override {
    add("found " + std::to_string(matches));
  }
};

// Runs steps ("+50" inserts 50000000 named N, "-50" removes it, "?50"
// searches it, "?N" searches the name) and returns what the last one told.
std::string eventsOfLast(const std::string &steps) {
  AnswerCapture answers;
  EventLog log;
  MorvAVLTree tree(answers, &log);
  std::istringstream in(steps);
  for (std::string step; in >> step;) {
    log.text.clear();
    const std::string key =
        step.substr(1) == "N" ? "N" : step.substr(1) + "000000";
    if (step[0] == '+') {
      tree.insert("N", key);
    } else if (step[0] == '-') {
      tree.remove(key);
    } else {
      tree.search(key);
    }
  }
  return log.text;
}

} // namespace

// Each decision is told with the values that made it: the kind of rotation
// and the stored factors that chose it, the case of a removal and the nodes
// it involves, in the order the tree takes them. A wrong report fails here
// before any note could tell a wrong story.
TEST(TreeEvents, EveryDecisionIsToldWithItsValues) {
  const std::string perfect = "+40 +20 +60 +10 +30 +50 +70 ";
  const struct {
    std::string steps;
    const char *events;
  } rows[] = {
      {"+10 +20 +30", "link 30<20 | 20/path | 10/path | rotate left@10 "
                      "child=20 rise=20 -2,-1 | 10/rotation | 20/rotation"},
      {"+30 +20 +10", "link 10<20 | 20/path | 30/path | rotate right@30 "
                      "child=20 rise=20 2,1 | 30/rotation | 20/rotation"},
      {"+30 +10 +20", "link 20<10 | 10/path | 30/path | rotate leftRight@30 "
                      "child=10 rise=20 2,-1 | 10/rotation | 20/rotation | "
                      "30/rotation | 20/rotation"},
      {"+10 +30 +20", "link 20<30 | 30/path | 10/path | rotate rightLeft@10 "
                      "child=30 rise=20 -2,1 | 30/rotation | 20/rotation | "
                      "10/rotation | 20/rotation"},
      // A stale factor claims an inner grandchild that removals took away.
      {"+50 +30 +70 +20 +40 +80 +45 -40 -45 -70 +80",
       "refuse 80 | 50/path | rotate right@50 child=30 rise=30 2,-1 missing | "
       "50/rotation | 30/rotation"},
      {perfect + "-70", "remove leaf@70 | free 70"},
      {perfect + "-70 -60",
       "remove onlyLeft@60 take=50 | free 50 | 50/removal"},
      {perfect + "-10 -20",
       "remove onlyRight@20 take=30 | free 30 | 30/removal"},
      {perfect + "-20", "remove right@20 take=30 | free 30 | 30/removal"},
      {perfect + "+45 -40", "remove far@40 take=45 parent=50 | 50/removal | "
                            "free 45 | 45/removal"},
      {perfect + "-99", ""},
      {perfect + "?50", "found 1"},
      {perfect + "?99", "found 0"},
      {perfect + "?N", "found 7"},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(eventsOfLast(row.steps), row.events) << row.steps;
  }
}

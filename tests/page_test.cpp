// The page's engine on its own: the copies of the tree it keeps along a
// script stay within their budget and keep the copy near the end; a run
// that stops at the answers the page can hold gathers its timeline no
// further than it ran.
#include "Checkpoints.h"
#include "PageRun.h"
#include "ScriptSession.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

std::string insertsScript(int inserts, int more, const std::string &then) {
  std::string script = std::to_string(inserts + more) + "\n";
  for (int i = 0; i < inserts; ++i) {
    const std::string name = {'N', char('a' + i % 26), char('a' + i / 26 % 26),
                              char('a' + i / 676 % 26)};
    script += "insert \"" + name + "\" " +
              std::to_string(10000000 + i * 7919 % 90000000) + "\n";
  }
  for (int i = 0; i < more; ++i) {
    script += then + "\n";
  }
  return script;
}

TEST(Checkpoints, StayWithinTheirBudgetAndKeepTheEnd) {
  std::istringstream in(insertsScript(3000, 0, ""));
  AnswerCapture answers(1 << 20);
  ScriptSession session(in, answers);
  const std::size_t budget = 200000;
  Checkpoints points(budget, 0, TreeSnapshot(session.tree()), 16);
  std::uint64_t done = 0;
  for (ScriptSession::Step step; session.step(step);) {
    ++done;
    if (points.due(done) || done == 2990) {
      points.add(done, 0, 0, TreeSnapshot(session.tree()), done == 2990);
      EXPECT_LE(points.bytes(), budget) << "after " << done;
    }
  }
  EXPECT_GT(points.every(), 16U); // the budget made them thin out
  EXPECT_EQ(points.before(2995).done, 2990U);
  EXPECT_EQ(points.before(2989).done % points.every(), 0U);
  EXPECT_EQ(points.before(points.every() - 1).done, 0U);
  EXPECT_EQ(Checkpoints::plannedEvery(1000000), 16384U);
  EXPECT_EQ(Checkpoints::plannedEvery(1000), 1024U);

  // Copies filled in later go to their places, within the budget.
  const TreeSnapshot tree(session.tree());
  Checkpoints later(10 * tree.bytes(), 0, TreeSnapshot(tree), 100);
  later.add(100, 1, 1, TreeSnapshot(tree));
  later.add(200, 2, 2, TreeSnapshot(tree));
  EXPECT_FALSE(later.has(150));
  EXPECT_TRUE(later.fill(150, 7, 9, TreeSnapshot(tree)));
  EXPECT_TRUE(later.has(150));
  EXPECT_EQ(later.before(170).offset, 7U);
  EXPECT_EQ(later.before(120).done, 100U);
  EXPECT_EQ(later.before(250).done, 200U);
  Checkpoints full(tree.bytes() - 1, 0, TreeSnapshot(tree), 16);
  EXPECT_FALSE(full.fill(5, 0, 0, TreeSnapshot(tree)));
  EXPECT_FALSE(full.has(5));
}

TEST(PageRun, StopsAtTheAnswersItHoldsAndGathersNoFurther) {
  // Each listing writes about 15 KB: 5,000 of them pass the 64 MB held.
  const std::string script = insertsScript(2500, 5000, "printInorder");
  PageRun run(script, false);
  EXPECT_NE(run.summary().find("\"stopped\":true"), std::string::npos);
  ASSERT_LT(run.steps(), 7500U);
  EXPECT_GT(run.steps(), 2500U);
  while (run.index(1000).find("\"done\":true") == std::string::npos) {
  }
  EXPECT_EQ(run.timeline().steps(), run.steps());
  EXPECT_LE(run.answers().size(), PageRun::mostAnswerBytes);
}

} // namespace

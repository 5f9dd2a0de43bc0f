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

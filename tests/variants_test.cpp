// The variants of the one engine: each one's example shows its difference
// from the program, and none breaks the tree's invariants; the textbook tree
// keeps every stored height exact through removals too.
#include "Generator.h"
#include "ScriptSession.h"
#include "TreeChecker.h"
#include "Variants.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::string answersOf(std::string_view script, const Policy *policy) {
  std::istringstream in{std::string(script)};
  ScriptSession session(in, nullptr, policy);
  std::string answers;
  for (ScriptSession::Step step; session.step(step);) {
    answers += step.answers;
    if (step.missing) {
      break; // the commands after it answer alike
    }
  }
  return answers;
}

TEST(Variants, EachExampleShowsItsDifference) {
  EXPECT_GE(variants().size(), 15u);
  EXPECT_NE(findVariant("textbook"), nullptr);
  for (const Variant &variant : variants()) {
    EXPECT_NE(answersOf(variant.example, nullptr),
              answersOf(variant.example, &variant.policy))
        << variant.name;
    EXPECT_EQ(
        variant.name.find_first_not_of("abcdefghijklmnopqrstuvwxyz-0123456789"),
        std::string_view::npos)
        << variant.name;
  }
}

// Every variant on generated scripts: the checker after every command. The
// textbook tree rebalances every removal's path, so its heights are exact
// and its factors within -1 to 1 throughout.
TEST(Variants, KeepTheTreesInvariants) {
  for (const Variant &variant : variants()) {
    const bool textbook = variant.name == "textbook";
    for (std::uint64_t seed = 1; seed <= 12; ++seed) {
      const std::string script =
          generateScript(seed % 2 ? "conformance" : "mixed-names", 600, seed);
      std::istringstream in(script);
      ScriptSession session(in, nullptr, &variant.policy);
      bool removed = false;
      for (ScriptSession::Step step; session.step(step) && !step.missing;) {
        removed = removed || step.command.kind == Command::Kind::remove ||
                  step.command.kind == Command::Kind::removeInOrder;
        const TreeCheck check = checkTree(session.tree(), textbook || !removed);
        ASSERT_EQ(check.error, "")
            << variant.name << ", seed " << seed << ", line " << step.line;
      }
    }
  }
}

} // namespace

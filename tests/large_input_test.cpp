// End to end on inputs too large to keep as scenario files: megabyte names
// and megabyte lines of junk.
#include "RunProgram.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(LargeInput, MegabyteNamesAreStoredListedAndFound) {
  const std::string name(4 << 20, 'x');
  const std::string spaced = std::string(1 << 20, 'Q') + " " + name;
  const ProgramRun run = runProgram(
      "7\ninsert \"" + name + "\" 20000000\ninsert \"" + spaced +
          "\" 10000000\ninsert \"" + name + "9\" 30000000\nsearch \"" + name +
          "\"\nsearch 10000000\nprintInorder\nprintLevelCount\n",
      "megabyte-names");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "successful\nsuccessful\nunsuccessful\n20000000\n" +
                         spaced + "\n" + spaced + ", " + name + "\n2\n");
}

TEST(LargeInput, MegabyteJunkLinesAreRefusedOneAnswerEach) {
  std::mt19937 rng(3);
  std::string junk(3 << 20, '\0');
  for (char &c : junk) {
    c = static_cast<char>(rng() % 256);
    c = c == '\n' ? '\r' : c;
  }
  const ProgramRun run =
      runProgram("4\n" + junk + "\ninsert \"" + junk +
                     "\" 12345678\nsearch \"" + junk + "\nprintLevelCount\n",
                 "megabyte-junk");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "unsuccessful\nunsuccessful\nunsuccessful\n0\n");
}

} // namespace

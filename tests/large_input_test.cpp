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

// A reader that stops reading early must not end the run with a signal:
// the program still exits 0 and writes nothing on standard error.
TEST(LargeInput, ClosedReaderEndsTheRunNormally) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "morvavl-run-closed-reader";
  fs::create_directories(dir);
  {
    std::ofstream script(dir / "in", std::ios::binary);
    script << "200000\n";
    for (int i = 0; i < 200000; ++i) {
      script << "insert \"Al\" " << 10000000 + i << "\n";
    }
  }
  const std::string d = dir.string();
  const std::string command = "('" + std::string(MORVAVL_PROGRAM) + "' < '" +
                              d + "/in' 2> '" + d + "/err'; echo $? > '" + d +
                              "/status') | head -c 1 > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(readFile(dir / "status"), "0\n");
  EXPECT_EQ(readFile(dir / "err"), "");
  fs::remove_all(dir);
}

} // namespace

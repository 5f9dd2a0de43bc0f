// End to end through the built program where scenario files cannot reach:
// megabyte inputs, a reader that goes away, and drivers that wait for each
// answer before they send the next line.
#include "RunProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <sstream>

namespace {

using namespace std::chrono_literals;

TEST(LargeInput, MegabyteNamesAreStoredListedAndFound) {
  const std::string name(4 << 20, 'x');
  const std::string spaced = std::string(1 << 20, 'Q') + " " + name;
  const ProgramRun run =
      runProgram("7\ninsert \"" + name + "\" 20000000\ninsert \"" + spaced +
                 "\" 10000000\ninsert \"" + name + "9\" 30000000\nsearch \"" +
                 name + "\"\nsearch 10000000\nprintInorder\nprintLevelCount\n");
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
                 "\" 12345678\nsearch \"" + junk + "\nprintLevelCount\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "unsuccessful\nunsuccessful\nunsuccessful\n0\n");
}

// A reader that stops reading early must not end the run with a signal:
// the program still exits 0 and writes nothing on standard error.
TEST(LargeInput, ClosedReaderEndsTheRunNormally) {
  const ScratchDir dir;
  {
    std::ofstream script(dir / "in", std::ios::binary);
    script << "200000\n";
    for (int i = 0; i < 200000; ++i) {
      script << "insert \"Al\" " << 10000000 + i << "\n";
    }
  }
  const std::string command = "('" + std::string(MORVAVL_PROGRAM) + "' < " +
                              dir.quoted("in") + " 2> " + dir.quoted("err") +
                              "; echo $? > " + dir.quoted("status") +
                              ") | head -c 1 > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(readFile(dir / "status"), "0\n");
  EXPECT_EQ(readFile(dir / "err"), "");
}

// A driver that sends one line and waits for its answers before it sends
// the next: every command kind, one of them answered with several lines.
// The count line itself gets no answer but must not be held back either.
void converse(Session::Channel channel) {
  const struct {
    const char *line;
    const char *answer;
  } exchanges[] = {
      {"13", ""},
      {"insert \"Ann\" 50000000", "successful\n"},
      {"insert \"Ben\" 60000000", "successful\n"},
      {"insert \"Ann\" 40000000", "successful\n"},
      {"search \"Ann\"", "50000000\n40000000\n"},
      {"search 60000000", "Ben\n"},
      {"printInorder", "Ann, Ann, Ben\n"},
      {"printPreorder", "Ann, Ann, Ben\n"},
      {"printPostorder", "Ann, Ben, Ann\n"},
      {"printLevelCount", "2\n"},
      {"remove 60000000", "successful\n"},
      {"removeInorder 0", "successful\n"},
      {"frobnicate", "unsuccessful\n"},
      {"search 50000000", "Ann\n"},
  };
  Session session(channel);
  for (const auto &exchange : exchanges) {
    session.send(std::string(exchange.line) + "\n");
    ASSERT_EQ(session.receive(std::strlen(exchange.answer), 3s),
              exchange.answer)
        << "answer to '" << exchange.line << "' missing or wrong after 3 s";
  }
  EXPECT_EQ(session.finish(3s), 0);
  EXPECT_EQ(session.receive(1, 100ms), "") << "answers beyond the count";
  EXPECT_EQ(session.errors(), "");
}

TEST(Interactive, DriverThroughPipesGetsEachAnswerBeforeTheNextLine) {
  converse(Session::Channel::Pipes);
}

// Another program may have left the pipe non-blocking: reads then say
// EAGAIN while the driver has not sent the next line yet, which is not the
// end of the input.
TEST(Interactive, NonBlockingInputIsWaitedFor) {
  converse(Session::Channel::NonBlockingPipes);
}

TEST(Interactive, PersonAtATerminalGetsEachAnswerAtOnce) {
  converse(Session::Channel::Terminal);
}

// Under nohup, a terminal that goes away makes reads fail rather than end;
// that ends the input like Ctrl-D, without a crash or a word on standard
// error.
TEST(Interactive, TerminalClosedUnderNohupEndsTheRunNormally) {
  Session session(Session::Channel::Terminal, true);
  session.send("3\ninsert \"Al\" 12345678\n");
  ASSERT_EQ(session.receive(11, 3s), "successful\n");
  session.hangUp();
  EXPECT_EQ(session.finish(3s), 0);
  EXPECT_EQ(session.errors(), "");
}

} // namespace

// The front end's reading primitives and conversions, checked against the
// standard library behaviour they reproduce.
#include "AllocationCounter.h"
#include "Generator.h"
#include "ScriptSession.h"
#include "Tracer.h"
#include "TreeChecker.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>

namespace {

std::string randomLine(std::mt19937 &rng, const std::string &alphabet,
                       std::size_t maxLength) {
  std::string line(rng() % (maxLength + 1), ' ');
  for (char &c : line) {
    c = alphabet[rng() % alphabet.size()];
  }
  return line;
}

// The same sequence of reads on LineStream and on a string stream with
// getline() and peek() must take the same text and fail at the same time.
TEST(LineStream, ReadsLikeAStringStream) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = randomLine(rng, "ab \"", 6);
    LineStream line(text);
    std::istringstream stream(text);
    for (int step = 0; step < 5; ++step) {
      const unsigned kind = rng() % 4;
      if (kind == 0) {
        const int expected = stream.peek();
        EXPECT_EQ(line.peek(), expected == EOF ? -1 : expected) << text;
        continue;
      }
      std::string_view got;
      std::string want;
      const char delimiter = kind == 1 ? ' ' : kind == 2 ? '"' : '\n';
      const bool ok =
          kind == 3 ? line.readRest(got) : line.readUpTo(delimiter, got);
      const bool wantOk =
          static_cast<bool>(std::getline(stream, want, delimiter));
      ASSERT_EQ(ok, wantOk) << "line '" << text << "' step " << step;
      if (ok) {
        EXPECT_EQ(got, want) << text;
      }
    }
  }
}

// One row per rule a line can break: the parse names the rule and the text
// that breaks it, and the trace explains each rule in a note of its own.
TEST(Refusal, EachRuleIsNamedWithItsOffendingText) {
  const struct {
    const char *line;
    Rule rule;
    const char *offending;
    const char *notePart;
  } rows[] = {
      {"", Rule::emptyLine, "", "the line is empty"},
      {" remove 12345678", Rule::leadingSpace, " remove 12345678",
       "begins with a space"},
      {"frobnicate", Rule::unknownWord, "frobnicate", "not a command word"},
      {"Insert \"Al\" 12345678", Rule::wordCase, "Insert", "case-sensitive"},
      {"printInorder ", Rule::printNotAlone, " ", "must stand alone"},
      {"remove", Rule::missingArguments, "remove", "needs an ID"},
      {"insert  \"Al\" 12345678", Rule::quoteNotFirst, " ",
       "opening quote must follow"},
      {"insert \"A1\" 12345678", Rule::nameCharacter, "1",
       "letters and spaces only"},
      {"insert \"Al\"  12345678", Rule::idLength, " 12345678",
       "has 9 characters"},
      {"search 1234567x", Rule::idCharacter, "x", "holds \"x\""},
      {"removeInorder abc", Rule::positionNotNumber, "abc", "not a number"},
      {"removeInorder 99999999999", Rule::positionOutOfRange, "99999999999",
       "outside the signed 32-bit range"},
  };
  std::string script = std::to_string(std::size(rows)) + "\n";
  for (const auto &row : rows) {
    LineStream line(row.line);
    const Command command = parseCommand(line);
    EXPECT_EQ(command.kind, Command::Kind::refused) << row.line;
    EXPECT_EQ(command.rule, row.rule) << row.line;
    EXPECT_EQ(command.offending, row.offending) << row.line;
    script += std::string(row.line) + "\n";
  }
  std::istringstream in(script);
  TraceSession session(in);
  std::set<std::string> notes;
  TraceStep step;
  for (const auto &row : rows) {
    ASSERT_TRUE(session.step(step));
    EXPECT_NE(step.note.find(row.notePart), std::string::npos)
        << row.line << ": " << step.note;
    notes.insert(step.note);
  }
  EXPECT_EQ(notes.size(), std::size(rows));
}

// A parsed command printed as a plain line parses back to the same command,
// and prints the same again; a refused line has no plain form.
TEST(PrintCommand, RoundTripsEveryGeneratedLine) {
  std::size_t printed = 0;
  for (const char *kind : {"conformance", "mixed-names", "stress"}) {
    for (std::uint64_t seed = 1; seed <= 20; ++seed) {
      std::istringstream script(generateScript(kind, 300, seed));
      std::string text;
      std::getline(script, text); // the count line
      while (std::getline(script, text)) {
        LineStream line(text);
        const Command command = parseCommand(line);
        std::string plain;
        const bool hasPlainForm = printCommand(command, plain);
        ASSERT_EQ(hasPlainForm, command.kind != Command::Kind::refused) << text;
        if (!hasPlainForm) {
          continue;
        }
        ++printed;
        LineStream again(plain);
        const Command reparsed = parseCommand(again);
        EXPECT_EQ(reparsed.kind, command.kind) << text << " -> " << plain;
        EXPECT_EQ(reparsed.name, command.name) << text << " -> " << plain;
        EXPECT_EQ(reparsed.id, command.id) << text << " -> " << plain;
        EXPECT_EQ(reparsed.position, command.position) << text;
        EXPECT_TRUE(reparsed.skipped.empty()) << plain;
        std::string twice;
        printCommand(reparsed, twice);
        EXPECT_EQ(twice, plain);
      }
    }
  }
  EXPECT_GT(printed, 10000u);

  // The plain form of each kind, as a person would type it.
  using Kind = Command::Kind;
  const std::pair<Command, const char *> plainForms[] = {
      {Command::insert("Al Bo", "12345678"), "insert \"Al Bo\" 12345678"},
      {Command::insert("", "12345678"), "insert \"\" 12345678"},
      {Command::remove("12345678"), "remove 12345678"},
      {Command::removeInOrder(-3), "removeInorder -3"},
      {Command::searchId("12345678"), "search 12345678"},
      {Command::searchName("Al"), "search \"Al\""},
      {Command::print(Kind::printInOrder), "printInorder"},
      {Command::print(Kind::printPreOrder), "printPreorder"},
      {Command::print(Kind::printPostOrder), "printPostorder"},
      {Command::print(Kind::printLevelCount), "printLevelCount"},
  };
  for (const auto &[command, expected] : plainForms) {
    std::string plain;
    EXPECT_TRUE(printCommand(command, plain));
    EXPECT_EQ(plain, expected);
  }
}

struct CountCase {
  const char *script;
  std::uint32_t count;
};

TEST(CommandCount, ReadsLikeUnsignedExtractionWithinRange) {
  const CountCase cases[] = {
      {"3 trailing words\n", 3},
      {"3 commands follow\n", 3},
      {"  +2\n", 2},
      {"99999999999\n", 0},
      {"\n\n  \t7\n", 7},
      {"+5\n", 5},
      {"0\n", 0},
      {"-1\n", 0},
      {"-0\n", 0},
      {"4294967295\n", 4294967295u},
      {"4294967296\n", 0},
      {"99999999999999999999\n", 0},
      {"abc\n", 0},
      {"", 0},
      {"+ 5\n", 0},
      {"0005x\n", 5},
      {"\xEF\xBB\xBF"
       "3\n",
       3},                         // a byte order mark is skipped
      {"\xEF\xBB\xBF  +4 x\n", 4}, // and the count read as usual
      {"\xEF\xBB\xBF\xEF\xBB\xBF"
       "3\n",
       0}, // only one mark
      {"\n\xEF\xBB\xBF"
       "3\n",
       0}, // only at the very start
      {"\xEF\xBB"
       "3\n",
       0}, // only a whole mark
  };
  for (const CountCase &c : cases) {
    std::istringstream in(c.script);
    EXPECT_EQ(ScriptReader(in).count(), c.count) << c.script;
  }
  // The rest of the count line is dropped; the next line is a command, and
  // lines are numbered from the input's first.
  std::istringstream in("\n2 x\ny\r\n");
  ScriptSession session(in);
  EXPECT_EQ(session.script().countLine().number, 2u);
  ScriptSession::Step step;
  ASSERT_TRUE(session.step(step));
  EXPECT_EQ(step.text, "y");
  EXPECT_EQ(step.line, 3u);
  EXPECT_TRUE(step.droppedCr);
  EXPECT_FALSE(step.missing);
  ASSERT_TRUE(session.step(step));
  EXPECT_TRUE(step.missing);
  EXPECT_EQ(step.line, 4u);
  EXPECT_EQ(step.answers, "unsuccessful\n");
  EXPECT_FALSE(session.step(step));
}

// "removeInorder" takes its position as std::stoi converts it; positions are
// checked against a tree of 5 records, a fresh one for each argument.
TEST(RemoveInOrderArgument, ConvertsLikeStoi) {
  std::mt19937 rng(11);
  for (int round = 0; round < 3000; ++round) {
    const std::string argument =
        round % 3 == 0 ? std::to_string(static_cast<std::int64_t>(rng()) -
                                        (1ll << 31) + (rng() % 2) * (1ll << 32))
                       : randomLine(rng, "0123 +-x\t4", 5);
    bool converts = true;
    long long value = 0;
    try {
      value = std::stoi(argument);
    } catch (const std::logic_error &) {
      converts = false;
    }
    const bool removes = converts && static_cast<std::uint32_t>(value) < 5;

    ScriptSession session;
    for (int i = 0; i < 5; ++i) {
      const std::string id = std::to_string(10000000 + i);
      session.perform(Command::insert("N", id));
    }
    const std::string text = "removeInorder " + argument;
    LineStream line(text);
    EXPECT_EQ(session.perform(parseCommand(line)),
              removes ? "successful\n" : "unsuccessful\n")
        << "'" << argument << "'";
    EXPECT_EQ(checkTree(session.tree(), false).nodes, removes ? 4u : 5u);
  }
}

} // namespace

// Commands announced beyond the end of the input are each answered once, in
// order: the first lineless one by its step, the rest together, across many
// batched writes.
TEST(ScriptSession, EveryMissingCommandIsAnsweredOnce) {
  std::istringstream in("100000\ninsert \"Al\" 12345678");
  AnswerCapture out;
  ScriptSession session(in, out);
  ScriptSession::Step step;
  ASSERT_TRUE(session.step(step));
  ASSERT_TRUE(session.step(step));
  EXPECT_TRUE(step.missing);
  EXPECT_EQ(step.missingAfter, 99998u);
  session.answerRest();
  EXPECT_FALSE(session.step(step));
  std::string expected = "successful\n";
  for (int i = 1; i < 100000; ++i) {
    expected += "unsuccessful\n";
  }
  EXPECT_EQ(out.text(), expected);
}

// A session that keeps every answer: each step's answers are what it added,
// a command no line holds is performed on the same tree, and run() answers
// the rest, untraced once the observer is gone, exactly as stepping would.
TEST(ScriptSession, KeptAnswersAreEachStepsAndTheRest) {
  const std::string script = generateScript("conformance", 400, 9);
  std::istringstream plain(script);
  ScriptSession reference(plain);
  std::string expected;
  for (ScriptSession::Step step; reference.step(step);) {
    expected += step.answers;
  }

  std::istringstream in(script);
  AnswerCapture kept;
  TraceRecorder recorder;
  ScriptSession session(in, kept, &recorder);
  ScriptSession::Step step;
  std::size_t stepped = 0;
  for (int i = 0; i < 100 && session.step(step); ++i) {
    ASSERT_EQ(step.answers.data(), kept.text().data() + stepped);
    stepped += step.answers.size();
  }
  session.stopObserving();
  session.run();
  EXPECT_EQ(kept.text(), expected);
  EXPECT_FALSE(session.step(step));
  EXPECT_EQ(session.perform(Command::print(Command::Kind::printLevelCount)),
            std::to_string(TreeView(session.tree()).root()
                               ? TreeView(session.tree()).root()->height
                               : 0) +
                "\n");
}

// Once buffers have grown, commands allocate nothing but the node and the
// strings of a new record; names this short need no string allocation.
TEST(ScriptSession, SteadyStateAllocatesOnlyNewNodes) {
  AnswerCapture out;
  ScriptSession session(out);
  // The answers are dropped as they come, so that only the commands
  // allocate.
  const auto perform = [&](const std::string &text) {
    LineStream line(text);
    session.perform(parseCommand(line));
    out.clear();
  };
  for (int i = 0; i < 1000; ++i) {
    perform("insert \"Short Name\" " + std::to_string(10000000 + i * 3));
  }
  perform("printInorder");
  perform("search \"Short Name\"");
  const std::string commands[] = {
      "search 10000300",    "search \"Short Name\"", "remove 10000301",
      "removeInorder 5000", "printLevelCount",       "frobnicate",
      "insert \"x1\" 1",    "printInorder",          "search 99999999"};
  const std::string insert = "insert \"Short Name\" 10000301";
  const std::string remove = "remove 10000300";
  const std::size_t before = totalAllocations();
  for (int round = 0; round < 50; ++round) {
    for (const std::string &command : commands) {
      perform(command);
    }
  }
  const std::size_t afterCommands = totalAllocations();
  perform(insert);
  const std::size_t afterInsert = totalAllocations();
  perform(remove);
  const std::size_t afterRemove = totalAllocations();
  EXPECT_EQ(afterCommands, before);
  EXPECT_EQ(afterInsert, before + 1);
  EXPECT_EQ(afterRemove, before + 1);
}

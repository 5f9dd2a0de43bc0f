// Runs the built program on every scenario file (format in Scenario.h) and
// compares its standard output byte for byte; standard error must stay empty
// and the exit status 0. A mismatch is reported with the script line that
// wrote the first answer that differs, before the full comparison. The
// trace must give the same answers, and write what the file says for it.
#include "RunProgram.h"
#include "Scenario.h"
#include "Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> splitLines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

// The 1-based number of the script line whose command wrote answer line
// `answer` (0-based), or 0 when that cannot be told. Answers are written in
// command order, so the program is run again on the first k command lines,
// announced by a count of k, until its answers reach that line. Only a
// script whose first line is a plain count can be cut this way.
std::size_t scriptLineOf(const std::string &input, std::size_t answer) {
  const std::vector<std::string> lines = splitLines(input);
  std::string count = lines.empty() ? "" : lines[0];
  if (!count.empty() && count.back() == '\r') {
    count.pop_back();
  }
  if (count.empty() || count.size() > 9 ||
      count.find_first_not_of("0123456789") != std::string::npos) {
    return 0;
  }
  const std::size_t commands =
      std::min<std::size_t>(std::stoul(count), lines.size() - 1);
  const std::size_t scriptStart = input.find('\n') + 1;
  std::size_t end = scriptStart;
  for (std::size_t k = 1; k <= commands; ++k) {
    const std::size_t lineFeed = input.find('\n', end);
    end = lineFeed == std::string::npos ? input.size() : lineFeed + 1;
    const ProgramRun run =
        runProgram(std::to_string(k) + "\n" +
                   input.substr(scriptStart, end - scriptStart));
    if (splitLines(run.out).size() > answer) {
      return k + 1;
    }
  }
  return 0;
}

// Says where the written answers first part from the expected ones: the
// answer line, the script line that wrote it, and the two versions.
std::string firstDifference(const std::string &input,
                            const std::string &expected,
                            const std::string &written) {
  const std::vector<std::string> want = splitLines(expected);
  const std::vector<std::string> got = splitLines(written);
  std::size_t i = 0;
  while (i < want.size() && i < got.size() && want[i] == got[i]) {
    ++i;
  }
  if (i == want.size() && i == got.size()) {
    return "the answers differ only in the final line feed";
  }
  const auto lineOr = [](const std::vector<std::string> &lines, std::size_t i) {
    return i < lines.size() ? text::escaped(lines[i]) : "(no more answers)";
  };
  std::string text = "first difference in answer line " + std::to_string(i + 1);
  if (const std::size_t line = scriptLineOf(input, i)) {
    text += ", written for script line " + std::to_string(line) + ": " +
            text::escaped(splitLines(input)[line - 1]);
  }
  return text + "\n  expected: " + lineOr(want, i) +
         "\n  written:  " + lineOr(got, i);
}

// The scenario file this run checks, named on the command line.
fs::path scenarioFile;

TEST(Scenario, AnswersExactly) {
  Scenario scenario;
  std::string error;
  ASSERT_TRUE(parseScenario(readFile(scenarioFile), scenario, error))
      << scenarioFile << ": " << error;

  const ProgramRun run = runProgram(scenario.input);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  if (run.out != scenario.expected) {
    ADD_FAILURE() << scenarioFile.filename().string() << ": "
                  << firstDifference(scenario.input, scenario.expected,
                                     run.out);
  }
  EXPECT_EQ(run.out, scenario.expected);

  // The trace answers as the program does, and has a note for every line.
  const ProgramRun tsv = runProgram(scenario.input, MORVAVL_TRACE, "--tsv");
  EXPECT_EQ(tsv.status, 0);
  EXPECT_EQ(tsv.err, "");
  std::string answers;
  for (const std::string &row : splitLines(tsv.out)) {
    const std::size_t answersAt = row.find('\t') + 1;
    const std::size_t noteAt = row.find('\t', answersAt) + 1;
    std::string joined = row.substr(answersAt, noteAt - 1 - answersAt);
    for (std::size_t at; (at = joined.find(" / ")) != std::string::npos;) {
      joined.replace(at, 3, "\n");
    }
    answers += joined + "\n";
    EXPECT_NE(noteAt, 0u) << row;
    EXPECT_NE(row.substr(noteAt), "") << row;
  }
  EXPECT_EQ(answers, scenario.expected) << "the answers of morvavl-trace --tsv";

  for (const Scenario::Trace &trace : scenario.traces) {
    const ProgramRun traced =
        runProgram(scenario.input, MORVAVL_TRACE, trace.arguments);
    EXPECT_EQ(traced.status, 0) << "morvavl-trace" << trace.arguments;
    EXPECT_EQ(traced.err, "") << "morvavl-trace" << trace.arguments;
    if (traced.out != trace.expected) {
      const std::vector<std::string> want = splitLines(trace.expected);
      const std::vector<std::string> got = splitLines(traced.out);
      std::size_t i = 0;
      while (i < want.size() && i < got.size() && want[i] == got[i]) {
        ++i;
      }
      ADD_FAILURE() << "morvavl-trace" << trace.arguments
                    << ": first difference in line " << i + 1
                    << "\n  expected: "
                    << (i < want.size() ? want[i] : "(no more lines)")
                    << "\n  written:  "
                    << (i < got.size() ? got[i] : "(no more lines)");
    }
  }
}

} // namespace

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s SCENARIO.scn\n", argv[0]);
    return 2;
  }
  scenarioFile = argv[1];
  return RUN_ALL_TESTS();
}

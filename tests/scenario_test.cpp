// Runs the built program on every scenario file and compares its standard
// output byte for byte; standard error must stay empty and the exit status 0.
//
// A scenario file starts with '#' lines saying what it guards, then a line
// "<<<" before the script and a line ">>>" before the expected answers. Each
// line of the two parts ends in a line feed, except one that ends in "\c".
// Escapes: \\ \r \t \0 and \xHH.
#include "RunProgram.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string unescapeLine(const std::string &line) {
  std::string bytes;
  bool lineFeed = true;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '\\' || i + 1 == line.size()) {
      bytes += line[i];
      continue;
    }
    const char e = line[++i];
    if (e == 'c' && i + 1 == line.size()) {
      lineFeed = false;
    } else if (e == 'r') {
      bytes += '\r';
    } else if (e == 't') {
      bytes += '\t';
    } else if (e == '0') {
      bytes += '\0';
    } else if (e == 'x' && i + 2 < line.size()) {
      bytes += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      bytes += e;
    }
  }
  return lineFeed ? bytes + '\n' : bytes;
}

struct Scenario {
  std::string input;
  std::string expected;
  bool complete = false; // both parts were found
};

Scenario parseScenario(const fs::path &path) {
  std::istringstream file(readFile(path));
  Scenario scenario;
  std::string *part = nullptr;
  std::string line;
  while (std::getline(file, line)) {
    if (line == "<<<") {
      part = &scenario.input;
    } else if (line == ">>>") {
      part = &scenario.expected;
      scenario.complete = true;
    } else if (part) {
      *part += unescapeLine(line);
    }
  }
  return scenario;
}

// The scenario file this run checks, named on the command line.
fs::path scenarioFile;

TEST(Scenario, AnswersExactly) {
  const Scenario scenario = parseScenario(scenarioFile);
  ASSERT_TRUE(scenario.complete) << "no <<< and >>> parts in " << scenarioFile;

  const ProgramRun run =
      runProgram(scenario.input, "scenario-" + scenarioFile.stem().string());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, scenario.expected);
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

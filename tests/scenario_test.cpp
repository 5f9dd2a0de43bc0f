// Runs the built program on every scenario file and compares its standard
// output byte for byte; standard error must stay empty and the exit status 0.
//
// A scenario file starts with '#' lines saying what it guards, then a line
// "<<<" before the script and a line ">>>" before the expected answers. Each
// line of the two parts ends in a line feed, except one that ends in "\c".
// Escapes: \\ \r \t \0 and \xHH.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
  ASSERT_FALSE(scenario.expected.empty() && scenario.input.empty());

  const fs::path dir = fs::temp_directory_path() /
                       ("morvavl-scenario-" + scenarioFile.stem().string());
  fs::create_directories(dir);
  std::ofstream(dir / "in", std::ios::binary) << scenario.input;
  const std::string command = std::string("'") + MORVAVL_PROGRAM + "' < '" +
                              (dir / "in").string() + "' > '" +
                              (dir / "out").string() + "' 2> '" +
                              (dir / "err").string() + "'";
  const int status = std::system(command.c_str());
  const std::string out = readFile(dir / "out");
  const std::string err = readFile(dir / "err");
  fs::remove_all(dir);

  EXPECT_EQ(status, 0);
  EXPECT_EQ(err, "");
  EXPECT_EQ(out, scenario.expected);
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

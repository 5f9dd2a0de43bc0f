// Scenario files: a script with the exact answers morvavl gives for it, and
// optionally what morvavl-trace writes for it.
//
// A scenario file starts with '#' lines saying what it guards, then a line
// "<<<" before the script and a line ">>>" before the expected answers. Each
// line of the two parts ends in a line feed, except one that ends in "\c".
// Escapes: \\ \r \t \0 and \xHH. Further parts, each after a line
// ">>> morvavl-trace ARGUMENTS", hold what the trace writes for the same
// script with those arguments.
#ifndef MORVAVL_TOOLS_SCENARIO_H
#define MORVAVL_TOOLS_SCENARIO_H

#include <string>
#include <string_view>
#include <vector>

struct Scenario {
  struct Trace {
    std::string arguments;
    std::string expected;
  };
  std::string input;
  std::string expected;
  std::vector<Trace> traces;
  bool complete = false; // both the script and its answers were found
};

// Reads a scenario from the text of its file.
Scenario parseScenario(std::string_view file);

#endif

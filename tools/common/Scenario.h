// Scenario files: a script with the exact answers morvavl gives for it, and
// optionally what morvavl-trace writes for it.
//
// A scenario file starts with lines that begin with '#', saying what it
// guards (blank lines may stand between them), then a line "<<<" before the
// script and a line ">>>" before the expected answers. Each line of the two
// parts ends in a line feed, except one that ends in "\c". Bytes that are
// not printable are written as escapes: \\ \r \t \0 and \xHH, with two hex
// digits; a raw NUL, CR or other control byte is refused, and so is any
// other escape. Further parts, each after a line ">>> morvavl-trace
// ARGUMENTS", hold what the trace writes for the same script with those
// arguments.
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
};

// Reads a scenario from the text of its file. A file that breaks the format
// is not read: the answer is false, and error says where and why ("line 7:
// \x needs two hex digits").
bool parseScenario(std::string_view file, Scenario &scenario,
                   std::string &error);

#endif

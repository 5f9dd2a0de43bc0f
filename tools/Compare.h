// Checks another program against morvavl: runs it on a script and compares
// what it writes, as it arrives, with the answers of morvavl's own session,
// produced only as far as the comparison has got. Nothing grows with the
// size of the output, nor with the number of commands the count line asks
// for.
#ifndef MORVAVL_TOOLS_COMPARE_H
#define MORVAVL_TOOLS_COMPARE_H

#include "Process.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A script, held in memory or read from a regular file each time it is
// needed: once for morvavl's answers and once for the program.
struct ScriptSource {
  std::string name; // as reports name it
  std::string text; // the script, when in memory
  std::string path; // or the regular file that holds it
  std::unique_ptr<std::istream> open() const;
};

// Where the program's answers first part from morvavl's.
struct Difference {
  std::uint64_t command = 0;         // counted from 0
  std::uint64_t line = 0;            // its script line
  std::string text;                  // the line, as read
  bool missing = false;              // the input ended before its line
  bool afterLast = false;            // output after the last command's answers
  std::uint64_t firstAnswerLine = 0; // its first answer line, from 0
  std::string expected;              // morvavl's answers to it
  // What the program wrote from the command's first answer line on, kept
  // as far as a report shows it.
  std::string written;
};

// How a run of the program compares with morvavl.
struct Outcome {
  ProcessEnd end;
  std::optional<Difference> difference; // set when the answers differ
  std::uint64_t linesWritten = 0;       // complete answer lines
  bool lineUnfinished = false;          // the output ends without a line feed
  std::uint64_t linesExpected = 0;
  // The start of its output, when the caller asked to keep it.
  std::string output;
  bool differs() const;
};

struct Program {
  std::vector<std::string> command;
  double timeoutSeconds = 10;
};

// Runs the program on the script and compares; keeps at most keepOutput
// bytes of its output in the outcome.
Outcome runAndCompare(const Program &program, const ScriptSource &script,
                      std::size_t keepOutput = 0);

// morvavl's answers to the script against answers given whole, as a
// scenario file holds them: the first difference, if any.
std::optional<Difference> compareAnswers(const ScriptSource &script,
                                         std::string_view answers);

#endif

// Checks another program against morvavl: runs it on a script, compares
// its answers with those of morvavl's own engine, run in process, and tells
// the first difference in script terms; shrinks a script that shows one.
#ifndef MORVAVL_TOOLS_COMPARE_H
#define MORVAVL_TOOLS_COMPARE_H

#include "Process.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What morvavl answers to each command of a script.
struct Reference {
  struct Step {
    std::uint64_t line = 0;   // its script line
    std::string text;         // the line as read, without a dropped CR
    bool missing = false;     // the input ended before its line
    std::uint64_t repeat = 1; // commands without a line, all alike
    std::string answers;      // each with its line feed
    std::uint64_t answerLines = 0;
  };
  std::vector<Step> steps;
  std::uint64_t answerBytes = 0;
};
Reference referenceOf(std::string_view script);

// How a run of the other program compares with the reference.
struct Outcome {
  ProcessRun run;
  bool answersAgree = true;
  // The first step whose answers differ, or steps.size() for lines written
  // after the last command's answers.
  std::size_t step = 0;
  std::uint64_t linesWritten = 0; // complete answer lines
  std::uint64_t linesExpected = 0;
  bool differs() const;
};
Outcome compareRun(const Reference &reference, ProcessRun run);

// Runs the program on the script and compares.
struct Program {
  std::vector<std::string> command;
  double timeoutSeconds = 10;
};
Outcome runAndCompare(const Program &program, std::string_view script,
                      const Reference &reference);

#endif

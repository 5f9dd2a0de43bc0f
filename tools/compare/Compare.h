// Checks another program against morvavl: runs it on a script and feeds
// what it writes, as it arrives, to the one comparison (Comparison.h).
#ifndef MORVAVL_TOOLS_COMPARE_H
#define MORVAVL_TOOLS_COMPARE_H

#include "Comparison.h"
#include "OutputSpool.h"
#include "Process.h"
#include "Variants.h"

#include <string>
#include <vector>

// How a run of the program compares with morvavl.
struct Outcome : Verdict {
  ProcessEnd end;
  // The start of its output, when the caller asked to keep it.
  std::string output;
  bool differs() const;
};

// A program to check, and what it is checked against.
struct Program {
  std::vector<std::string> command;
  double timeoutSeconds = 10;
  // The variant whose answers it must give; null for morvavl's own.
  const Variant *reference = nullptr;
};

// Runs the program on the script and compares; keeps at most keepOutput
// bytes of its output in the outcome, and all of it in the spool, if one
// is given.
Outcome runAndCompare(const Program &program, const ScriptSource &script,
                      std::size_t keepOutput = 0, OutputSpool *spool = nullptr);

#endif

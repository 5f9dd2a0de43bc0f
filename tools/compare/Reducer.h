// Shrinking a script on which another program differs from morvavl, as
// test-case reducers do: a table of passes proposes shorter or plainer
// scripts, and the program decides, since a candidate is kept only while
// the program still differs on it.
#ifndef MORVAVL_TOOLS_REDUCER_H
#define MORVAVL_TOOLS_REDUCER_H

#include "Compare.h"

#include <cstdint>
#include <string>

struct Reduction {
  std::string script; // the shortest that still differs
  Outcome outcome;    // the program's run on it, with its output
  std::uint64_t runs = 0;
  bool limitReached = false;
};

// Shrinks a script on which the program differs, given that run's outcome.
// Runs the program at most maxRuns times; deterministic but for timeouts.
Reduction reduce(const Program &program, const ScriptSource &script,
                 Outcome outcome, std::uint64_t maxRuns);

#endif

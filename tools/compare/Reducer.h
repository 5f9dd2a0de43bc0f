// Shrinking a script on which another program differs from morvavl, as
// test-case reducers do: a table of passes proposes shorter or plainer
// scripts, and the program decides, since a candidate is kept only while
// the program still differs on it.
#ifndef MORVAVL_TOOLS_REDUCER_H
#define MORVAVL_TOOLS_REDUCER_H

#include "Compare.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct Reduction {
  std::string script; // the shortest that still differs
  Outcome outcome;    // the program's run on it, with its output
  std::uint64_t runs = 0;
  bool limitReached = false;
  // Every script kept on the way, longest first: the given one, then each
  // cut, the last being `script`.
  std::vector<std::string> kept;
};

// A reduction's result run again `times` times: a program that differs one
// run in a few leads a reduction to scripts that do not show its fault.
// The shortest kept script that differed on every run again becomes the
// witness; `flaky` says whether that was not the shortest of all, and
// `again` how often the shortest differed again.
struct Confirmation {
  bool flaky = false;
  bool confirmed = false; // some kept script differed on every run again
  std::uint64_t again = 0;
  std::uint64_t runs = 0;
};
Confirmation confirm(const Program &program, Reduction &reduction,
                     unsigned times = 3);

// A pass of the reducer, as --passes lists it.
struct ReducerPass {
  std::string_view name;
  std::string_view description;
};
// Every pass, in the order each round runs them.
std::vector<ReducerPass> reducerPasses();

struct ReduceOptions {
  std::uint64_t maxRuns = 2000;
  // The passes to run, by name; all when empty. They run in table order.
  std::vector<std::string> passes;
  // Told of each candidate kept: the pass, and the commands before and
  // after.
  std::function<void(std::string_view pass, std::uint64_t from,
                     std::uint64_t to)>
      kept;
  // Told after each run of the program: the runs so far and the commands
  // of the shortest script that still differs.
  std::function<void(std::uint64_t runs, std::uint64_t commands)> progress;
};

// Shrinks a script on which the program differs, given that run's outcome.
// Runs the program at most options.maxRuns times; deterministic but for
// timeouts.
Reduction reduce(const Program &program, const ScriptSource &script,
                 Outcome outcome, const ReduceOptions &options);

#endif

// Shrinking a script on which another program differs from morvavl.
#ifndef MORVAVL_TOOLS_REDUCER_H
#define MORVAVL_TOOLS_REDUCER_H

#include "Compare.h"

#include <cstdint>
#include <string>
#include <string_view>

// Shrinks a script that differs, as test-case reducers do: drops chunks of
// commands, halving them down to single lines, as long as the program still
// differs, then tries simpler forms of the lines left. Runs the program at
// most maxRuns times; deterministic but for timeouts.
struct Reduction {
  std::string script;
  std::uint64_t runs = 0;
  bool limitReached = false;
};
Reduction reduce(const Program &program, std::string_view script,
                 std::uint64_t maxRuns);

#endif

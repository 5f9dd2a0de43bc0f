// morvavl-compare's work: every script given and generated, run and
// compared, each verdict written as it comes, a JUnit report at the end,
// and the first script that differs shrunk when asked.
#ifndef MORVAVL_TOOLS_CHECKER_H
#define MORVAVL_TOOLS_CHECKER_H

#include "CompareOptions.h"

#include <string>
#include <vector>

// A script file, or a scenario file, whose answers must be morvavl's; fails
// the tool when it cannot be read or is no scenario. A regular file is read
// again for each run; anything else is read once.
ScriptSource loadScript(const std::string &path);

// Runs the scripts, then the generated ones: 0, 1 or 2, as the exit status
// says.
int runChecks(const CompareOptions &options,
              const std::vector<ScriptSource> &scripts);

#endif

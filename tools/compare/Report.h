// The report of a run that differs, in script terms, for people.
#ifndef MORVAVL_TOOLS_REPORT_H
#define MORVAVL_TOOLS_REPORT_H

#include "Compare.h"

#include <string>

// What differed, in one line without the script's name: "its answers
// differ from morvavl's at script line 8, and it timed out".
// With a reference variant, the answers expected are that variant's.
std::string summarize(const Outcome &outcome,
                      const Variant *reference = nullptr);

// The whole report: the summary after the script's name, the script line
// whose answers first differ with both answers (long lines cut around the
// difference), why morvavl answers so, the three commands before, the tree
// just before it (at most depth levels; 0: all), and the end of the
// program's standard error. Costs time in proportion to the script and the
// report, whatever the output's size.
std::string describe(const ScriptSource &script, const Outcome &outcome,
                     unsigned depth, const Variant *reference = nullptr);

// Every command of a short script, with morvavl's answers, the program's
// where they differ (from outcome.output), and why morvavl answers so.
std::string describeEach(const ScriptSource &script, const Outcome &outcome,
                         const Variant *reference = nullptr);

// What a run deserves a word about even when it agrees: the processes it
// left running. Empty when there is nothing to say.
std::string remarks(const Outcome &outcome);

#endif

// The report of a comparison that differs, in script terms, for people.
#ifndef MORVAVL_TOOLS_REPORT_H
#define MORVAVL_TOOLS_REPORT_H

#include "Compare.h"

#include <string>
#include <string_view>

// The report of an outcome that differs, for people: what differed, at
// which script line, the expected and written answers, the three commands
// before, the tree just before that command, drawn at most depth levels
// deep.
std::string describe(std::string_view name, std::string_view script,
                     const Reference &reference, const Outcome &outcome,
                     unsigned depth);

// Every command of a script, for a short one: its line, morvavl's answers,
// the program's where they differ, and why morvavl answers so.
std::string describeEach(std::string_view script, const Reference &reference,
                         const Outcome &outcome);

#endif

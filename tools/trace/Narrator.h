// The notes of the trace: why each command answered as it did, in plain
// words, from the command as parsed and what the recorder was told.
#ifndef MORVAVL_TOOLS_NARRATOR_H
#define MORVAVL_TOOLS_NARRATOR_H

#include "ScriptSession.h"
#include "TraceRecorder.h"
#include "TreeView.h"
#include "Variants.h"

#include <string>

namespace narrator {

// Why the script runs the number of commands it does.
std::string countNote(const ScriptReader &script);

// Why the step's command answered as it did, in one line. The recorder
// holds what the command did; the view shows the tree after it.
// Its lines are counted after linesBefore lines when the reader reads the
// rest of a longer script (Tracer.h).
std::string note(const ScriptSession::Step &step, const TraceRecorder &did,
                 TreeView tree, const ScriptReader &script,
                 std::uint64_t linesBefore = 0);

// On a variant: where its rule made the step other than the program's,
// appended to the note; nothing when it did not.
void appendVariation(const ScriptSession::Step &step, const TraceRecorder &did,
                     const Variant &variant, std::string &note);

// Why a refused line is refused: the rule it breaks, and where.
std::string refusalNote(const ScriptSession::Step &step);

// Whether a quoted name runs to the end of its line because its closing
// quote is missing.
bool unclosed(std::string_view name, std::string_view line);

} // namespace narrator

#endif

// The command front end: performs each parsed command with one operation of
// the tree, and answers a refused line itself. The program's entry runs the
// script through a session (ScriptSession.h), one step per command.
#ifndef MORVAVL_MAIN_H
#define MORVAVL_MAIN_H

#include "CommandLanguage.h"

class AnswerSink;
class MorvAVLTree;

// Performs a parsed command: calls its one tree operation, or answers a
// refused line "unsuccessful" through the sink the tree answers through.
void performCommand(const Command &command, MorvAVLTree &tree,
                    AnswerSink &answers);

// Parses and performs one command line. Every line gets its answers: those
// of the tree operation, or "unsuccessful" when the line is refused.
void parseAndPerform(LineStream &line, MorvAVLTree &tree, AnswerSink &answers);

#endif

// The program's front end: one command line, parsed and performed.
#ifndef MORVAVL_MAIN_H
#define MORVAVL_MAIN_H

#include "CommandLanguage.h"

class AnswerSink;
class MorvAVLTree;

// Parses and performs one command line. Every line gets its answers: those
// of its one tree operation, or "unsuccessful" when the line is refused.
void parseAndPerform(LineStream &line, MorvAVLTree &tree, AnswerSink &answers);

#endif

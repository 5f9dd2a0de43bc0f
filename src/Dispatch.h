// The dispatch of a parsed command to its one tree operation. A refused
// line is answered here, through the sink the tree answers through, and
// never reaches the tree.
#ifndef MORVAVL_DISPATCH_H
#define MORVAVL_DISPATCH_H

#include "CommandLanguage.h"

class AnswerSink;
class MorvAVLTree;

// Calls the command's one tree operation, or answers a refused command
// "unsuccessful". The tree writes its answers through `answers` too.
void performCommand(const Command &command, MorvAVLTree &tree,
                    AnswerSink &answers);

#endif

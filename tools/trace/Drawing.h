// The tree as a traced script leaves it: drawn for people, as a Graphviz
// graph, or as one tab-separated line per node for programs.
#ifndef MORVAVL_TOOLS_DRAWING_H
#define MORVAVL_TOOLS_DRAWING_H

#include <string>
#include <string_view>

class TraceSession;

// One node per line, children below their parent, the left child first: a
// missing child beside a present one is drawn as "(none)". Each node shows
// its ID, name, stored height and balance factor, with the real values
// where they are stale, and its subtree's record count. Below depthLimit
// levels (0: no limit) a subtree is summed up as "… N more records". Each
// line starts with indent.
void drawTree(const TraceSession &session, unsigned depthLimit,
              std::string_view indent, std::string &out);

// The same as a Graphviz digraph with this title. Nodes the last command
// touched are filled blue, stale stored heights are red.
void writeDot(const TraceSession &session, unsigned depthLimit,
              std::string_view title, std::string &out);

// Each node in pre-order: ID, stored height, stored balance factor, records
// in its subtree and name, separated by tabs. Nothing for an empty tree.
void writeShape(const TraceSession &session, std::string &out);

#endif

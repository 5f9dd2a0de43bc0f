// Each drawing walks the tree from the root through the read-only view and
// asks the recorder for real heights; none of them changes anything.
#include "Drawing.h"

#include "Text.h"
#include "Tracer.h"

namespace {

// "height 3 (real 2)  balance +1  records 2": the stored values, and the
// real ones where they differ.
void appendValues(const TraceSession &session, const PelixNode &node,
                  std::string_view separator, std::string &out) {
  const std::int32_t real = session.recorder().realHeight(&node);
  const std::int32_t balance = session.recorder().realBalance(node);
  out += "height " + std::to_string(node.height);
  if (real != node.height) {
    out += " (stale, real " + std::to_string(real) + ")";
  }
  out += separator;
  out += "balance " + text::signedNumber(node.balanceFactor);
  if (balance != node.balanceFactor) {
    out += " (stale, real " + text::signedNumber(balance) + ")";
  }
  out += separator;
  out += text::counted(node.records, "record", "records");
}

struct TextDrawing {
  const TraceSession &session;
  unsigned depthLimit;
  std::string_view indent;
  std::string &out;

  // prefix: the branch lines of the ancestors; level: the node's, from 1.
  void node(const PelixNode *node, const std::string &prefix, bool last,
            unsigned level, bool isRoot) {
    out += indent;
    out += prefix;
    if (!isRoot) {
      out += last ? "└── " : "├── ";
    }
    if (!node) {
      out += "(none)\n";
      return;
    }
    text::appendRecord(out, *node);
    out += "  ";
    appendValues(session, *node, "  ", out);
    out += '\n';
    if (!node->leftChild && !node->rightChild) {
      return;
    }
    const std::string below =
        isRoot ? prefix : prefix + (last ? "    " : "│   ");
    if (depthLimit != 0 && level >= depthLimit) {
      out += indent;
      out += below;
      out += "└── … " +
             text::counted(node->records - 1, "more record", "more records") +
             "\n";
      return;
    }
    this->node(node->leftChild, below, false, level + 1, false);
    this->node(node->rightChild, below, true, level + 1, false);
  }
};

// Text inside a Graphviz string: quotes and backslashes escaped.
std::string dotString(std::string_view bytes) {
  std::string out;
  for (const char c : text::escaped(bytes)) {
    if (c == '"' || c == '\\') {
      out += '\\';
    }
    out += c;
  }
  return out;
}

struct DotDrawing {
  const TraceSession &session;
  unsigned depthLimit;
  std::string &out;
  unsigned placeholders = 0;

  static std::string nameOf(const PelixNode &node) {
    return "n" + std::string(node.idText());
  }

  void node(const PelixNode &node, unsigned level) {
    const bool stale =
        session.recorder().realHeight(&node) != node.height ||
        session.recorder().realBalance(node) != node.balanceFactor;
    out += "  " + nameOf(node) + " [label=\"" + std::string(node.idText()) +
           "\\n" + dotString("\"" + node.name + "\"") + "\\n";
    std::string values;
    appendValues(session, node, "\\n", values);
    out += values + "\"";
    if (session.recorder().touched(&node)) {
      out += ", fillcolor=\"#cfe2ff\"";
    }
    if (stale) {
      out += ", color=\"#d62728\", fontcolor=\"#d62728\", penwidth=2";
    }
    out += "];\n";
    if (!node.leftChild && !node.rightChild) {
      return;
    }
    if (depthLimit != 0 && level >= depthLimit) {
      const std::string more = "m" + std::string(node.idText());
      out += "  " + more + " [shape=plaintext, style=\"\", label=\"… " +
             text::counted(node.records - 1, "more record", "more records") +
             "\"];\n  " + nameOf(node) + " -> " + more + ";\n";
      return;
    }
    child(node, node.leftChild, level);
    child(node, node.rightChild, level);
  }

  // A missing child beside a present one is a small dot, so that the
  // present one keeps its side.
  void child(const PelixNode &parent, const PelixNode *child, unsigned level) {
    if (child) {
      out += "  " + nameOf(parent) + " -> " + nameOf(*child) + ";\n";
      node(*child, level + 1);
      return;
    }
    const std::string none = "none" + std::to_string(++placeholders);
    out += "  " + none + " [shape=point, width=0.08, style=\"\"];\n  " +
           nameOf(parent) + " -> " + none +
           " [arrowhead=none, style=dashed];\n";
  }
};

void shapeOf(const PelixNode *node, std::string &out) {
  if (!node) {
    return;
  }
  out += std::string(node->idText()) + "\t" + std::to_string(node->height) +
         "\t" + std::to_string(node->balanceFactor) + "\t" +
         std::to_string(node->records) + "\t" + node->name + "\n";
  shapeOf(node->leftChild, out);
  shapeOf(node->rightChild, out);
}

} // namespace

void drawTree(const TraceSession &session, unsigned depthLimit,
              std::string_view indent, std::string &out) {
  const PelixNode *root = session.view().root();
  if (!root) {
    out += indent;
    out += "(empty tree)\n";
    return;
  }
  TextDrawing{session, depthLimit, indent, out}.node(root, "", true, 1, true);
}

void writeDot(const TraceSession &session, unsigned depthLimit,
              std::string_view title, std::string &out) {
  out += "digraph \"" + dotString(title) + "\" {\n";
  out += "  graph [ordering=out, labelloc=t, fontname=\"Helvetica\", "
         "label=\"" +
         dotString(title) +
         "\\nblue: touched by the command; red: stale stored value\"];\n";
  out += "  node [shape=box, style=\"rounded,filled\", fillcolor=white, "
         "fontname=\"Helvetica\"];\n";
  if (const PelixNode *root = session.view().root()) {
    DotDrawing{session, depthLimit, out}.node(*root, 1);
  } else {
    out += "  empty [shape=plaintext, style=\"\", label=\"(empty tree)\"];\n";
  }
  out += "}\n";
}

void writeShape(const TraceSession &session, std::string &out) {
  shapeOf(session.view().root(), out);
}

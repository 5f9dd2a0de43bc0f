// morvavl-trace: runs a script through the program's own front end and tree
// and shows, for each command, its line, its answers and why.
#include "Drawing.h"
#include "Text.h"
#include "Tool.h"
#include "Tracer.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include <unistd.h>

namespace {

constexpr std::string_view usage = R"(usage: morvavl-trace [OPTIONS] [SCRIPT]

Runs a morvavl command script (from SCRIPT, or standard input when it is
missing or "-") through morvavl's own front end and tree, and writes for
each command its script line, the line as read, its answers and a note on
why: the rule a refused line breaks, why an operation found nothing, and
what a change did to the tree (the node it linked, each rotation, the record
that moved in a removal, and the stored heights left stale).

Options:
  --draw[=LINES]  draw the tree after every command, or after the commands on
                  the given script lines (as "3,7-9")
  --at LINES      the script lines after which --draw draws and --dot writes
  --depth N       draw at most N levels of the tree (default 8; 0: all)
  --dot FILE      write the tree as a Graphviz graph to FILE, after the last
                  command or after each line of --at
  --tsv           one line per command instead: its script line, its answers
                  joined by " / ", and the note, separated by tabs
  --shape         after the last command, one line per node in pre-order: ID,
                  stored height, stored balance factor, records in its
                  subtree and name, separated by tabs; nothing else
  --help          show this text

Exit status: 0, or 2 for a usage error, a script that cannot be read or an
output that cannot be written.
)";

struct Options {
  bool draw = false;
  bool tsv = false;
  bool shape = false;
  unsigned depth = 8;
  std::string dotFile;
  std::string script = "-";
  tool::LineSet at;
};

// Reads the options; returns an error message, empty when they are good.
std::string readOptions(tool::Arguments &args, Options &options) {
  bool scriptGiven = false;
  while (!args.done()) {
    std::string value;
    if (args.take("--draw")) {
      options.draw = true;
      if (args.hasAttached() &&
          (!args.value(value) || !options.at.parse(value))) {
        return "--draw takes script line numbers, as 3,7-9";
      }
    } else if (args.take("--at")) {
      if (!args.value(value) || !options.at.parse(value)) {
        return "--at takes script line numbers, as 3,7-9";
      }
    } else if (args.take("--depth")) {
      std::uint64_t depth = 0;
      if (!args.value(value) || !tool::parseNumber(value, depth) ||
          depth > 1000) {
        return "--depth takes a number of levels from 0 to 1000";
      }
      options.depth = static_cast<unsigned>(depth);
    } else if (args.take("--dot")) {
      if (!args.value(options.dotFile) || options.dotFile.empty()) {
        return "--dot takes a file name";
      }
    } else if (args.take("--tsv")) {
      options.tsv = true;
    } else if (args.take("--shape")) {
      options.shape = true;
    } else if (args.peek().size() > 1 && args.peek()[0] == '-') {
      return "unknown option " + args.peek() + " (see --help)";
    } else if (scriptGiven) {
      return "more than one script given: " + args.peek();
    } else {
      options.script = args.next();
      scriptGiven = true;
    }
  }
  if (options.tsv && (options.draw || options.shape)) {
    return "--tsv writes a form of its own: it cannot be combined with " +
           std::string(options.draw ? "--draw" : "--shape");
  }
  if (options.shape && options.draw) {
    return "--shape writes a form of its own: it cannot be combined with "
           "--draw";
  }
  return "";
}

class Trace {
public:
  Trace(const Options &options, TraceSession &session, tool::Output &out)
      : options_(options), session_(session), out_(out),
        human_(!options.tsv && !options.shape),
        immediate_(::isatty(STDIN_FILENO) || ::isatty(STDOUT_FILENO)) {}

  void run() {
    if (human_) {
      countLine();
    }
    TraceStep step;
    while (session_.step(step)) {
      if (options_.tsv) {
        tsvLine(step);
      } else if (human_) {
        entry(step);
      }
      if (options_.draw &&
          (options_.at.empty() || options_.at.contains(step.line))) {
        out_.buffer() +=
            "  tree after line " + std::to_string(step.line) + ":\n";
        drawTree(session_, options_.depth, "    ", out_.buffer());
      }
      if (!options_.dotFile.empty() && options_.at.contains(step.line)) {
        dot("after line " + std::to_string(step.line) + ": " +
            text::escaped(step.text));
      }
      if (immediate_) {
        out_.flush();
      } else {
        out_.maybeFlush();
      }
      // Commands without a line change nothing: people get one entry for
      // all of them.
      if (human_ && step.missing && step.missingAfter > 0) {
        out_.buffer() +=
            "lines " + std::to_string(step.line + 1) + " to " +
            std::to_string(step.line + step.missingAfter) + ": the same for " +
            text::counted(step.missingAfter, "more command", "more commands") +
            " without a line\n";
        break;
      }
    }
    if (options_.shape) {
      writeShape(session_, out_.buffer());
    }
    if (!options_.dotFile.empty() && options_.at.empty()) {
      dot("after the last command");
    }
  }

  const std::string &dotText() const { return dotText_; }

private:
  void countLine() {
    const ScriptLine &line = session_.script().countLine();
    std::string &out = out_.buffer();
    if (line.number == 0) {
      out += "line 1: (no line)";
    } else {
      out += "line " + std::to_string(line.number) + ":";
    }
    if (!line.text.empty()) {
      out += ' ';
      text::appendEscaped(out, line.text);
    }
    out += "\n  note: " + session_.countNote() + "\n";
  }

  void entry(const TraceStep &step) {
    std::string &out = out_.buffer();
    out += "line " + std::to_string(step.line) + ":";
    if (step.missing) {
      out += " (no line)";
    } else if (!step.text.empty()) {
      out += ' ';
      text::appendEscaped(out, step.text);
    }
    if (step.droppedCr) {
      out += "  [\\r dropped]";
    }
    out += '\n';
    for (std::size_t from = 0; from < step.answers.size();) {
      const std::size_t end = step.answers.find('\n', from);
      out += "  ";
      out += end == from
                 ? "(empty line)"
                 : std::string_view(step.answers).substr(from, end - from);
      out += '\n';
      from = end + 1;
    }
    out += "  note: " + step.note + "\n";
  }

  void tsvLine(const TraceStep &step) {
    std::string &out = out_.buffer();
    out += std::to_string(step.line);
    out += '\t';
    for (std::size_t from = 0; from < step.answers.size();) {
      const std::size_t end = step.answers.find('\n', from);
      if (from != 0) {
        out += " / ";
      }
      out.append(step.answers, from, end - from);
      from = end + 1;
    }
    out += '\t';
    out += step.note;
    out += '\n';
  }

  void dot(const std::string &title) {
    writeDot(session_, options_.depth, title, dotText_);
  }

  const Options &options_;
  TraceSession &session_;
  tool::Output &out_;
  bool human_;
  bool immediate_;
  std::string dotText_;
};

int traceMain(tool::Arguments &args) {
  Options options;
  const std::string problem = readOptions(args, options);
  if (!problem.empty()) {
    tool::fail(problem);
  }

  std::ifstream file;
  if (options.script != "-") {
    file.open(options.script, std::ios::binary);
    if (!file) {
      tool::fail(tool::cannotRead(options.script));
    }
  }
  std::ofstream dot;
  if (!options.dotFile.empty()) {
    dot.open(options.dotFile, std::ios::binary);
    if (!dot) {
      tool::fail(tool::cannotWrite(options.dotFile));
    }
  }
  std::ios::sync_with_stdio(false);
  std::istream &in = options.script == "-" ? std::cin : file;

  tool::Output out(stdout);
  TraceSession session(in);
  Trace trace(options, session, out);
  trace.run();
  out.flush();
  if (out.failed()) {
    tool::fail(tool::cannotWrite("the trace"));
  }
  if (dot.is_open()) {
    dot << trace.dotText();
    if (!dot.flush()) {
      tool::fail(tool::cannotWrite(options.dotFile));
    }
  }
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  return tool::run({"morvavl-trace", usage}, argc, argv, traceMain);
}

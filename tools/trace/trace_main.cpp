// morvavl-trace: runs a script through the program's own front end and tree
// and shows, for each command, its line, its answers and why. The options
// are checked before the first command runs, and the lines they name as soon
// as the count line tells where the commands are; each graph of --dot is
// written as soon as it is drawn.
#include "Drawing.h"
#include "Options.h"
#include "OutputFile.h"
#include "Text.h"
#include "Tool.h"
#include "Tracer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <istream>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view header =
    R"(usage: morvavl-trace [OPTIONS] [SCRIPT]

Runs a morvavl command script (from SCRIPT, or standard input when it is
missing or "-") through morvavl's own front end and tree, and writes for
each command its script line, the line as read, its answers and a note on
why: the rule a refused line breaks, why an operation found nothing, and
what a change did to the tree (the node it linked, each rotation, the record
that moved in a removal, and the stored heights left stale).
)";

constexpr std::string_view footer =
    R"(Exit status: 0, or 2 for a usage error, a script that cannot be read or an
output that cannot be written.
)";

struct Options {
  bool draw = false;
  bool tsv = false;
  bool shape = false;
  unsigned depth = 8;
  std::string dotFile;
  std::string script = "-";
  const Variant *variant = nullptr;
  tool::LineSet at;
  std::string atText; // as given, for messages
};

void readLines(std::string_view option, const std::string &text,
               Options &options) {
  if (!options.at.parse(text)) {
    tool::fail(std::string(option) +
               " takes script line numbers, as 3,7-9, not " +
               text::escaped(text));
  }
  options.atText += (options.atText.empty() ? "" : ",") + text;
}

std::vector<tool::Option> optionsOf(Options &options) {
  using Value = tool::Option::Value;
  return {
      {"--draw", Value::optional, "LINES",
       "draw the tree after every command, or after the commands on the "
       "given script lines (as \"3,7-9\"; also --draw LINES)",
       [&options](const std::string &lines) {
         options.draw = true;
         if (!lines.empty()) {
           readLines("--draw", lines, options);
         }
       },
       // --draw 3 means lines, as --draw=3 does.
       [](std::string_view next) { return tool::LineSet().parse(next); }},
      {"--at", Value::required, "LINES",
       "the script lines after which --draw draws and --dot writes (with "
       "--draw or --dot only)",
       [&options](const std::string &lines) {
         readLines("--at", lines, options);
       },
       nullptr, "--at takes script line numbers, as 3,7-9"},
      {"--depth", Value::required, "N",
       "draw at most N levels of the tree (default 8; 0: all)",
       [&options](const std::string &levels) {
         options.depth =
             static_cast<unsigned>(tool::number("--depth", levels, 0, 1000));
       },
       nullptr, "--depth takes a number of levels from 0 to 1000"},
      {"--dot", Value::required, "FILE",
       "write the tree as a Graphviz graph to FILE, after the last command, "
       "or one graph after each line of --at",
       [&options](const std::string &file) { options.dotFile = file; }, nullptr,
       "--dot takes a file name"},
      {"--variant", Value::required, "NAME",
       "run the script on the variant NAME instead, a misreading of one rule "
       "or the textbook tree, with notes where its rule applied (see "
       "morvavl-compare --list-variants)",
       [&options](const std::string &name) {
         options.variant = findVariant(name);
         if (!options.variant) {
           tool::fail("--variant takes the name of a variant, and there is "
                      "no variant " +
                      text::escaped(name) +
                      " (see morvavl-compare --list-variants)");
         }
       }},
      {"--tsv", Value::none, "",
       "one line per command instead: its script line, its answers joined "
       "by \" / \", and the note, separated by tabs",
       [&options](const std::string &) { options.tsv = true; }},
      {"--shape", Value::none, "",
       "after the last command, one line per node in pre-order: ID, stored "
       "height, stored balance factor, records in its subtree and name, "
       "separated by tabs; nothing else",
       [&options](const std::string &) { options.shape = true; }},
  };
}

const std::string &usage() {
  static const std::string text = [] {
    Options unused;
    return tool::usageOf(header, optionsOf(unused), footer);
  }();
  return text;
}

void readOptions(tool::Arguments &args, Options &options) {
  bool scriptGiven = false;
  tool::readOptions(args, optionsOf(options), [&](const std::string &script) {
    if (scriptGiven) {
      tool::fail("more than one script given: " + options.script + " and " +
                 script);
    }
    options.script = script;
    scriptGiven = true;
    return true;
  });
  if (options.tsv && (options.draw || options.shape)) {
    tool::fail("--tsv writes a form of its own: it cannot be combined with " +
               std::string(options.draw ? "--draw" : "--shape"));
  }
  if (options.shape && options.draw) {
    tool::fail("--shape writes a form of its own: it cannot be combined "
               "with --draw");
  }
  if (!options.at.empty() && !options.draw && options.dotFile.empty()) {
    tool::fail("--at " + options.atText +
               " names the lines after which --draw draws and --dot "
               "writes: give one of them");
  }
}

// Lines that hold no command draw nothing: a warning for each range of them,
// once the count line tells where the commands are.
void warnAboutLines(const Options &options, const ScriptReader &script) {
  const std::uint64_t first = script.countLine().number + 1;
  const std::uint64_t last = script.countLine().number + script.count();
  for (const tool::LineSet::Range &range : options.at.ranges()) {
    if (range.first <= last && range.second >= first) {
      continue;
    }
    const std::string lines = range.first == range.second
                                  ? "line " + std::to_string(range.first)
                                  : "lines " + std::to_string(range.first) +
                                        " to " + std::to_string(range.second);
    std::string where =
        script.count() == 0 ? "the script runs no command"
        : first == last ? "its one command is on line " + std::to_string(first)
                        : "its commands are on lines " + std::to_string(first) +
                              " to " + std::to_string(last);
    std::fprintf(stderr,
                 "morvavl-trace: warning: no command on %s, so nothing is "
                 "drawn there: %s\n",
                 lines.c_str(), where.c_str());
  }
}

class Trace {
public:
  Trace(const Options &options, TraceSession &session, tool::Output &out,
        OutputFile *dot)
      : options_(options), session_(session), out_(out), dot_(dot),
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
      // Nor do they change the tree: only the table has a row for each.
      if (step.missing && !options_.tsv) {
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

  std::uint64_t graphs() const { return graphs_; }

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
    std::string graph;
    writeDot(session_, options_.depth, title, graph);
    dot_->write(graph);
    ++graphs_;
  }

  const Options &options_;
  TraceSession &session_;
  tool::Output &out_;
  OutputFile *dot_;
  bool human_;
  bool immediate_;
  std::uint64_t graphs_ = 0;
};

int traceMain(tool::Arguments &args) {
  Options options;
  readOptions(args, options);

  StandardInput standardInput;
  std::istream in(&standardInput);
  std::ifstream file;
  int scriptFd = STDIN_FILENO;
  if (options.script != "-") {
    scriptFd = ::open(options.script.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (scriptFd >= 0 && ::fstat(scriptFd, &info) == 0 &&
        S_ISDIR(info.st_mode)) {
      tool::fail("cannot read " + options.script + ": it is a directory");
    }
    file.open(options.script, std::ios::binary);
    if (scriptFd < 0 || !file) {
      tool::fail(tool::cannotRead(options.script));
    }
  }
  std::unique_ptr<OutputFile> dot;
  if (!options.dotFile.empty()) {
    dot = std::make_unique<OutputFile>("--dot", options.dotFile, scriptFd);
  }
  if (scriptFd != STDIN_FILENO) {
    ::close(scriptFd);
  }

  tool::Output out(STDOUT_FILENO);
  TraceSession session(options.script == "-" ? in : file, options.variant);
  warnAboutLines(options, session.script());
  Trace trace(options, session, out, dot.get());
  trace.run();
  out.flush();
  if (out.failed()) {
    tool::outputFailed("the trace");
  }
  if (dot && trace.graphs() == 0) {
    dot->abandon();
    tool::fail("--dot " + options.dotFile +
               ": no graph to write, since no "
               "command stands on the lines of --at " +
               options.atText);
  }
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  return tool::run({"morvavl-trace", usage()}, argc, argv, traceMain);
}

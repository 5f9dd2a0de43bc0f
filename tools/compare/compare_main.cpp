// morvavl-compare: checks another program for the same command language
// against morvavl, on given scripts and on generated ones, and shrinks a
// script that shows a difference. Everything that can be checked is checked
// before the first run: the options, every script and scenario file, and
// that the files to write can be written.
#include "Compare.h"
#include "Generator.h"
#include "JUnit.h"
#include "Reducer.h"
#include "Report.h"
#include "Scenario.h"
#include "ScriptSession.h"
#include "Text.h"
#include "Tool.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view usage =
    R"(usage: morvavl-compare [OPTIONS] PROGRAM [ARG...]

Runs PROGRAM, a program for morvavl's command language, on each script given
and generated, with the script on its standard input, and compares what it
writes, as it arrives, with the answers of morvavl's own engine. For each
script that differs it tells the script line whose answers first differ,
both answers, why morvavl answers so, the three commands before, and the
tree as it stood just before; and whether PROGRAM timed out (after which
answer), was ended by a signal, exited with a status other than 0, wrote on
standard error (the end of which it quotes), or wrote more or fewer lines
than expected. PROGRAM without a slash is looked up in PATH.

Options:
  --script FILE      a script to run (repeatable); a scenario file (.scn)
                     counts as a script with its answers, and the .scn
                     files that follow are taken too, so that
                     --script tests/scenarios/*.scn runs the whole suite
  --generate N       also run N generated scripts
  --seed S           the first generated script's seed (default 1); the
                     others follow as S+1, S+2, ...
  --commands C       commands per generated script (default 1000)
  --kind KIND        the kind of generated script (default conformance; see
                     morvavl-generate --help)
  --timeout SECONDS  for each run of PROGRAM (default 10)
  --max-failures N   stop after N scripts that differ
  --junit FILE       also write a JUnit XML report to FILE: a test case per
                     script, with the first difference as its failure
  --reduce FILE      stop at the first script that differs, shrink it and
                     write the result to FILE
  --max-runs N       run PROGRAM at most N times to shrink (default 2000)
  --depth N          draw at most N levels of the tree (default 6; 0: all)
  --verbose          name every script, also those that agree
  --help             show this text

Everything PROGRAM starts is ended with its run, also what leaves its
process group or session.

Exit status: 0 when every script agrees, 1 when one differs, 2 for a usage
error, a file that cannot be read or written, or a PROGRAM that cannot be
started.
)";

struct Options {
  std::vector<std::string> scripts;
  std::uint64_t generate = 0;
  std::uint64_t seed = 1;
  std::uint64_t commands = 1000;
  std::string kind = "conformance";
  std::string reduceFile;
  std::string junitFile;
  std::uint64_t maxRuns = 2000;
  std::uint64_t maxFailures = 0; // 0: no limit
  unsigned depth = 6;
  bool verbose = false;
  Program program;
};

bool isScenarioFile(const std::string &path) {
  return path.size() > 4 && path.compare(path.size() - 4, 4, ".scn") == 0;
}

double seconds(const std::string &text) {
  char *end = nullptr;
  errno = 0;
  const double seconds = std::strtod(text.c_str(), &end);
  if (text.empty() || end != text.c_str() + text.size() || errno != 0 ||
      !(seconds > 0 && seconds <= 86400)) {
    tool::fail("--timeout takes a number of seconds, above 0 and at most "
               "86400, not " +
               text::escaped(text));
  }
  return seconds;
}

// Fails now, before any work, when the file cannot be written; leaves no
// file behind that was not there.
void checkWritable(const std::string &path) {
  struct stat info;
  const bool existed = ::stat(path.c_str(), &info) == 0;
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    tool::fail(tool::cannotWrite(path));
  }
  ::close(fd);
  if (!existed) {
    ::unlink(path.c_str());
  }
}

void readOptions(tool::Arguments &args, Options &options) {
  while (!args.done() && args.peek().size() > 1 && args.peek()[0] == '-') {
    std::string value;
    const auto valueOf = [&](std::string_view option) {
      if (!args.value(value)) {
        tool::fail(std::string(option) + " needs a value (see --help)");
      }
      return value;
    };
    if (args.take("--script")) {
      options.scripts.push_back(valueOf("--script"));
      // So that a shell pattern such as tests/scenarios/*.scn works.
      while (!args.done() && isScenarioFile(args.peek())) {
        options.scripts.push_back(args.next());
      }
    } else if (args.take("--generate")) {
      options.generate = tool::number("--generate", valueOf("--generate"));
    } else if (args.take("--seed")) {
      options.seed = tool::number("--seed", valueOf("--seed"));
    } else if (args.take("--commands")) {
      options.commands = tool::number("--commands", valueOf("--commands"), 1);
    } else if (args.take("--kind")) {
      options.kind = valueOf("--kind");
      if (!isScriptKind(options.kind)) {
        tool::fail("--kind takes a kind of script, and there is no kind " +
                   text::escaped(options.kind) +
                   " (see morvavl-generate --help)");
      }
    } else if (args.take("--timeout")) {
      options.program.timeoutSeconds = seconds(valueOf("--timeout"));
    } else if (args.take("--reduce")) {
      options.reduceFile = valueOf("--reduce");
    } else if (args.take("--junit")) {
      options.junitFile = valueOf("--junit");
    } else if (args.take("--max-runs")) {
      options.maxRuns = tool::number("--max-runs", valueOf("--max-runs"), 1);
    } else if (args.take("--max-failures")) {
      options.maxFailures =
          tool::number("--max-failures", valueOf("--max-failures"), 1);
    } else if (args.take("--depth")) {
      options.depth = static_cast<unsigned>(
          tool::number("--depth", valueOf("--depth"), 0, 1000));
    } else if (args.take("--verbose")) {
      options.verbose = true;
    } else {
      tool::fail("unknown option " + args.peek() + " (see --help)");
    }
  }
  options.program.command = args.rest();
  if (options.program.command.empty()) {
    tool::fail("no PROGRAM to check (see --help)");
  }
  if (options.scripts.empty() && options.generate == 0) {
    tool::fail("nothing to run: give --script FILE or --generate N");
  }
  const std::string why =
      whyNotGenerated(options.kind, options.generate ? options.commands : 0);
  if (options.generate && !why.empty()) {
    tool::fail("--commands " + std::to_string(options.commands) + ": " + why);
  }
  for (const std::string *file : {&options.reduceFile, &options.junitFile}) {
    if (!file->empty()) {
      checkWritable(*file);
    }
  }
}

std::string readWhole(std::istream &in) {
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A script file, or a scenario file, whose answers must be morvavl's. A
// regular file is read again for each run; anything else is read once.
ScriptSource loadScript(const std::string &path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    tool::fail(tool::cannotRead(path));
  }
  if (S_ISDIR(info.st_mode)) {
    tool::fail("cannot read " + path + ": it is a directory");
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    tool::fail(tool::cannotRead(path));
  }
  ScriptSource script{path, "", ""};
  if (!isScenarioFile(path)) {
    if (S_ISREG(info.st_mode)) {
      script.path = path;
    } else {
      script.text = readWhole(file);
    }
    return script;
  }
  Scenario scenario;
  std::string error;
  if (!parseScenario(readWhole(file), scenario, error)) {
    tool::fail(path + ": not a scenario file: " + error);
  }
  script.text = std::move(scenario.input);
  if (const auto difference =
          compareAnswers(script, scenario.expected).difference) {
    tool::fail(path + ": its answers are not morvavl's: they first differ " +
               (difference->afterLast
                    ? std::string("after the last command's")
                    : "at script line " + std::to_string(difference->line)));
  }
  return script;
}

class Comparison {
public:
  explicit Comparison(const Options &options)
      : options_(options),
        junit_("morvavl-compare " + text::escaped(options.program.command[0])) {
  }

  // 0, 1 or 2, as the exit status says.
  int run(const std::vector<ScriptSource> &given) {
    int status = 0;
    for (const ScriptSource &script : given) {
      if (!check(script, status)) {
        return finish(status);
      }
    }
    for (std::uint64_t k = 0; k < options_.generate; ++k) {
      const std::uint64_t seed = options_.seed + k;
      const std::string size = std::to_string(options_.commands);
      const ScriptSource script{
          "generated " + options_.kind + " script, seed " +
              std::to_string(seed) + " (morvavl-generate " + options_.kind +
              " " + size + " " + std::to_string(seed) + ")",
          generateScript(options_.kind, options_.commands, seed), ""};
      if (!check(script, status)) {
        return finish(status);
      }
    }
    return finish(status);
  }

private:
  // Checks one script; false to stop.
  bool check(const ScriptSource &script, int &status) {
    ++checked_;
    const auto start = std::chrono::steady_clock::now();
    Outcome outcome = runAndCompare(options_.program, script,
                                    options_.reduceFile.empty() ? 0 : 1 << 20);
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
            .count();
    if (!outcome.end.startError.empty()) {
      tool::fail("cannot run " + options_.program.command[0] + ": " +
                 outcome.end.startError);
    }
    if (!outcome.differs()) {
      junit_.passed(text::escaped(script.name), took);
      if (options_.verbose || outcome.end.leftRunning != 0) {
        say(script.name + ": agrees\n" + remarks(outcome));
      }
      return true;
    }
    ++differing_;
    status = 1;
    const std::string report = describe(script, outcome, options_.depth);
    junit_.failed(text::escaped(script.name), took, summarize(outcome), report);
    say(report);
    if (!options_.reduceFile.empty()) {
      shrink(script, std::move(outcome));
      return false;
    }
    if (options_.maxFailures != 0 && differing_ >= options_.maxFailures) {
      stoppedEarly_ = true;
      return false;
    }
    return true;
  }

  void shrink(const ScriptSource &script, Outcome outcome) {
    const Reduction reduction =
        reduce(options_.program, script, std::move(outcome), options_.maxRuns);
    std::ofstream file(options_.reduceFile, std::ios::binary);
    file << reduction.script;
    if (!file.flush()) {
      tool::fail(tool::cannotWrite(options_.reduceFile));
    }
    const ScriptSource shrunk{options_.reduceFile, reduction.script, ""};
    say("\nshrunk to " +
        text::counted(commandsOf(reduction.script), "command", "commands") +
        " in " + text::counted(reduction.runs, "run", "runs") +
        " of the program" +
        (reduction.limitReached ? " (the --max-runs limit)" : "") +
        "; written to " + options_.reduceFile + ":\n" +
        describeEach(shrunk, reduction.outcome) +
        describe(shrunk, reduction.outcome, options_.depth));
  }

  static std::uint64_t commandsOf(const std::string &script) {
    std::istringstream in(script);
    ScriptSession session(in);
    return session.count();
  }

  int finish(int status) {
    std::string summary = text::counted(checked_, "script", "scripts") + ": ";
    if (differing_ == 0) {
      summary += checked_ == 1 ? "it agrees" : "all agree";
    } else {
      summary += text::grouped(differing_) +
                 (differing_ == 1 ? " differs" : " differ");
    }
    if (stoppedEarly_) {
      summary += "; stopped there, as --max-failures asks";
    }
    if (options_.reduceFile.empty()) {
      say(summary + "\n");
    }
    if (!options_.junitFile.empty()) {
      std::ofstream junit(options_.junitFile, std::ios::binary);
      junit << junit_.xml();
      if (!junit.flush()) {
        tool::fail(tool::cannotWrite(options_.junitFile));
      }
    }
    return status;
  }

  // Writes at once, so that reports appear as they are made; a report that
  // cannot be written ends the tool.
  static void say(const std::string &text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
      tool::outputFailed("the report");
    }
  }

  const Options &options_;
  JUnitReport junit_;
  std::uint64_t checked_ = 0;
  std::uint64_t differing_ = 0;
  bool stoppedEarly_ = false;
};

int compareMain(tool::Arguments &args) {
  Options options;
  readOptions(args, options);
  std::vector<ScriptSource> scripts;
  for (const std::string &path : options.scripts) {
    scripts.push_back(loadScript(path));
  }
  // A PROGRAM that stops reading must not end the comparison, and what it
  // leaves behind comes back to this process to be ended.
  std::signal(SIGPIPE, SIG_IGN);
  becomeSubreaper();
  return Comparison(options).run(scripts);
}

} // namespace

int main(int argc, char **argv) {
  return tool::run({"morvavl-compare", usage, true}, argc, argv, compareMain);
}

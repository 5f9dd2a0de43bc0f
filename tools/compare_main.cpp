// morvavl-compare: checks another program for the same command language
// against morvavl, on given scripts and on generated ones, and shrinks a
// script that shows a difference.
#include "Compare.h"
#include "Generator.h"
#include "Reducer.h"
#include "Report.h"
#include "Scenario.h"
#include "Text.h"
#include "Tool.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

constexpr std::string_view usage =
    R"(usage: morvavl-compare [OPTIONS] PROGRAM [ARG...]

Runs PROGRAM, a program for morvavl's command language, on each script given
and generated, with the script on its standard input, and compares what it
writes with the answers of morvavl's own engine. For each script that
differs it tells the script line whose answers first differ, both answers,
why morvavl answers so, the three commands before, and the tree as it stood
just before; and whether PROGRAM timed out (after which answer), was ended
by a signal, exited with a status other than 0, wrote on standard error, or
wrote more or fewer lines than expected.

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
  --reduce FILE      stop at the first script that differs, shrink it and
                     write the result to FILE
  --max-runs N       run PROGRAM at most N times to shrink (default 2000)
  --depth N          draw at most N levels of the tree (default 6; 0: all)
  --verbose          name every script, also those that agree
  --help             show this text

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
  std::uint64_t maxRuns = 2000;
  unsigned depth = 6;
  bool verbose = false;
  Program program;
};

bool isScenarioFile(const std::string &path) {
  return path.size() > 4 && path.compare(path.size() - 4, 4, ".scn") == 0;
}

bool parseSeconds(const std::string &text, double &seconds) {
  char *end = nullptr;
  errno = 0;
  seconds = std::strtod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size() && errno == 0 &&
         seconds > 0 && seconds <= 86400;
}

std::string readOptions(tool::Arguments &args, Options &options) {
  while (!args.done() && args.peek().size() > 1 && args.peek()[0] == '-') {
    std::string value;
    const auto number = [&](std::uint64_t &into) {
      return args.value(value) && tool::parseNumber(value, into);
    };
    if (args.take("--script")) {
      if (!args.value(value)) {
        return "--script takes a file";
      }
      options.scripts.push_back(value);
      // So that a shell pattern such as tests/scenarios/*.scn works.
      while (!args.done() && isScenarioFile(args.peek())) {
        options.scripts.push_back(args.next());
      }
    } else if (args.take("--generate")) {
      if (!number(options.generate)) {
        return "--generate takes a number of scripts";
      }
    } else if (args.take("--seed")) {
      if (!number(options.seed)) {
        return "--seed takes a whole number";
      }
    } else if (args.take("--commands")) {
      if (!number(options.commands) || options.commands == 0) {
        return "--commands takes a number of commands, at least 1";
      }
    } else if (args.take("--kind")) {
      if (!args.value(options.kind) || !isScriptKind(options.kind)) {
        return "--kind takes a kind of script (see morvavl-generate --help)";
      }
    } else if (args.take("--timeout")) {
      if (!args.value(value) ||
          !parseSeconds(value, options.program.timeoutSeconds)) {
        return "--timeout takes a number of seconds, above 0";
      }
    } else if (args.take("--reduce")) {
      if (!args.value(options.reduceFile) || options.reduceFile.empty()) {
        return "--reduce takes a file to write the shrunk script to";
      }
    } else if (args.take("--max-runs")) {
      if (!number(options.maxRuns) || options.maxRuns == 0) {
        return "--max-runs takes a number of runs, at least 1";
      }
    } else if (args.take("--depth")) {
      std::uint64_t depth = 0;
      if (!number(depth) || depth > 1000) {
        return "--depth takes a number of levels from 0 to 1000";
      }
      options.depth = static_cast<unsigned>(depth);
    } else if (args.take("--verbose")) {
      options.verbose = true;
    } else {
      return "unknown option " + args.peek() + " (see --help)";
    }
  }
  options.program.command = args.rest();
  if (options.program.command.empty()) {
    return "no PROGRAM to check (see --help)";
  }
  if (options.scripts.empty() && options.generate == 0) {
    return "nothing to run: give --script FILE or --generate N";
  }
  return "";
}

struct Script {
  std::string name;
  std::string text;
};

// A script file, or a scenario file, whose answers must be morvavl's.
Script loadScript(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    tool::fail(tool::cannotRead(path));
  }
  Script script;
  std::string bytes{std::istreambuf_iterator<char>(file),
                    std::istreambuf_iterator<char>()};
  script.name = path;
  if (!isScenarioFile(path)) {
    script.text = std::move(bytes);
    return script;
  }
  Scenario scenario = parseScenario(bytes);
  if (!scenario.complete) {
    tool::fail(path +
               " is not a scenario file: it lacks the <<< and >>> parts");
  }
  const Reference reference = referenceOf(scenario.input);
  std::string answers;
  for (const Reference::Step &step : reference.steps) {
    for (std::uint64_t i = 0; i < step.repeat; ++i) {
      answers += step.answers;
    }
  }
  if (answers != scenario.expected) {
    tool::fail(path + ": its answers are not morvavl's");
  }
  script.text = std::move(scenario.input);
  return script;
}

class Comparison {
public:
  explicit Comparison(const Options &options) : options_(options) {}

  // 0, 1 or 2, as the exit status says.
  int run(const std::vector<Script> &given) {
    for (const Script &script : given) {
      const int status = check(script);
      if (status != 0) {
        return status;
      }
    }
    for (std::uint64_t k = 0; k < options_.generate; ++k) {
      const std::uint64_t seed = options_.seed + k;
      Script script{"generated " + options_.kind + " script, seed " +
                        std::to_string(seed) + " (morvavl-generate " +
                        options_.kind + " " +
                        std::to_string(options_.commands) + " " +
                        std::to_string(seed) + ")",
                    generateScript(options_.kind, options_.commands, seed)};
      const int status = check(script);
      if (status != 0) {
        return status;
      }
    }
    std::printf("%s scripts: %s\n", text::grouped(checked_).c_str(),
                differing_ == 0
                    ? "all agree"
                    : (text::grouped(differing_) + " differ").c_str());
    return differing_ == 0 ? 0 : 1;
  }

private:
  // 0 to go on; 1 or 2 to stop with that status.
  int check(const Script &script) {
    ++checked_;
    const Reference reference = referenceOf(script.text);
    const Outcome outcome =
        runAndCompare(options_.program, script.text, reference);
    if (!outcome.run.startError.empty()) {
      tool::fail("cannot run " + options_.program.command[0] + ": " +
                 outcome.run.startError);
    }
    if (!outcome.differs()) {
      if (options_.verbose) {
        std::printf("%s: agrees\n", script.name.c_str());
      }
      return 0;
    }
    ++differing_;
    std::fputs(
        describe(script.name, script.text, reference, outcome, options_.depth)
            .c_str(),
        stdout);
    std::fflush(stdout);
    return options_.reduceFile.empty() ? 0 : shrink(script);
  }

  int shrink(const Script &script) {
    const Reduction reduction =
        reduce(options_.program, script.text, options_.maxRuns);
    std::ofstream file(options_.reduceFile, std::ios::binary);
    file << reduction.script;
    if (!file.flush()) {
      tool::fail(tool::cannotWrite(options_.reduceFile));
    }
    const Reference reference = referenceOf(reduction.script);
    const Outcome outcome =
        runAndCompare(options_.program, reduction.script, reference);
    std::printf(
        "\nshrunk to %s in %s runs of the program%s; written to "
        "%s:\n",
        text::counted(reference.steps.size(), "command", "commands").c_str(),
        text::grouped(reduction.runs).c_str(),
        reduction.limitReached ? " (the --max-runs limit)" : "",
        options_.reduceFile.c_str());
    std::fputs(describeEach(reduction.script, reference, outcome).c_str(),
               stdout);
    std::fputs(describe(options_.reduceFile, reduction.script, reference,
                        outcome, options_.depth)
                   .c_str(),
               stdout);
    return 1;
  }

  const Options &options_;
  std::uint64_t checked_ = 0;
  std::uint64_t differing_ = 0;
};

int compareMain(tool::Arguments &args) {
  Options options;
  const std::string problem = readOptions(args, options);
  if (!problem.empty()) {
    tool::fail(problem);
  }
  std::vector<Script> scripts;
  for (const std::string &path : options.scripts) {
    scripts.push_back(loadScript(path));
  }
  // A PROGRAM that stops reading must not end the comparison.
  std::signal(SIGPIPE, SIG_IGN);
  return Comparison(options).run(scripts);
}

} // namespace

int main(int argc, char **argv) {
  return tool::run({"morvavl-compare", usage, true}, argc, argv, compareMain);
}

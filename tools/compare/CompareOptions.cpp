// One table of options; the checks that need all of them come after it.
#include "CompareOptions.h"

#include "Generator.h"
#include "Options.h"
#include "Reducer.h"
#include "Text.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view header =
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
)";

constexpr std::string_view footer =
    R"(Everything PROGRAM starts is ended with its run, also what leaves its
process group or session.

Exit status: 0 when every script agrees, 1 when one differs, 2 for a usage
error, a file that cannot be read or written, or a PROGRAM that cannot be
started.
)";

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

bool isPass(std::string_view name) {
  const std::vector<ReducerPass> passes = reducerPasses();
  return std::any_of(
      passes.begin(), passes.end(),
      [&](const ReducerPass &pass) { return pass.name == name; });
}

// "drop-chunks,round-ids" as names, each of which must be a pass's; or,
// without `names`, only whether they all are.
bool passNames(std::string_view list, std::vector<std::string> *names) {
  for (std::size_t from = 0; from <= list.size();) {
    const std::size_t comma = std::min(list.find(',', from), list.size());
    const std::string_view name = list.substr(from, comma - from);
    if (!isPass(name)) {
      if (!names) {
        return false;
      }
      tool::fail("--passes takes names of passes, and there is no pass " +
                 text::escaped(name) + " (see --passes)");
    }
    if (names) {
      names->emplace_back(name);
    }
    from = comma + 1;
  }
  return true;
}

// The table. The --script row takes the .scn files that follow it too, so
// that a shell pattern such as tests/scenarios/*.scn works.
std::vector<tool::Option> optionsOf(CompareOptions &options,
                                    std::size_t &scriptsEnd,
                                    const tool::Arguments *args) {
  using Value = tool::Option::Value;
  const auto number = [](std::uint64_t &into, const char *name,
                         std::uint64_t least) {
    return [&into, name, least](const std::string &text) {
      into = tool::number(name, text, least);
    };
  };
  return {
      {"--script", Value::required, "FILE",
       "a script to run (repeatable); a scenario file (.scn) counts as a "
       "script with its answers, and the .scn files that follow are taken "
       "too, so that --script tests/scenarios/*.scn runs the whole suite",
       [&options, &scriptsEnd, args](const std::string &file) {
         options.scripts.push_back(file);
         scriptsEnd = args ? args->position() : 0;
       }},
      {"--generate", Value::required, "N", "also run N generated scripts",
       number(options.generate, "--generate", 0)},
      {"--seed", Value::required, "S",
       "the first generated script's seed (default 1); the others follow "
       "as S+1, S+2, ...",
       number(options.seed, "--seed", 0)},
      {"--commands", Value::required, "C",
       "commands per generated script (default 1000)",
       number(options.commands, "--commands", 1)},
      {"--kind", Value::required, "KIND",
       "the kind of generated script (default conformance; see "
       "morvavl-generate --help)",
       [&options](const std::string &kind) {
         if (!isScriptKind(kind)) {
           tool::fail("--kind takes a kind of script, and there is no kind " +
                      text::escaped(kind) + " (see morvavl-generate --help)");
         }
         options.kind = kind;
       }},
      {"--timeout", Value::required, "SECONDS",
       "for each run of PROGRAM (default 10)",
       [&options](const std::string &text) {
         options.program.timeoutSeconds = seconds(text);
       }},
      {"--reference", Value::required, "NAME",
       "take the answers expected from the variant NAME instead of "
       "morvavl: a misreading of one rule, or the textbook tree",
       [&options](const std::string &name) {
         options.program.reference = findVariant(name);
         if (!options.program.reference) {
           tool::fail("--reference takes the name of a variant, and there "
                      "is no variant " +
                      text::escaped(name) + " (see --list-variants)");
         }
       }},
      {"--list-variants", Value::none, "",
       "list the variants, each name and a tab before its description",
       [&options](const std::string &) { options.listVariants = true; }},
      {"--max-failures", Value::required, "N",
       "stop after N scripts that differ",
       number(options.maxFailures, "--max-failures", 1)},
      {"--junit", Value::required, "FILE",
       "also write a JUnit XML report to FILE: a test case per script, with "
       "the first difference as its failure",
       [&options](const std::string &file) { options.junitFile = file; }},
      {"--reduce", Value::required, "FILE",
       "stop at the first script that differs, shrink it and write the "
       "result to FILE",
       [&options](const std::string &file) { options.reduceFile = file; }},
      {"--max-runs", Value::required, "N",
       "run PROGRAM at most N times to shrink (default 2000)",
       number(options.maxRuns, "--max-runs", 1)},
      {"--passes", Value::optional, "NAMES",
       "shrink with these passes only (as \"drop-chunks,round-ids\"); alone, "
       "list the passes, in the order they run, and their descriptions",
       [&options](const std::string &names) {
         if (names.empty()) {
           options.listPasses = true;
         } else {
           passNames(names, &options.passes);
         }
       },
       [](std::string_view next) { return passNames(next, nullptr); }},
      {"--depth", Value::required, "N",
       "draw at most N levels of the tree (default 6; 0: all)",
       [&options](const std::string &text) {
         options.depth =
             static_cast<unsigned>(tool::number("--depth", text, 0, 1000));
       }},
      {"--verbose", Value::none, "",
       "name every script, also those that agree, and say which pass kept "
       "each cut of a reduction",
       [&options](const std::string &) { options.verbose = true; }},
  };
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

void check(const CompareOptions &options) {
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
  // The JUnit file is opened, and held, by the checker itself: a FIFO
  // opened here and closed would end its reader's input.
  if (!options.reduceFile.empty()) {
    checkWritable(options.reduceFile);
  }
}

} // namespace

const std::string &compareUsage() {
  static const std::string text = [] {
    CompareOptions unused;
    std::size_t end = 0;
    return tool::usageOf(header, optionsOf(unused, end, nullptr), footer);
  }();
  return text;
}

CompareOptions readCompareOptions(tool::Arguments &args) {
  CompareOptions options;
  std::size_t scriptsEnd = 0;
  tool::readOptions(args, optionsOf(options, scriptsEnd, &args),
                    [&](const std::string &arg) {
                      if (args.position() != scriptsEnd || scriptsEnd == 0 ||
                          !isScenarioFile(arg)) {
                        return false;
                      }
                      options.scripts.push_back(arg);
                      scriptsEnd = args.position() + 1;
                      return true;
                    });
  options.program.command = args.rest();
  if (options.listVariants) {
    return options;
  }
  if (options.listPasses && !options.program.command.empty()) {
    tool::fail("--passes without names lists the passes and runs nothing; "
               "to shrink with some of them, give --passes=NAMES (see "
               "--passes)");
  }
  if (!options.listPasses) {
    check(options);
  }
  return options;
}

// Running the program on every script, in order: a verdict for each as it
// comes, the JUnit report at the end, and the shrinking of the first script
// that differs when asked.
#include "Checker.h"

#include "Diagnosis.h"
#include "Generator.h"
#include "JUnit.h"
#include "OutputFile.h"
#include "Reducer.h"
#include "Report.h"
#include "Scenario.h"
#include "ScriptFile.h"
#include "ScriptSession.h"
#include "Text.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Why no variant can explain a run, however it answered; empty when one may.
std::string whyUnexplained(const Outcome &outcome, bool complete) {
  const ProcessEnd &end = outcome.end;
  if (end.timedOut) {
    return "it timed out";
  }
  if (end.signal != 0) {
    return "it was ended by a signal";
  }
  if (end.exitStatus != 0) {
    return "it exited with status " + std::to_string(end.exitStatus);
  }
  if (end.errorBytes != 0) {
    return "it wrote on standard error";
  }
  return complete ? "" : "its output was too large to keep for trying them";
}

bool isScenarioFile(const std::string &path) {
  return path.size() > 4 && path.compare(path.size() - 4, 4, ".scn") == 0;
}

// A script that is no regular file is read once, onto disk, up to this.
constexpr std::uint64_t mostStreamedBytes = std::uint64_t{1} << 30;
// Scenario files are short: one is read whole, up to this.
constexpr std::size_t mostScenarioBytes = std::size_t{64} << 20;

std::string readWhole(const std::string &path, std::istream &in,
                      std::size_t most) {
  std::string whole;
  char chunk[1 << 16];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    whole.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (whole.size() > most) {
      tool::fail(path + ": not a scenario file: longer than " +
                 text::counted(most, "byte", "bytes"));
    }
  }
  return whole;
}

// A line of progress on a terminal, rewritten in place at most ten times a
// second and cleared at the end; nothing when standard error is no
// terminal.
class Progress {
public:
  bool shown() const { return shown_; }
  void show(const std::string &line) {
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(100)) {
      return;
    }
    last_ = now;
    width_ = std::max(width_, line.size());
    const std::string out =
        "\r" + line + std::string(width_ - line.size(), ' ');
    tool::writeAll(STDERR_FILENO, out);
  }
  void clear() {
    if (width_ > 0) {
      tool::writeAll(STDERR_FILENO, "\r" + std::string(width_, ' ') + "\r");
    }
  }

private:
  bool shown_ = ::isatty(STDERR_FILENO) == 1;
  std::chrono::steady_clock::time_point last_{};
  std::size_t width_ = 0;
};

class Checker {
public:
  explicit Checker(const CompareOptions &options)
      : options_(options),
        junit_("morvavl-compare " + text::escaped(options.program.command[0])) {
    if (!options.junitFile.empty()) {
      junitFile_ = std::make_unique<OutputFile>("--junit", options.junitFile);
    }
  }

  // 0, 1 or 2, as the exit status says.
  int run(const std::vector<ScriptSource> &given) {
    int status = 0;
    for (std::size_t i = 0; i < given.size(); ++i) {
      const ScriptSource &script = given[i];
      if (!check(script, status, [&script] { return script; })) {
        skipRest(given, i + 1, 0);
        return finish(status);
      }
    }
    for (std::uint64_t k = 0; k < options_.generate; ++k) {
      // Written to disk as it is made: memory does not grow with the
      // number of commands.
      const auto generated = [this, seed = options_.seed + k] {
        auto file = std::make_shared<ScriptFile>();
        generateScript(
            options_.kind, options_.commands, seed,
            [&file](std::string_view piece) { file->append(piece); });
        return ScriptFile::source(std::move(file), generatedName(seed));
      };
      if (!check(generated(), status, generated)) {
        skipRest(given, given.size(), k + 1);
        return finish(status);
      }
    }
    return finish(status);
  }

private:
  std::string generatedName(std::uint64_t seed) const {
    const std::string size = std::to_string(options_.commands);
    return "generated " + options_.kind + " script, seed " +
           std::to_string(seed) + " (morvavl-generate " + options_.kind + " " +
           size + " " + std::to_string(seed) + ")";
  }

  // The scripts a stop left unrun are in the JUnit report all the same,
  // as skipped.
  void skipRest(const std::vector<ScriptSource> &given, std::size_t from,
                std::uint64_t generatedFrom) {
    const std::string why =
        stoppedEarly_ ? "not run: --max-failures " +
                            std::to_string(options_.maxFailures) +
                            " scripts differed before it"
                      : "not run: --reduce stops at the first script that "
                        "differs";
    for (std::size_t i = from; i < given.size(); ++i) {
      junit_.skipped(given[i].name, why);
    }
    for (std::uint64_t k = generatedFrom; k < options_.generate; ++k) {
      junit_.skipped(generatedName(options_.seed + k), why);
    }
  }

  // What a reduction of a flaky program deserves to be told.
  static std::string flakyNote(const Reduction &reduction,
                               const Confirmation &confirmed) {
    const std::string shortest =
        text::counted(commandsOf(reduction.kept.back()), "command", "commands");
    std::string note = "\nthe program is flaky: the shortest script it "
                       "differed on (" +
                       shortest + ") differed again on " +
                       std::to_string(confirmed.again) + " of 3 runs; ";
    return note + (confirmed.confirmed
                       ? "below is the shortest that differed on all 3\n"
                       : "no script kept on the way differed on all 3, and "
                         "below is the shortest, which may not show it\n");
  }

  // Whether a diagnosis is made: not when the answers expected are a
  // variant's already.
  bool diagnosing() const { return !options_.program.reference; }

  // Checks one script, which `again` makes anew; false to stop.
  bool check(const ScriptSource &script, int &status,
             std::function<ScriptSource()> again) {
    ++checked_;
    const auto start = std::chrono::steady_clock::now();
    Outcome outcome = runAndCompare(
        options_.program, script, options_.reduceFile.empty() ? 0 : keptOutput,
        diagnosing() ? &spool_ : nullptr);
    const double took =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
            .count();
    if (!outcome.end.startError.empty()) {
      tool::fail("cannot run " + options_.program.command[0] + ": " +
                 outcome.end.startError);
    }
    if (!outcome.differs()) {
      diagnosis_.agreeing(std::move(again));
      junit_.passed(text::escaped(script.name), took);
      if (options_.verbose || outcome.end.leftRunning != 0) {
        say(script.name + ": agrees\n" + remarks(outcome));
      }
      return true;
    }
    ++differing_;
    status = 1;
    if (diagnosing()) {
      const std::string why = whyUnexplained(outcome, spool_.complete());
      if (!why.empty()) {
        diagnosis_.unexplained(script, why);
      } else {
        // What it wrote: morvavl's answers as far as they agreed, then
        // what was kept.
        diagnosis_.differing(script, [this, &script](Comparison &comparison) {
          const auto consume = [&comparison](std::string_view chunk) {
            comparison.consume(chunk);
            return !comparison.differs();
          };
          morvavlAnswers(script, spool_.before(), consume);
          spool_.replay(consume);
        });
      }
    }
    const Variant *reference = options_.program.reference;
    const std::string report =
        describe(script, outcome, options_.depth, reference);
    junit_.failed(text::escaped(script.name), took,
                  summarize(outcome, reference), report);
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
    ReduceOptions reducing;
    reducing.maxRuns = options_.maxRuns;
    reducing.passes = options_.passes;
    if (options_.verbose) {
      reducing.kept = [this](std::string_view pass, std::uint64_t from,
                             std::uint64_t to) {
        say("  " + std::string(pass) + " kept a cut: " + text::grouped(from) +
            " to " + text::counted(to, "line", "lines") + "\n");
      };
    }
    Progress progress;
    if (progress.shown()) {
      reducing.progress = [&progress](std::uint64_t runs,
                                      std::uint64_t commands) {
        progress.show("shrinking: " + text::counted(runs, "run", "runs") +
                      ", " + text::counted(commands, "command", "commands") +
                      " in the shortest script that still differs");
      };
    }
    Reduction reduction =
        reduce(options_.program, script, std::move(outcome), reducing);
    progress.clear();
    const Confirmation confirmed = confirm(options_.program, reduction);
    if (confirmed.flaky) {
      say(flakyNote(reduction, confirmed));
    }
    std::ofstream file(options_.reduceFile, std::ios::binary);
    file << reduction.script;
    if (!file.flush()) {
      tool::fail(tool::cannotWrite(options_.reduceFile));
    }
    const ScriptSource shrunk{options_.reduceFile, reduction.script, "",
                              nullptr};
    const Outcome &witness = reduction.outcome;
    if (diagnosing()) {
      const std::string why =
          whyUnexplained(witness, witness.output.size() < keptOutput);
      if (!why.empty()) {
        diagnosis_.unexplained(shrunk, why);
      } else {
        diagnosis_.differing(shrunk, witness.output);
      }
    }
    const Variant *reference = options_.program.reference;
    say("\nshrunk to " +
        text::counted(commandsOf(reduction.script), "command", "commands") +
        " in " + text::counted(reduction.runs, "run", "runs") +
        " of the program" +
        (reduction.limitReached ? " (the --max-runs limit)" : "") +
        "; written to " + options_.reduceFile + ":\n" +
        describeEach(shrunk, witness, reference) +
        describe(shrunk, witness, options_.depth, reference));
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
    if (diagnosing() && diagnosis_.made()) {
      say((options_.reduceFile.empty() ? "" : "\n") + diagnosis_.report());
      junit_.addToFailures("; " + diagnosis_.line());
    }
    // With --reduce the shrunk script's report ends the output, unless
    // there was none.
    if (options_.reduceFile.empty() || differing_ == 0) {
      say(summary + "\n");
    }
    if (junitFile_) {
      junitFile_->write(junit_.xml());
    }
    if (readerGone_) {
      errno = EPIPE;
      tool::outputFailed("the report");
    }
    return status;
  }

  // Writes at once, so that reports appear as they are made; a report that
  // cannot be written ends the tool. When the reader went away and a JUnit
  // report is asked for, the runs go on for it, and the tool ends after.
  void say(const std::string &text) {
    if (readerGone_ || tool::writeAll(STDOUT_FILENO, text)) {
      return;
    }
    if (errno != EPIPE || !junitFile_) {
      tool::outputFailed("the report");
    }
    readerGone_ = true;
  }

  // The output kept from each run of a reduction, for the report on the
  // shortest script.
  static constexpr std::size_t keptOutput = 1 << 20;

  const CompareOptions &options_;
  JUnitReport junit_;
  std::unique_ptr<OutputFile> junitFile_;
  bool readerGone_ = false;
  OutputSpool spool_;
  Diagnosis diagnosis_;
  std::uint64_t checked_ = 0;
  std::uint64_t differing_ = 0;
  bool stoppedEarly_ = false;
};

// A script file, or a scenario file, whose answers must be morvavl's. A
// regular file is read again for each run; anything else is read once.
} // namespace

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
  ScriptSource script{path, "", "", nullptr};
  if (!isScenarioFile(path)) {
    if (S_ISREG(info.st_mode)) {
      script.path = path;
      return script;
    }
    return streamToDisk(path, file, mostStreamedBytes);
  }
  Scenario scenario;
  std::string error;
  if (!parseScenario(readWhole(path, file, mostScenarioBytes), scenario,
                     error)) {
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

int runChecks(const CompareOptions &options,
              const std::vector<ScriptSource> &scripts) {
  return Checker(options).run(scripts);
}

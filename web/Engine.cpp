// The page's engine: morvavl's own session, trace and comparison, compiled
// to WebAssembly, behind a handful of C functions the page calls. A run
// keeps the script, its answers as morvavl writes them, and a log of what
// each of its first commands did, from which any step is shown again; a
// check compares another program's output with the script's answers, made
// afresh, so that nothing is cut.
#include "AnswerSink.h"
#include "Comparison.h"
#include "Diagnosis.h"
#include "Narrator.h"
#include "Scenario.h"
#include "ScriptSession.h"
#include "StepLog.h"
#include "Text.h"
#include "Tracer.h"
#include "VerdictJson.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#if defined(__EMSCRIPTEN__)
#include <emscripten/emscripten.h>
#define PAGE_CALLS EMSCRIPTEN_KEEPALIVE
#else
#define PAGE_CALLS
#endif

namespace {

// The answers the page holds at most: a count far beyond the script's
// lines could otherwise ask for billions of them.
constexpr std::size_t mostAnswerBytes = std::size_t{64} << 20;

struct Run {
  std::string script;
  AnswerCapture answers{mostAnswerBytes};
  StepLog log;
  std::string summary; // JSON
  std::string view;    // the last view asked for
  std::string verdict; // the last check's
};

Run *run = nullptr;
std::string scenarioScript;

} // namespace

extern "C" {

// Runs the script in one pass: its first `traced` commands through the
// trace, each step logged, and the rest plain, as the program runs them.
// Every answer is kept, up to the limit. Returns the number of steps logged.
PAGE_CALLS std::uint32_t engineRun(const char *script, std::size_t size,
                                   std::uint32_t traced) {
  delete run;
  run = new Run();
  run->script.assign(script, size);
  std::istringstream input(run->script);
  TraceSession session(input, run->answers);
  TraceStep step;
  // Commands without a line are one step.
  while (run->log.steps() < traced && session.step(step)) {
    const std::uint64_t answersAt = static_cast<std::uint64_t>(
        step.answers.data() - run->answers.text().data());
    run->log.record(step, session.recorder(), session.view(), answersAt);
    if (step.missing) {
      break;
    }
  }
  session.runRest();

  std::string &summary = run->summary;
  summary =
      "{\"commands\":" + std::to_string(session.count()) +
      ",\"steps\":" + std::to_string(run->log.steps()) +
      ",\"answersSize\":" + std::to_string(run->answers.text().size()) +
      ",\"answersCut\":" + (run->answers.cut() ? "true" : "false") +
      ",\"countLine\":" + std::to_string(session.script().countLine().number) +
      ",\"countNote\":";
  text::appendJson(summary, narrator::countNote(session.script()));
  summary += "}";
  return static_cast<std::uint32_t>(run->log.steps());
}

PAGE_CALLS const char *engineSummary() { return run->summary.c_str(); }

PAGE_CALLS const char *engineAnswers() { return run->answers.text().data(); }

PAGE_CALLS std::size_t engineAnswersSize() {
  return run->answers.text().size();
}

// Step `step` as JSON, with the tree drawn `depth` levels deep (0: all)
// and below the nodes numbered in `expanded` (comma-separated).
PAGE_CALLS const char *engineView(std::uint32_t step, std::uint32_t depth,
                                  const char *expanded) {
  std::vector<std::int32_t> numbers;
  for (const char *at = expanded; *at;) {
    char *end = nullptr;
    numbers.push_back(static_cast<std::int32_t>(std::strtol(at, &end, 10)));
    at = *end == ',' ? end + 1 : end;
    if (end == at && *at) {
      break;
    }
  }
  run->view = run->log.view(step, depth, numbers);
  return run->view.c_str();
}

// The script of a scenario file, for the page's examples; empty when the
// file is not a scenario. Its size comes from engineScenarioSize().
PAGE_CALLS const char *engineScenario(const char *file, std::size_t size) {
  Scenario scenario;
  std::string error;
  scenarioScript = parseScenario(std::string_view(file, size), scenario, error)
                       ? scenario.input
                       : std::string();
  return scenarioScript.data();
}

PAGE_CALLS std::size_t engineScenarioSize() { return scenarioScript.size(); }

// Another program's output for the script last run, compared with
// morvavl's answers as morvavl-compare compares them, and diagnosed as it
// diagnoses them; the verdict as JSON (VerdictJson.h).
PAGE_CALLS const char *engineCheck(const char *output, std::size_t size) {
  const ScriptSource script{"the script", run->script, ""};
  const std::string_view written(output, size);
  const Verdict verdict = compareAnswers(script, written);
  // Why it differs: the variants that give exactly these answers.
  Diagnosis diagnosis;
  if (verdict.difference) {
    diagnosis.differing(script, written);
  }
  run->verdict = verdictJson(verdict, run->log, diagnosis.matches());
  return run->verdict.c_str();
}
}

// The page's engine: morvavl's own session, trace and comparison, compiled
// to WebAssembly, behind a handful of C functions the page calls. Bytes go
// in through the module's memory; everything comes out as JSON, but for the
// answers and the timeline, which the page reads in place.
#include "Comparison.h"
#include "Diagnosis.h"
#include "Narrator.h"
#include "PageRun.h"
#include "Scenario.h"
#include "Text.h"
#include "VerdictJson.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#if defined(__EMSCRIPTEN__)
#include <emscripten/emscripten.h>
#define PAGE_CALLS EMSCRIPTEN_KEEPALIVE
#else
#define PAGE_CALLS
#endif

namespace {

PageRun *run = nullptr;
bool twinWanted = false;
std::string reply; // the last JSON handed out
std::string scenarioScript;

// "3,17,4" as numbers.
std::vector<std::int32_t> numbersOf(const char *list) {
  std::vector<std::int32_t> numbers;
  for (const char *at = list; *at;) {
    char *end = nullptr;
    numbers.push_back(static_cast<std::int32_t>(std::strtol(at, &end, 10)));
    if (end == at) {
      break;
    }
    at = *end == ',' ? end + 1 : end;
  }
  return numbers;
}

PageTreeOptions optionsOf(std::uint32_t depth, const char *expanded) {
  PageTreeOptions options;
  options.depth = depth;
  options.expanded = numbersOf(expanded);
  return options;
}

} // namespace

extern "C" {

// Runs the script once, as the program does; returns its number of steps.
PAGE_CALLS std::uint32_t engineRun(const char *script, std::size_t size) {
  delete run;
  run = nullptr;
  run = new PageRun(std::string(script, size), twinWanted);
  return static_cast<std::uint32_t>(run->steps());
}

PAGE_CALLS const char *engineSummary() { return run->summary().c_str(); }
PAGE_CALLS const char *engineAnswers() { return run->answers().data(); }
PAGE_CALLS std::size_t engineAnswersSize() { return run->answers().size(); }

// Step `step` (0: before the first command) with its sub-steps, the tree
// drawn `depth` levels deep (0: all) and below the nodes whose keys are in
// `expanded` (comma-separated).
PAGE_CALLS const char *engineView(std::uint32_t step, std::uint32_t depth,
                                  const char *expanded) {
  reply = run->view(step, optionsOf(depth, expanded));
  return reply.c_str();
}

// The textbook twin after step `step`, drawn alike.
PAGE_CALLS const char *engineTwinView(std::uint32_t step, std::uint32_t depth,
                                      const char *expanded) {
  reply = run->twinView(step, optionsOf(depth, expanded));
  return reply.c_str();
}

// Whether the twin runs beside the script, from the next run on and for
// the timeline now.
PAGE_CALLS void engineTwin(int on) {
  twinWanted = on != 0;
  if (run) {
    run->twin(twinWanted);
  }
}

// Gathers the timeline for at most `commands` more commands.
PAGE_CALLS const char *engineIndex(std::uint32_t commands) {
  reply = run->index(commands);
  return reply.c_str();
}

// The timeline's marks and IDs, one per step gathered so far.
PAGE_CALLS const std::uint16_t *engineMarks() {
  return run->timeline().marks().data();
}
PAGE_CALLS const std::uint32_t *engineIds() {
  return run->timeline().ids().data();
}

// Why the line would be refused, or "" when it is a command.
PAGE_CALLS const char *engineRefusal(const char *line, std::size_t size) {
  ScriptSession::Step step;
  step.text = std::string_view(line, size);
  LineStream stream(step.text);
  step.command = parseCommand(stream);
  reply = step.command.kind == Command::Kind::refused
              ? narrator::refusalNote(step)
              : "";
  return reply.c_str();
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

// Another program's output for the script, compared with morvavl's answers
// as morvavl-compare compares them, and diagnosed as it diagnoses them; the
// verdict as JSON (VerdictJson.h).
PAGE_CALLS const char *engineCheck(const char *output, std::size_t size) {
  const ScriptSource script{"the script", run->script(), "", nullptr};
  const std::string_view written(output, size);
  const Verdict verdict = compareAnswers(script, written);
  Diagnosis diagnosis;
  if (verdict.difference) {
    diagnosis.differing(script, written);
  }
  reply = verdictJson(
      verdict,
      [](std::uint64_t command) { return run->stepOfCommand(command); },
      diagnosis.matches());
  return reply.c_str();
}
}

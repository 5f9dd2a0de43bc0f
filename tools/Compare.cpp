// morvavl's answers to a script, from its own session, and where another
// program's output first parts from them.
#include "Compare.h"

#include "ScriptSession.h"

#include <algorithm>
#include <sstream>

namespace {

std::uint64_t linesIn(std::string_view text) {
  return static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

// --------------------------------------------------------- the reference

Reference referenceOf(std::string_view script) {
  std::istringstream in{std::string(script)};
  ScriptSession session(in);
  Reference reference;
  ScriptSession::Step step;
  while (session.step(step)) {
    Reference::Step entry;
    entry.line = step.line;
    entry.text = std::string(step.text);
    entry.missing = step.missing;
    entry.answers = std::string(step.answers);
    entry.answerLines = linesIn(step.answers);
    // Commands without a line answer alike; there may be billions.
    entry.repeat = step.missing ? step.missingAfter + 1 : 1;
    reference.answerBytes += entry.answers.size() * entry.repeat;
    reference.steps.push_back(std::move(entry));
    if (step.missing) {
      break;
    }
  }
  return reference;
}

// ---------------------------------------------------------- comparing

bool Outcome::differs() const {
  return !run.startError.empty() || !answersAgree || run.timedOut ||
         run.outputCut || run.signal != 0 || run.exitStatus != 0 ||
         !run.err.empty();
}

Outcome compareRun(const Reference &reference, ProcessRun run) {
  Outcome outcome;
  outcome.run = std::move(run);
  const std::string_view out = outcome.run.out;
  outcome.linesWritten = linesIn(out);
  for (const Reference::Step &step : reference.steps) {
    outcome.linesExpected += step.answerLines * step.repeat;
  }
  std::size_t at = 0;
  for (std::size_t i = 0; i < reference.steps.size(); ++i) {
    const Reference::Step &step = reference.steps[i];
    for (std::uint64_t r = 0; r < step.repeat; ++r) {
      if (out.substr(at, step.answers.size()) != step.answers) {
        outcome.answersAgree = false;
        outcome.step = i;
        return outcome;
      }
      at += step.answers.size();
    }
  }
  outcome.step = reference.steps.size();
  outcome.answersAgree = at == out.size();
  return outcome;
}

Outcome runAndCompare(const Program &program, std::string_view script,
                      const Reference &reference) {
  // A program that writes far more than expected is stopped.
  const std::size_t limit = static_cast<std::size_t>(std::min<std::uint64_t>(
                                reference.answerBytes, 1 << 27)) *
                                2 +
                            (1 << 20);
  return compareRun(reference, runProcess(program.command, script,
                                          program.timeoutSeconds, limit));
}

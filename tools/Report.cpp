// A report is made only for a script that differs: it traces the script
// again to say why morvavl answers as it does.
#include "Report.h"

#include "Drawing.h"
#include "Text.h"
#include "Tracer.h"

#include <algorithm>
#include <sstream>

namespace {

// Line `index` (from 0) of text, without its line feed; `complete` says
// whether it has one.
std::string_view lineAt(std::string_view text, std::uint64_t index,
                        bool &complete) {
  std::size_t from = 0;
  for (std::uint64_t i = 0; i < index && from < text.size(); ++i) {
    const std::size_t end = text.find('\n', from);
    from = end == std::string_view::npos ? text.size() : end + 1;
  }
  const std::size_t end = text.find('\n', from);
  complete = end != std::string_view::npos;
  return text.substr(from, complete ? end - from : std::string_view::npos);
}

// The first line of the standard error, which usually says the most.
std::string firstLine(std::string_view text) {
  return text::escaped(text.substr(0, text.find('\n')));
}

// The answer line where a step's answers start.
std::uint64_t firstAnswerLine(const Reference &reference, std::size_t step) {
  std::uint64_t line = 0;
  for (std::size_t i = 0; i < step && i < reference.steps.size(); ++i) {
    line += reference.steps[i].answerLines * reference.steps[i].repeat;
  }
  return line;
}

// The step whose answers hold answer line `line` (from 0).
std::size_t stepOfAnswer(const Reference &reference, std::uint64_t line) {
  std::uint64_t first = 0;
  for (std::size_t i = 0; i < reference.steps.size(); ++i) {
    const Reference::Step &step = reference.steps[i];
    first += step.answerLines * step.repeat;
    if (line < first) {
      return i;
    }
  }
  return reference.steps.size();
}

template <typename Step> std::string scriptLine(const Step &step) {
  if (step.missing) {
    return "line " + std::to_string(step.line) +
           ": (no line: the input "
           "ended)";
  }
  return "line " + std::to_string(step.line) + ": " + text::escaped(step.text);
}

std::string problems(const Reference &reference, const Outcome &outcome) {
  const ProcessRun &run = outcome.run;
  std::vector<std::string> said;
  if (!outcome.answersAgree) {
    if (outcome.step < reference.steps.size()) {
      said.push_back("its answers differ from morvavl's at script line " +
                     std::to_string(reference.steps[outcome.step].line));
    }
    if (outcome.linesWritten < outcome.linesExpected) {
      said.push_back("it wrote " + text::grouped(outcome.linesWritten) +
                     " of the " + text::grouped(outcome.linesExpected) +
                     " answer lines expected");
    } else if (outcome.linesWritten > outcome.linesExpected) {
      said.push_back("it wrote " + text::grouped(outcome.linesWritten) +
                     " answer lines where " +
                     text::grouped(outcome.linesExpected) + " were expected");
    }
  }
  if (run.timedOut) {
    said.push_back("it timed out");
  }
  if (run.outputCut) {
    said.push_back("it wrote far more than expected and was stopped");
  }
  if (run.signal != 0) {
    said.push_back("it was ended by " + describeSignal(run.signal));
  }
  if (run.exitStatus > 0) {
    said.push_back("it exited with status " + std::to_string(run.exitStatus));
  }
  if (!run.err.empty()) {
    said.push_back("it wrote on standard error: " + firstLine(run.err));
  }
  std::string text;
  for (std::size_t i = 0; i < said.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == said.size() ? ", and " : ", ") + said[i];
  }
  return text;
}

} // namespace

std::string describe(std::string_view name, std::string_view script,
                     const Reference &reference, const Outcome &outcome,
                     unsigned depth) {
  std::string report =
      std::string(name) + ": differs: " + problems(reference, outcome) + "\n";
  const ProcessRun &run = outcome.run;
  if (run.timedOut || run.signal != 0) {
    const std::uint64_t written = outcome.linesWritten;
    report += "  it stopped ";
    if (written == 0) {
      report += "before it wrote any answer\n";
    } else {
      const std::size_t last = stepOfAnswer(reference, written - 1);
      report += "after its answer line " + text::grouped(written);
      if (last < reference.steps.size()) {
        report += ", written for " + scriptLine(reference.steps[last]);
      }
      report += "\n";
    }
  }
  if (outcome.answersAgree) {
    return report;
  }

  if (outcome.step == reference.steps.size()) {
    bool complete = false;
    const std::string_view extra =
        lineAt(run.out, outcome.linesExpected, complete);
    report += "  after the answers to the last command it wrote: " +
              text::escaped(extra) + (complete ? "" : " (no line feed)") + "\n";
    return report;
  }

  // The command whose answers differ, as both programs answered it.
  const Reference::Step &step = reference.steps[outcome.step];
  const std::uint64_t from = firstAnswerLine(reference, outcome.step);
  report += "  " + scriptLine(step) + "\n";
  for (std::uint64_t i = 0; i < step.answerLines; ++i) {
    bool complete = false;
    report +=
        "    expected: " + text::escaped(lineAt(step.answers, i, complete)) +
        "\n";
  }
  // The program's lines in the same places, as far as it wrote them.
  for (std::uint64_t i = 0; i < std::max<std::uint64_t>(step.answerLines, 1);
       ++i) {
    const bool partial = !run.out.empty() && run.out.back() != '\n';
    if (from + i > outcome.linesWritten ||
        (from + i == outcome.linesWritten && !partial)) {
      report += "    written:  (nothing more)\n";
      break;
    }
    bool complete = false;
    const std::string_view line = lineAt(run.out, from + i, complete);
    report += "    written:  " + text::escaped(line) +
              (complete ? "" : " (no line feed)") + "\n";
  }

  // Why morvavl answers so, what came before, and the tree just before.
  std::istringstream in{std::string(script)};
  TraceSession session(in);
  TraceStep traced;
  std::vector<std::string> before;
  for (std::size_t i = 0; i < outcome.step && session.step(traced); ++i) {
    before.push_back("    " + scriptLine(traced) +
                     "\n      why: " + traced.note + "\n");
  }
  std::string tree;
  drawTree(session, depth, "    ", tree);
  if (session.step(traced)) {
    report += "    why: " + traced.note + "\n";
  }
  if (!before.empty()) {
    report += "  the commands before it:\n";
    for (std::size_t i =
             before.size() - std::min<std::size_t>(3, before.size());
         i < before.size(); ++i) {
      report += before[i];
    }
  }
  report += "  the tree just before it:\n" + tree;
  return report;
}

std::string describeEach(std::string_view script, const Reference &reference,
                         const Outcome &outcome) {
  std::istringstream in{std::string(script)};
  TraceSession session(in);
  TraceStep traced;
  std::string text;
  std::size_t at = 0;
  const std::string &out = outcome.run.out;
  for (const Reference::Step &step : reference.steps) {
    session.step(traced);
    text += "  " + scriptLine(step) + "\n";
    std::size_t from = 0;
    for (std::uint64_t i = 0; i < step.answerLines; ++i) {
      const std::size_t end = step.answers.find('\n', from);
      const std::string expected = text::escaped(
          std::string_view(step.answers).substr(from, end - from));
      from = end + 1;
      std::string written = "(nothing)";
      if (at < out.size()) {
        const std::size_t lineEnd = std::min(out.find('\n', at), out.size());
        written = text::escaped(std::string_view(out).substr(at, lineEnd - at));
        at = lineEnd + 1;
      }
      text += "    expected: " + expected + "\n";
      if (written != expected) {
        text += "    written:  " + written + "\n";
      }
    }
    text += "    why: " + traced.note + "\n";
  }
  return text;
}

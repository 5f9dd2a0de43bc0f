// A report is made only for a script that differs. It traces the script
// again, as far as the command that differs, to say why morvavl answers as
// it does; everything it shows of the program's output was kept by the
// comparison, so its cost never depends on how much the program wrote.
#include "Report.h"

#include "Drawing.h"
#include "Text.h"
#include "Tracer.h"

#include <algorithm>
#include <deque>
#include <istream>
#include <vector>

namespace {

// A long line is shown around `from`, where it first differs, with marks
// for what is left out.
std::string shown(std::string_view line, std::size_t from = 0) {
  const LineWindow window = windowAround(line, from);
  std::string out;
  if (window.from > 0) {
    out +=
        "[" + text::counted(window.from, "byte", "bytes") + " as expected] …";
  }
  text::appendEscaped(out, line.substr(window.from, window.size));
  const std::size_t after = line.size() - window.from - window.size;
  if (after > 0) {
    out += "… [" + text::counted(after, "more byte", "more bytes") + "]";
  }
  return out;
}

std::string scriptLine(std::uint64_t line, std::string_view text,
                       bool missing) {
  if (missing) {
    return "line " + std::to_string(line) + ": (no line: the input ended)";
  }
  return "line " + std::to_string(line) + ": " + text::escaped(text);
}

const Policy *policyOf(const Variant *variant) {
  return variant ? &variant->policy : nullptr;
}

// "morvavl's", or the reference variant's.
std::string whose(const Variant *reference) {
  return reference ? "the variant " + std::string(reference->name) + "'s"
                   : "morvavl's";
}

// The command whose answers hold answer line `answer` (from 0), by
// stepping the script again.
std::string commandOfAnswer(const ScriptSource &script, std::uint64_t answer,
                            const Variant *reference) {
  const std::unique_ptr<std::istream> in = script.open();
  ScriptSession session(*in, nullptr, policyOf(reference));
  std::uint64_t lines = 0;
  for (ScriptSession::Step step; session.step(step);) {
    lines += static_cast<std::uint64_t>(
        std::count(step.answers.begin(), step.answers.end(), '\n'));
    if (step.missing) {
      return scriptLine(step.line + (answer - (lines - 1)), "", true);
    }
    if (answer < lines) {
      return scriptLine(step.line, step.text, false);
    }
  }
  return "";
}

void appendErrorTail(std::string &report, const ProcessEnd &end) {
  if (end.errorBytes == 0) {
    return;
  }
  constexpr std::size_t mostLines = 8;
  std::vector<std::string_view> lines = linesOf(end.errorTail);
  std::uint64_t before = end.errorBytes - end.errorTail.size();
  if (end.errorTail.size() < end.errorBytes && !lines.empty()) {
    before += lines.front().size() + 1; // the first is only part of a line
    lines.erase(lines.begin());
  }
  if (lines.size() > mostLines) {
    for (std::size_t i = 0; i < lines.size() - mostLines; ++i) {
      before += lines[i].size() + 1;
    }
    lines.erase(lines.begin(), lines.end() - mostLines);
  }
  report += "  the end of its standard error";
  report += before > 0 ? ", after " + text::counted(before, "byte", "bytes") +
                             " left out:\n"
                       : ":\n";
  for (const std::string_view line : lines) {
    report += "    | " + shown(line) + "\n";
  }
}

} // namespace

std::string summarize(const Outcome &outcome, const Variant *reference) {
  const ProcessEnd &end = outcome.end;
  std::vector<std::string> said;
  if (outcome.difference) {
    if (!outcome.difference->afterLast) {
      said.push_back("its answers differ from " + whose(reference) +
                     " at script line " +
                     std::to_string(outcome.difference->line));
    }
    if (outcome.linesWritten < outcome.linesExpected) {
      said.push_back(
          "it wrote " + text::grouped(outcome.linesWritten) + " of the " +
          text::counted(outcome.linesExpected, "answer line expected",
                        "answer lines expected"));
    } else if (outcome.linesWritten > outcome.linesExpected) {
      said.push_back(
          "it wrote " +
          text::counted(outcome.linesWritten, "answer line", "answer lines") +
          " where " + text::grouped(outcome.linesExpected) +
          (outcome.linesExpected == 1 ? " was" : " were") + " expected");
    } else if (outcome.lineUnfinished) {
      said.push_back("its last line has no line feed");
    }
  }
  if (end.timedOut) {
    said.push_back("it timed out");
  }
  if (end.signal != 0) {
    said.push_back("it was ended by " + describeSignal(end.signal));
  }
  if (end.exitStatus > 0) {
    said.push_back("it exited with status " + std::to_string(end.exitStatus));
  }
  if (end.errorBytes != 0) {
    said.push_back("it wrote on standard error");
  }
  std::string text;
  for (std::size_t i = 0; i < said.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == said.size() ? ", and " : ", ") + said[i];
  }
  return text;
}

std::string remarks(const Outcome &outcome) {
  if (outcome.end.leftRunning == 0) {
    return "";
  }
  return "  it left " +
         text::counted(outcome.end.leftRunning, "process", "processes") +
         " running, which morvavl-compare ended\n";
}

namespace {

// How the run ended, when it stopped before its time: after which answer.
void appendStop(std::string &report, const ScriptSource &script,
                const Outcome &outcome, const Variant *reference) {
  const ProcessEnd &end = outcome.end;
  if (!end.timedOut && end.signal == 0) {
    return;
  }
  report += "  it stopped ";
  if (outcome.linesWritten == 0) {
    report += "before it wrote any answer\n";
    return;
  }
  const std::string line =
      commandOfAnswer(script, outcome.linesWritten - 1, reference);
  report += "after its answer line " + text::grouped(outcome.linesWritten) +
            (line.empty() ? "" : ", written for " + line) + "\n";
}

// What the program wrote after morvavl's last answer.
void appendExtra(std::string &report, const Difference &difference) {
  const std::vector<std::string_view> extra = linesOf(difference.written);
  report +=
      "  after the answers to the last command it wrote: " +
      (extra.empty() ? std::string() : shown(extra.front())) +
      (difference.written.find('\n') == std::string::npos ? " (no line feed)"
                                                          : "") +
      "\n";
}

// The command whose answers differ, as both programs answered it: of a
// long answer, the lines around the first that differs.
void appendAnswers(std::string &report, const Difference &difference) {
  report += "  " +
            scriptLine(difference.line, difference.text, difference.missing) +
            "\n";
  const std::vector<std::string_view> expected = linesOf(difference.expected);
  const std::vector<std::string_view> written = linesOf(difference.written);
  const std::size_t first = firstDifferingLine(expected, written);
  constexpr std::size_t context = 3;
  const std::size_t from = first > context ? first - context : 0;
  const std::size_t to = std::min(expected.size(), first + context + 1);
  if (from > 0) {
    report += "    (" + text::counted(from, "answer line", "answer lines") +
              " as expected)\n";
  }
  for (std::size_t i = from; i < to; ++i) {
    const std::size_t at =
        i < written.size() ? parting(expected[i], written[i]) : 0;
    report += "    expected: " + shown(expected[i], at) + "\n";
  }
  if (to < expected.size()) {
    report += "    (" +
              text::counted(expected.size() - to, "more answer line",
                            "more answer lines") +
              " expected)\n";
  }
  for (std::size_t i = from; i < std::max<std::size_t>(to, 1); ++i) {
    if (i >= written.size()) {
      report += "    written:  (nothing more)\n";
      break;
    }
    const bool complete =
        i + 1 < written.size() || difference.written.back() == '\n';
    const std::size_t at =
        i < expected.size() ? parting(expected[i], written[i]) : 0;
    report += "    written:  " + shown(written[i], at) +
              (complete ? "" : " (no line feed)") + "\n";
    const std::string unseen =
        i == first && i < expected.size()
            ? invisibleDifference(expected[i], written[i])
            : "";
    if (!unseen.empty()) {
      report += "    (" + unseen + ")\n";
    }
  }
}

// Why morvavl answers so, what came before, and the tree just before.
// Lineless commands change nothing: the trace stops at the first.
void appendWhy(std::string &report, const ScriptSource &script,
               const Difference &difference, unsigned depth,
               const Variant *reference) {
  const std::unique_ptr<std::istream> in = script.open();
  TraceSession session(*in, reference);
  TraceStep traced;
  std::deque<std::string> before;
  bool lineless = false;
  for (std::uint64_t i = 0;
       i < difference.command && !lineless && session.step(traced); ++i) {
    lineless = traced.missing;
    before.push_back("    " +
                     scriptLine(traced.line, traced.text, traced.missing) +
                     "\n      why: " + traced.note + "\n");
    if (before.size() > 3) {
      before.pop_front();
    }
  }
  std::string tree;
  drawTree(session, depth, "    ", tree);
  if (lineless || session.step(traced)) {
    report += "    why: " + traced.note + "\n";
  }
  if (!before.empty()) {
    report += "  the commands before it:\n";
    for (const std::string &entry : before) {
      report += entry;
    }
  }
  report += "  the tree just before it:\n" + tree;
}

} // namespace

std::string describe(const ScriptSource &script, const Outcome &outcome,
                     unsigned depth, const Variant *reference) {
  std::string report =
      script.name + ": differs: " + summarize(outcome, reference) + "\n";
  appendStop(report, script, outcome, reference);
  report += remarks(outcome);
  if (outcome.difference && outcome.difference->afterLast) {
    appendExtra(report, *outcome.difference);
  } else if (outcome.difference) {
    appendAnswers(report, *outcome.difference);
    appendWhy(report, script, *outcome.difference, depth, reference);
  }
  appendErrorTail(report, outcome.end);
  return text::cutLongLines(report);
}

std::string describeEach(const ScriptSource &script, const Outcome &outcome,
                         const Variant *reference) {
  const std::unique_ptr<std::istream> in = script.open();
  TraceSession session(*in, reference);
  std::string text;
  std::string_view out = outcome.output;
  for (TraceStep traced; session.step(traced);) {
    text += "  " + scriptLine(traced.line, traced.text, traced.missing) + "\n";
    for (const std::string_view line : linesOf(traced.answers)) {
      std::string written = "(nothing)";
      if (!out.empty()) {
        const std::size_t end = out.find('\n');
        written = shown(out.substr(0, end));
        out.remove_prefix(end == std::string_view::npos ? out.size() : end + 1);
      }
      const std::string expected = shown(line);
      text += "    expected: " + expected + "\n";
      if (written != expected) {
        text += "    written:  " + written + "\n";
      }
    }
    text += "    why: " + traced.note + "\n";
    if (traced.missing) {
      break;
    }
  }
  return text::cutLongLines(text);
}

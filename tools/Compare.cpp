#include "Compare.h"

#include "Drawing.h"
#include "LineReader.h"
#include "Text.h"
#include "Tracer.h"
#include "main.h"

#include <algorithm>
#include <map>
#include <optional>
#include <sstream>

namespace {

std::uint64_t linesIn(std::string_view text) {
  return static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
}

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

} // namespace

// --------------------------------------------------------- the reference

Reference referenceOf(std::string_view script) {
  std::istringstream in{std::string(script)};
  TraceSession session(in);
  session.setExplaining(false);
  Reference reference;
  TraceStep step;
  while (session.step(step)) {
    Reference::Step entry;
    entry.line = step.line;
    entry.text = std::string(step.text);
    entry.missing = step.missing;
    entry.answers = step.answers;
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

// ---------------------------------------------------------- reporting

namespace {

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

// ------------------------------------------------------------ reducing

namespace {

// A command line as the reader hands it out, and whether a CR ended it.
struct Line {
  std::string text;
  bool cr = false;
  bool operator==(const Line &other) const {
    return text == other.text && cr == other.cr;
  }
  bool operator!=(const Line &other) const { return !(*this == other); }
};

// A script taken apart for shrinking: its command lines and how to put the
// count line in front of them.
struct Parts {
  std::vector<Line> lines;
  std::string header;     // a verbatim count line and what precedes it
  std::int64_t extra = 0; // commands announced beyond the lines
  bool verbatim = false;  // header as it was, count and all
  bool lastLineFeed = true;
};

std::string assemble(const Parts &parts) {
  std::string script;
  if (parts.verbatim) {
    script = parts.header;
  } else {
    const std::int64_t count =
        static_cast<std::int64_t>(parts.lines.size()) + parts.extra;
    script = std::to_string(std::max<std::int64_t>(count, 0)) + "\n";
  }
  for (std::size_t i = 0; i < parts.lines.size(); ++i) {
    script += parts.lines[i].text;
    script += parts.lines[i].cr ? "\r" : "";
    if (i + 1 < parts.lines.size() || parts.lastLineFeed) {
      script += '\n';
    }
  }
  return script;
}

class Reducer {
public:
  Reducer(const Program &program, std::uint64_t maxRuns)
      : program_(program), maxRuns_(maxRuns) {}

  Reduction run(std::string_view script);

private:
  bool exhausted() const { return runs_ >= maxRuns_; }
  bool differs(const Parts &parts) {
    if (exhausted()) {
      return false;
    }
    ++runs_;
    const std::string script = assemble(parts);
    return runAndCompare(program_, script, referenceOf(script)).differs();
  }
  // Keeps a candidate that still differs.
  bool keepIfDiffers(Parts &parts, Parts candidate) {
    if (!differs(candidate)) {
      return false;
    }
    parts = std::move(candidate);
    return true;
  }

  void split(std::string_view script, Parts &parts);
  void normalizeCount(Parts &parts, std::string_view script);
  bool dropChunks(Parts &parts);
  bool simplify(Parts &parts);
  bool renameIds(Parts &parts);
  bool renameNames(Parts &parts, bool keepUnfindable);
  bool canonicalLines(Parts &parts);
  bool smallerPositions(Parts &parts);
  bool fewerIds(Parts &parts);

  const Program &program_;
  std::uint64_t maxRuns_;
  std::uint64_t runs_ = 0;
};

void Reducer::split(std::string_view script, Parts &parts) {
  std::istringstream in{std::string(script)};
  ScriptReader reader(in);
  // The header is everything up to the count line's end.
  std::size_t at = 0;
  for (std::uint64_t i = 0; i < reader.countLine().number; ++i) {
    const std::size_t end = script.find('\n', at);
    at = end == std::string_view::npos ? script.size() : end + 1;
  }
  parts.header = std::string(script.substr(0, at));
  ScriptLine line;
  while (reader.next(line)) {
    parts.lines.push_back({std::string(line.text), line.droppedCr});
  }
  parts.lastLineFeed = script.empty() || script.back() == '\n';
  parts.extra = static_cast<std::int64_t>(reader.count()) -
                static_cast<std::int64_t>(parts.lines.size());
}

// A count equal to the number of lines, and a line feed after the last,
// unless the difference needs another count or its absence.
void Reducer::normalizeCount(Parts &parts, std::string_view script) {
  Parts plain = parts;
  plain.extra = 0;
  plain.lastLineFeed = true;
  if (keepIfDiffers(parts, plain)) {
    return;
  }
  Parts kept = parts;
  kept.lastLineFeed = true;
  if (keepIfDiffers(parts, kept)) {
    return;
  }
  kept.lastLineFeed = parts.lastLineFeed;
  if (keepIfDiffers(parts, kept)) {
    return;
  }
  // The difference needs the count line as it stands.
  parts.verbatim = true;
  parts.header = std::string(script.substr(0, parts.header.size()));
}

// Delta debugging: drops a chunk of lines while the program still differs,
// with chunks halving from half the script down to single lines.
bool Reducer::dropChunks(Parts &parts) {
  bool dropped = false;
  std::size_t chunks = 2;
  while (!parts.lines.empty() && !exhausted()) {
    const std::size_t size = parts.lines.size();
    chunks = std::min(chunks, size);
    const std::size_t chunk = (size + chunks - 1) / chunks;
    bool droppedOne = false;
    for (std::size_t from = 0; from < size && !droppedOne; from += chunk) {
      Parts candidate = parts;
      candidate.lines.erase(
          candidate.lines.begin() + static_cast<std::ptrdiff_t>(from),
          candidate.lines.begin() +
              static_cast<std::ptrdiff_t>(std::min(size, from + chunk)));
      droppedOne = keepIfDiffers(parts, std::move(candidate));
    }
    if (droppedOne) {
      dropped = true;
      chunks = std::max<std::size_t>(chunks - 1, 2);
      continue;
    }
    if (chunk == 1) {
      break;
    }
    chunks = std::min(chunks * 2, size);
  }
  return dropped;
}

// A command line rebuilt in its plainest form from its parse, with another
// name or ID if given: no skipped text, one space, no CR. Refused lines stay
// as they are.
Line canonical(const Line &line, std::optional<std::string_view> newName,
               std::optional<std::string_view> newId) {
  LineStream stream(line.text);
  const Command command = parseCommand(stream);
  const std::string name(newName.value_or(command.name));
  const std::string id(newId.value_or(command.id));
  switch (command.kind) {
  case Command::Kind::insert:
    return {"insert \"" + name + "\" " + id};
  case Command::Kind::remove:
    return {"remove " + id};
  case Command::Kind::searchId:
    return {"search " + id};
  case Command::Kind::searchName:
    return {"search \"" + name + "\""};
  case Command::Kind::removeInOrder:
    return {"removeInorder " + std::to_string(command.position)};
  default:
    return line;
  }
}

Command parsed(const Line &line) {
  LineStream stream(line.text);
  return parseCommand(stream);
}

// The IDs renumbered in their order, to round numbers: the tree keeps its
// shape.
bool Reducer::renameIds(Parts &parts) {
  std::map<std::string, std::string> ids;
  for (const Line &line : parts.lines) {
    const Command command = parsed(line);
    if (command.kind != Command::Kind::refused && !command.id.empty()) {
      ids.emplace(std::string(command.id), "");
    }
  }
  // 10000000, 20000000, ... for a few IDs; closer for more.
  std::uint64_t step = 10000000;
  while (step > 1 && 10000000 + (ids.size() - 1) * step > 99999999) {
    step /= 10;
  }
  std::uint64_t next = ids.size() <= 9 ? step : 10000000;
  bool changes = false;
  for (auto &entry : ids) {
    entry.second = std::to_string(next);
    next += step;
    changes = changes || entry.second != entry.first;
  }
  if (!changes) {
    return false;
  }
  Parts candidate = parts;
  for (Line &line : candidate.lines) {
    const Command command = parsed(line);
    if (command.kind != Command::Kind::refused && !command.id.empty()) {
      line = canonical(line, std::nullopt, ids.at(std::string(command.id)));
    }
  }
  return keepIfDiffers(parts, std::move(candidate));
}

// Names become A, B, C... in order of appearance. Empty names and names
// that begin with a space, which a search never finds, are kept when
// keepUnfindable is set.
bool Reducer::renameNames(Parts &parts, bool keepUnfindable) {
  std::map<std::string, std::string> names;
  Parts candidate = parts;
  bool changes = false;
  for (Line &line : candidate.lines) {
    const Command command = parsed(line);
    const bool named = command.kind == Command::Kind::insert ||
                       command.kind == Command::Kind::searchName;
    const bool unfindable = command.name.empty() || command.name.front() == ' ';
    if (!named || (unfindable && keepUnfindable)) {
      continue;
    }
    const auto found = names.find(std::string(command.name));
    std::string shorter;
    if (found != names.end()) {
      shorter = found->second;
    } else {
      const std::size_t n = names.size();
      shorter = n < 26 ? std::string(1, static_cast<char>('A' + n))
                       : std::string(1, static_cast<char>('A' + n / 26 % 26)) +
                             static_cast<char>('a' + n % 26);
      names.emplace(std::string(command.name), shorter);
    }
    const Line plain = canonical(line, shorter, std::nullopt);
    changes = changes || plain != line;
    line = plain;
  }
  return changes && keepIfDiffers(parts, std::move(candidate));
}

bool Reducer::canonicalLines(Parts &parts) {
  bool changed = false;
  for (std::size_t i = 0; i < parts.lines.size() && !exhausted(); ++i) {
    const Line plain = canonical(parts.lines[i], std::nullopt, std::nullopt);
    if (plain == parts.lines[i]) {
      continue;
    }
    Parts candidate = parts;
    candidate.lines[i] = plain;
    changed = keepIfDiffers(parts, std::move(candidate)) || changed;
  }
  return changed;
}

bool Reducer::smallerPositions(Parts &parts) {
  bool changed = false;
  for (std::size_t i = 0; i < parts.lines.size() && !exhausted(); ++i) {
    const Command command = parsed(parts.lines[i]);
    if (command.kind != Command::Kind::removeInOrder || command.position <= 0) {
      continue;
    }
    for (const std::int32_t smaller :
         {0, command.position / 2, command.position - 1}) {
      Parts candidate = parts;
      candidate.lines[i] = {"removeInorder " + std::to_string(smaller)};
      if (candidate.lines[i] != parts.lines[i] &&
          keepIfDiffers(parts, std::move(candidate))) {
        changed = true;
        break;
      }
    }
  }
  return changed;
}

// Each ID in turn replaced everywhere by the next smaller one.
bool Reducer::fewerIds(Parts &parts) {
  std::vector<std::string> ids;
  for (const Line &line : parts.lines) {
    const Command command = parsed(line);
    if (command.kind != Command::Kind::refused && !command.id.empty()) {
      ids.emplace_back(command.id);
    }
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  bool changed = false;
  for (std::size_t k = 1; k < ids.size() && !exhausted(); ++k) {
    Parts candidate = parts;
    for (Line &line : candidate.lines) {
      const Command command = parsed(line);
      if (command.kind != Command::Kind::refused && command.id == ids[k]) {
        line = canonical(line, std::nullopt, ids[k - 1]);
      }
    }
    changed = keepIfDiffers(parts, std::move(candidate)) || changed;
  }
  return changed;
}

bool Reducer::simplify(Parts &parts) {
  bool changed = renameIds(parts);
  changed = renameNames(parts, false) || renameNames(parts, true) || changed;
  changed = canonicalLines(parts) || changed;
  changed = smallerPositions(parts) || changed;
  changed = fewerIds(parts) || changed;
  return changed;
}

Reduction Reducer::run(std::string_view script) {
  Parts parts;
  split(script, parts);
  normalizeCount(parts, script);
  // Commands after the first one answered differently cannot matter to
  // that answer: try without them first.
  const std::string whole = assemble(parts);
  const Reference reference = referenceOf(whole);
  ++runs_;
  const Outcome outcome = runAndCompare(program_, whole, reference);
  if (!outcome.answersAgree && outcome.step + 1 < parts.lines.size()) {
    Parts head = parts;
    head.lines.resize(outcome.step + 1);
    keepIfDiffers(parts, std::move(head));
  }
  while (!exhausted()) {
    const bool dropped = dropChunks(parts);
    if (!simplify(parts) && !dropped) {
      break;
    }
  }
  return {assemble(parts), runs_, exhausted()};
}

} // namespace

Reduction reduce(const Program &program, std::string_view script,
                 std::uint64_t maxRuns) {
  return Reducer(program, maxRuns).run(script);
}

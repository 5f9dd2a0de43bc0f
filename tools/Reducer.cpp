// A script is taken apart into its lines and count; a table of passes
// proposes smaller or plainer scripts, and the program, run on each
// candidate, decides which one is kept.
#include "Reducer.h"

#include "ScriptSession.h"

#include <algorithm>
#include <map>
#include <optional>
#include <sstream>

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

  // The passes (table below). Each proposes candidates through
  // keepIfDiffers() and says whether it kept one.
  bool dropChunks(Parts &parts);
  bool renameIds(Parts &parts);
  bool renameNames(Parts &parts);
  bool canonicalLines(Parts &parts);
  bool smallerPositions(Parts &parts);
  bool fewerIds(Parts &parts);

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
  bool renameNamesKeeping(Parts &parts, bool keepUnfindable);

  const Program &program_;
  std::uint64_t maxRuns_;
  std::uint64_t runs_ = 0;
};

void Reducer::split(std::string_view script, Parts &parts) {
  std::istringstream in{std::string(script)};
  ScriptSession session(in);
  // The header is everything up to the count line's end.
  std::size_t at = 0;
  for (std::uint64_t i = 0; i < session.script().countLine().number; ++i) {
    const std::size_t end = script.find('\n', at);
    at = end == std::string_view::npos ? script.size() : end + 1;
  }
  parts.header = std::string(script.substr(0, at));
  ScriptSession::Step step;
  while (session.step(step) && !step.missing) {
    parts.lines.push_back({std::string(step.text), step.droppedCr});
  }
  for (ScriptLine line; session.lineAfterEnd(line);) {
    parts.lines.push_back({std::string(line.text), line.droppedCr});
  }
  parts.lastLineFeed = script.empty() || script.back() == '\n';
  parts.extra = static_cast<std::int64_t>(session.count()) -
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
// name or ID if given: no skipped text, one space, no CR. Refused lines, and
// print lines, which have no other form, stay as they are.
Line canonical(const Line &line, std::optional<std::string_view> newName,
               std::optional<std::string_view> newId) {
  LineStream stream(line.text);
  Command command = parseCommand(stream);
  switch (command.kind) {
  case Command::Kind::refused:
  case Command::Kind::printInOrder:
  case Command::Kind::printPreOrder:
  case Command::Kind::printPostOrder:
  case Command::Kind::printLevelCount:
    return line;
  default:
    break;
  }
  command.name = newName.value_or(command.name);
  command.id = newId.value_or(command.id);
  Line plain;
  printCommand(command, plain.text);
  return plain;
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
bool Reducer::renameNamesKeeping(Parts &parts, bool keepUnfindable) {
  std::map<std::string, std::string> names;
  Parts candidate = parts;
  bool changes = false;
  for (Line &line : candidate.lines) {
    const Command command = parsed(line);
    const bool named = command.kind == Command::Kind::insert ||
                       command.kind == Command::Kind::searchName;
    if (!named || (keepUnfindable && !isFindableName(command.name))) {
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
      candidate.lines[i] = {};
      printCommand(Command::removeInOrder(smaller), candidate.lines[i].text);
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

bool Reducer::renameNames(Parts &parts) {
  return renameNamesKeeping(parts, false) || renameNamesKeeping(parts, true);
}

// The passes, in the order each round runs them. Each proposes smaller or
// plainer scripts; the program decides, since a candidate is kept only
// while the program still differs on it. Rounds go on while a pass keeps
// one.
struct Pass {
  const char *name;
  bool (Reducer::*run)(Parts &);
};
const Pass passes[] = {
    // Delta debugging: chunks of lines, halving down to single lines.
    {"drop-chunks", &Reducer::dropChunks},
    // The IDs renumbered in their order, to round numbers.
    {"round-ids", &Reducer::renameIds},
    // Names become A, B, ...; or all but those no search can find.
    {"short-names", &Reducer::renameNames},
    // Each line in its plain form: one space, nothing skipped, no CR.
    {"plain-lines", &Reducer::canonicalLines},
    // removeInorder positions lowered to 0, half, or one less.
    {"smaller-positions", &Reducer::smallerPositions},
    // Each ID in turn replaced everywhere by the next smaller one.
    {"fewer-ids", &Reducer::fewerIds},
};

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
  for (bool changed = true; changed && !exhausted();) {
    changed = false;
    for (const Pass &pass : passes) {
      changed = (this->*pass.run)(parts) || changed;
    }
  }
  return {assemble(parts), runs_, exhausted()};
}

} // namespace

Reduction reduce(const Program &program, std::string_view script,
                 std::uint64_t maxRuns) {
  return Reducer(program, maxRuns).run(script);
}

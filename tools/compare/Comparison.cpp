// The comparison walks two streams side by side: the program's output as it
// arrives, and morvavl's answers as its session produces them, one command
// at a time. The commands that have no line, which may be billions, are all
// answered alike: they are compared in bulk against one repeated line.
#include "Comparison.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

std::uint64_t linesIn(std::string_view text) {
  return static_cast<std::uint64_t>(std::count(text.begin(), text.end(), '\n'));
}

// How much a difference keeps of what the program wrote past morvavl's
// answers to that command: enough for a report, and no more.
constexpr std::size_t keptBeyond = 1 << 16;

} // namespace

Comparison::Comparison(std::istream &script, const Policy *reference)
    : session_(script, nullptr, reference) {
  const std::string line = std::string(answer::unsuccessful) + "\n";
  while (repeated_.size() < (1 << 16)) {
    repeated_ += line;
  }
}

// Moves on to the next region once one is matched in full; false when
// morvavl's answers are all used.
bool Comparison::expectMore() {
  while (offset_ == expected_.size()) {
    command_ += regionCommands_;
    linesBefore_ += repeating_ ? regionCommands_ : linesIn(expected_);
    offset_ = 0;
    if (repeatsLeft_ > 0) {
      const std::uint64_t lines =
          std::min<std::uint64_t>(repeatsLeft_, repeated_.size() / lineSize());
      expected_ = std::string_view(repeated_).substr(0, lines * lineSize());
      regionCommands_ = lines;
      repeating_ = true;
      repeatsLeft_ -= lines;
      continue;
    }
    // After the first lineless command the session is not stepped again:
    // the rest are the repeats.
    if (lineless_ || !session_.step(step_)) {
      expected_ = {};
      regionCommands_ = 0;
      return false;
    }
    expected_ = step_.answers;
    regionCommands_ = 1;
    repeating_ = false;
    if (step_.missing) {
      lineless_ = true;
      repeatsLeft_ = step_.missingAfter;
      firstMissing_ = command_;
      firstMissingLine_ = step_.line;
    }
  }
  return true;
}

void Comparison::consume(std::string_view chunk) {
  verdict_.linesWritten += linesIn(chunk);
  if (!chunk.empty()) {
    verdict_.lineUnfinished = chunk.back() != '\n';
  }
  std::optional<Difference> &difference = verdict_.difference;
  if (difference) {
    keep(chunk);
    return;
  }
  while (!chunk.empty()) {
    if (!expectMore()) {
      difference.emplace();
      difference->afterLast = true;
      difference->command = command_;
      difference->firstAnswerLine = linesBefore_;
      keptLines_ = 1;
      keep(chunk);
      return;
    }
    const std::size_t size = std::min(chunk.size(), expected_.size() - offset_);
    const std::string_view expected = expected_.substr(offset_, size);
    const auto parted = std::mismatch(expected.begin(), expected.end(),
                                      chunk.begin(), chunk.begin() + size);
    const auto same = static_cast<std::size_t>(parted.first - expected.begin());
    offset_ += same;
    if (same < size) {
      differ(chunk.substr(same));
      return;
    }
    chunk.remove_prefix(size);
  }
}

// The program's bytes part from morvavl's at offset_ of the region; `rest`
// is what it wrote from there.
void Comparison::differ(std::string_view rest) {
  Difference &found = verdict_.difference.emplace();
  std::size_t from = 0;
  if (repeating_) {
    const std::uint64_t within = offset_ / lineSize();
    from = static_cast<std::size_t>(within * lineSize());
    found.command = command_ + within;
    found.line = firstMissingLine_ + (found.command - firstMissing_);
    found.missing = true;
    found.firstAnswerLine = linesBefore_ + within;
    found.expected = std::string(answer::unsuccessful) + "\n";
  } else {
    found.command = command_;
    found.line = step_.line;
    found.text = std::string(step_.text);
    found.missing = step_.missing;
    found.firstAnswerLine = linesBefore_;
    found.expected = std::string(expected_);
  }
  // Up to the parting byte the program wrote what was expected.
  found.written = std::string(expected_.substr(from, offset_ - from));
  keptLines_ = std::max<std::size_t>(linesIn(found.expected), 1);
  writtenLines_ = linesIn(found.written);
  keep(rest);
}

// A report shows the difference's lines as far as the command has answer
// lines, one at least.
// The lines kept so far are counted as they come, so that a long line costs
// no more than its length.
void Comparison::keep(std::string_view chunk) {
  std::string &written = verdict_.difference->written;
  const std::size_t limit = verdict_.difference->expected.size() + keptBeyond;
  if (written.size() >= limit || writtenLines_ >= keptLines_) {
    return;
  }
  const std::string_view piece = chunk.substr(0, limit - written.size());
  written.append(piece);
  writtenLines_ += linesIn(piece);
}

Verdict Comparison::finish() {
  if (!verdict_.difference && expectMore()) {
    differ("");
  }
  // The answer lines expected in all: those before the region, and every
  // command's from the region on.
  std::uint64_t &expected = verdict_.linesExpected;
  expected = linesBefore_ +
             (repeating_ ? regionCommands_ : linesIn(expected_)) + repeatsLeft_;
  while (!lineless_ && session_.step(step_)) {
    expected += linesIn(step_.answers);
    if (step_.missing) {
      expected += step_.missingAfter;
      break;
    }
  }
  return std::move(verdict_);
}

std::unique_ptr<std::istream> ScriptSource::open() const {
  if (!path.empty()) {
    return std::make_unique<std::ifstream>(path, std::ios::binary);
  }
  return std::make_unique<std::istringstream>(text);
}

Verdict compareAnswers(const ScriptSource &script, std::string_view answers,
                       const Policy *reference) {
  const std::unique_ptr<std::istream> in = script.open();
  Comparison comparison(*in, reference);
  comparison.consume(answers);
  return comparison.finish();
}

std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return lines;
}

std::size_t firstDifferingLine(const std::vector<std::string_view> &expected,
                               const std::vector<std::string_view> &written) {
  std::size_t first = 0;
  while (first < expected.size() && first + 1 < written.size() &&
         expected[first] == written[first]) {
    ++first;
  }
  return first;
}

std::size_t parting(std::string_view a, std::string_view b) {
  const std::size_t size = std::min(a.size(), b.size());
  return static_cast<std::size_t>(
      std::mismatch(a.begin(), a.begin() + size, b.begin()).first - a.begin());
}

LineWindow windowAround(std::string_view line, std::size_t at) {
  constexpr std::size_t context = 80;
  constexpr std::size_t most = 240;
  LineWindow window;
  window.from = line.size() > most && at > context ? at - context : 0;
  window.size =
      std::min(most, line.size() - std::min(line.size(), window.from));
  return window;
}

namespace {

// The number of spaces that `longer` has after `shorter`, when that is all
// it has more; 0 otherwise.
std::size_t spacesAfter(std::string_view shorter, std::string_view longer) {
  if (longer.size() <= shorter.size() ||
      longer.substr(0, shorter.size()) != shorter) {
    return 0;
  }
  const std::string_view rest = longer.substr(shorter.size());
  return rest.find_first_not_of(' ') == std::string_view::npos ? rest.size()
                                                               : 0;
}

std::string spaces(std::size_t count) {
  return count == 1 ? "a space" : std::to_string(count) + " spaces";
}

} // namespace

std::string invisibleDifference(std::string_view expected,
                                std::string_view written) {
  if (written.size() == expected.size() + 1 && written.back() == '\r' &&
      written.substr(0, expected.size()) == expected) {
    return "it ends in a CR (\\r), as a line ended by CR LF does";
  }
  if (const std::size_t more = spacesAfter(expected, written)) {
    return "it ends in " + spaces(more) + " that morvavl's line does not have";
  }
  if (const std::size_t fewer = spacesAfter(written, expected)) {
    return "it lacks the " + spaces(fewer) + " that morvavl's line ends in";
  }
  return "";
}

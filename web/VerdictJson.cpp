// The lines shown are those a report shows: up to three before the first
// that differs and three after, each cut around where it differs.
#include "VerdictJson.h"

#include "Text.h"

#include <algorithm>
#include <vector>

namespace {

// One line, cut around the byte where it parts from its counterpart.
void appendLine(std::string &out, std::string_view line, std::size_t at,
                bool complete) {
  const LineWindow window = windowAround(line, at);
  out += "{\"bytes\":";
  text::appendJson(out, line.substr(window.from, window.size));
  text::appendJsonField(out, "before", window.from);
  text::appendJsonField(out, "after", line.size() - window.from - window.size);
  text::appendJsonFlag(out, "complete", complete);
  out += "}";
}

void appendLines(std::string &out, const Difference &difference) {
  const std::vector<std::string_view> expected = linesOf(difference.expected);
  const std::vector<std::string_view> written = linesOf(difference.written);
  const std::size_t first =
      difference.afterLast ? 0 : firstDifferingLine(expected, written);
  const std::size_t from = first > 3 ? first - 3 : 0;
  const auto partAt = [&](std::size_t i) {
    return i < expected.size() && i < written.size()
               ? parting(expected[i], written[i])
               : 0;
  };
  out += ",\"expected\":[";
  for (std::size_t i = from; i < std::min(expected.size(), first + 4); ++i) {
    out += i == from ? "" : ",";
    appendLine(out, expected[i], partAt(i), true);
  }
  out += "],\"written\":[";
  for (std::size_t i = from; i < std::min(written.size(), first + 4); ++i) {
    const bool complete =
        i + 1 < written.size() || difference.written.back() == '\n';
    out += i == from ? "" : ",";
    appendLine(out, written[i], partAt(i), complete);
  }
  out += "]";
  text::appendJsonField(out, "first", first - from);
  text::appendJsonField(out, "answerLine",
                        difference.firstAnswerLine + first + 1);
  out += ",\"unseen\":";
  text::appendJson(out,
                   first < expected.size() && first < written.size()
                       ? invisibleDifference(expected[first], written[first])
                       : "");
}

} // namespace

namespace {

void appendDiagnosis(std::string &out,
                     const std::vector<const Variant *> &diagnosis) {
  out += ",\"diagnosis\":[";
  for (const Variant *variant : diagnosis) {
    out += variant == diagnosis.front() ? "{\"name\":" : ",{\"name\":";
    text::appendJson(out, variant->name);
    out += ",\"description\":";
    text::appendJson(out, variant->description);
    out += ",\"section\":";
    text::appendJson(out, variant->section);
    out += ",\"rule\":";
    text::appendJson(out, variant->rule);
    out += "}";
  }
  out += "]";
}

} // namespace

std::string
verdictJson(const Verdict &verdict,
            const std::function<std::uint64_t(std::uint64_t)> &stepOf,
            const std::vector<const Variant *> &diagnosis) {
  std::string out = "{\"agrees\":";
  out += verdict.difference ? "false" : "true";
  text::appendJsonField(out, "linesWritten", verdict.linesWritten);
  text::appendJsonField(out, "linesExpected", verdict.linesExpected);
  text::appendJsonFlag(out, "lineUnfinished", verdict.lineUnfinished);
  out += ",\"difference\":";
  if (!verdict.difference) {
    return out + "null,\"diagnosis\":null}";
  }
  const Difference &difference = *verdict.difference;
  out += "{\"command\":" + std::to_string(difference.command);
  text::appendJsonField(out, "line", difference.line);
  out += ",\"text\":";
  text::appendJson(out, difference.text);
  text::appendJsonFlag(out, "missing", difference.missing);
  text::appendJsonFlag(out, "afterLast", difference.afterLast);
  text::appendJsonField(out, "step",
                        difference.afterLast ? 0 : stepOf(difference.command));
  appendLines(out, difference);
  out += "}";
  appendDiagnosis(out, diagnosis);
  return out + "}";
}

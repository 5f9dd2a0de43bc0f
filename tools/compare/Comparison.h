// The one comparison of another program's output with morvavl's answers,
// apart from how that output was obtained: morvavl-compare feeds it what a
// program writes as it arrives, the page the output someone pasted or
// opened. morvavl's answers come from its own session, produced only as far
// as the comparison has got, so nothing grows with the size of the output,
// nor with the number of commands the count line asks for.
#ifndef MORVAVL_TOOLS_COMPARISON_H
#define MORVAVL_TOOLS_COMPARISON_H

#include "ScriptSession.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A script, held in memory or read from a regular file each time it is
// needed: once for morvavl's answers and once for the program.
struct ScriptSource {
  std::string name;                 // as reports name it
  std::string text;                 // the script, when in memory
  std::string path;                 // or the regular file that holds it
  std::shared_ptr<const void> keep; // what keeps that file, if anything
  std::unique_ptr<std::istream> open() const;
};

// Where the program's answers first part from morvavl's.
struct Difference {
  std::uint64_t command = 0;         // counted from 0
  std::uint64_t line = 0;            // its script line
  std::string text;                  // the line, as read
  bool missing = false;              // the input ended before its line
  bool afterLast = false;            // output after the last command's answers
  std::uint64_t firstAnswerLine = 0; // its first answer line, from 0
  std::string expected;              // morvavl's answers to it
  // What the program wrote from the command's first answer line on, kept
  // as far as a report shows it.
  std::string written;
};

// What a comparison found.
struct Verdict {
  std::optional<Difference> difference; // set when the answers differ
  std::uint64_t linesWritten = 0;       // complete answer lines
  bool lineUnfinished = false;          // the output ends without a line feed
  std::uint64_t linesExpected = 0;
};

// Compares output, given piece by piece, with morvavl's answers to the
// script read from `script`, which must outlive the comparison; or, given a
// reference policy, with the answers of that variant (Policy.h).
class Comparison {
public:
  explicit Comparison(std::istream &script, const Policy *reference = nullptr);

  // The output, piece by piece.
  void consume(std::string_view chunk);
  // Whether the output has parted from the answers already.
  bool differs() const { return verdict_.difference.has_value(); }
  // After the output: a program that stopped short differs where it
  // stopped; and morvavl's answer lines are counted to the end.
  Verdict finish();

private:
  bool expectMore();
  void differ(std::string_view rest);
  void keep(std::string_view chunk);
  std::size_t lineSize() const { return answer::unsuccessful.size() + 1; }

  Verdict verdict_;
  ScriptSession session_;
  ScriptSession::Step step_;
  // The region being compared: one command's answers, or a block of the
  // repeated answer of commands without a line.
  std::string_view expected_;
  std::size_t offset_ = 0;           // how far it has been matched
  std::uint64_t regionCommands_ = 0; // the commands it answers
  bool repeating_ = false;
  std::uint64_t command_ = 0;     // the region's first command, from 0
  std::uint64_t linesBefore_ = 0; // answer lines before the region
  std::uint64_t repeatsLeft_ = 0; // lineless commands after the region
  bool lineless_ = false;         // a command without a line was reached
  std::uint64_t firstMissing_ = 0;
  std::uint64_t firstMissingLine_ = 0;
  std::string repeated_;
  std::size_t keptLines_ = 0;    // the lines a report shows of `written`
  std::size_t writtenLines_ = 0; // the lines in `written` so far
};

// morvavl's answers to the script against answers given whole, as a
// scenario file holds them, or as someone pasted them; or a variant's.
Verdict compareAnswers(const ScriptSource &script, std::string_view answers,
                       const Policy *reference = nullptr);

// What every verdict shows of a difference, in the tool's report and on the
// page alike.

// The lines of a text; the last one without its line feed, if it has none.
std::vector<std::string_view> linesOf(std::string_view text);

// The first of a command's answer lines that differs, counted from 0; when
// the program stopped short, the first line it did not write.
std::size_t firstDifferingLine(const std::vector<std::string_view> &expected,
                               const std::vector<std::string_view> &written);

// Where two lines first differ: the length of what they start with alike.
std::size_t parting(std::string_view a, std::string_view b);

// The part of a long line to show around byte `at`, where it differs.
struct LineWindow {
  std::size_t from = 0;
  std::size_t size = 0;
};
LineWindow windowAround(std::string_view line, std::size_t at);

// Why a written line differs from the expected one when the difference is
// one people cannot see on a screen (a CR, or spaces at the end), in words:
// "it ends in a CR (\r), as a line ended by CR LF does"; empty otherwise.
std::string invisibleDifference(std::string_view expected,
                                std::string_view written);

#endif

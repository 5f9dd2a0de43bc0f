#include "LineReader.h"

#include <istream>
#include <limits>

namespace {

constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

// White space as the "C" locale's isspace() defines it.
bool isCSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool onlySpace(std::string_view text) {
  for (const char c : text) {
    if (!isCSpace(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return true;
}

} // namespace

// Fills the block with what is available now, waiting only if nothing is;
// 0 at the end of the input. A failed read counts as the end.
std::size_t LineReader::refill() {
  using Traits = std::istream::traits_type;
  if (source_.peek() == Traits::eof()) {
    return 0;
  }
  // peek() left at least one byte in the stream's buffer, so this takes
  // only buffered bytes and cannot wait.
  const std::streamsize got = source_.readsome(block_, sizeof block_);
  if (got > 0) {
    return static_cast<std::size_t>(got);
  }
  // A stream buffer that cannot tell what it holds still has the byte
  // that peek() saw.
  return source_.get(block_[0]) ? 1 : 0;
}

bool LineReader::takeCarry(std::string_view &line) {
  line = carry_;
  carried_ = true;
  return true;
}

ScriptReader::ScriptReader(std::istream &in)
    : reader_(std::make_unique<LineReader>(in)) {
  std::string_view text;
  while (reader_->next(text)) {
    ++linesRead_;
    // Some editors start a saved script with a byte order mark; it is not
    // part of the script.
    if (linesRead_ == 1 && text.substr(0, 3) == utf8ByteOrderMark) {
      byteOrderMark_ = true;
      text.remove_prefix(3);
    }
    countText_.assign(text.data(), text.size());
    countLine_.text = countText_;
    countLine_.number = linesRead_;
    // Line ends are white space before the count: blank lines are skipped.
    if (!onlySpace(text)) {
      readCount(countLine_.text);
      return;
    }
  }
}

// Reads the count at the start of its line, as an unsigned extraction does,
// but takes a negative or out-of-range number as no count at all.
void ScriptReader::readCount(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isCSpace(static_cast<unsigned char>(text[i]))) {
    ++i;
  }
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    ++i;
  }
  constexpr std::uint64_t tooLarge =
      std::uint64_t{std::numeric_limits<std::uint32_t>::max()} + 1;
  std::uint64_t value = 0;
  const std::size_t digitsFrom = i;
  // Digits beyond the range are still read; the value saturates.
  for (; i < text.size() && isDigit(static_cast<unsigned char>(text[i])); ++i) {
    value = std::min(value * 10 + static_cast<std::uint64_t>(text[i] - '0'),
                     tooLarge);
  }
  countEnd_ = i;
  if (i == digitsFrom) {
    countRule_ = Count::noNumber;
    countEnd_ = 0;
  } else if (negative) {
    countRule_ = Count::negative;
  } else if (value == tooLarge) {
    countRule_ = Count::tooLarge;
  } else {
    countRule_ = Count::read;
    count_ = static_cast<std::uint32_t>(value);
  }
}

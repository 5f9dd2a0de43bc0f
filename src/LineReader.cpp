// Refills that never wait for more than the input has, and the count line
// read as an unsigned extraction reads it.
#include "LineReader.h"

#include "Ascii.h"

#include <cerrno>
#include <istream>
#include <limits>

#include <poll.h>
#include <unistd.h>

namespace {

constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

bool onlySpace(std::string_view text) {
  for (const char c : text) {
    if (!isCSpace(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return true;
}

} // namespace

StandardInput::int_type StandardInput::underflow() {
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, buffer_, sizeof buffer_);
    if (got > 0) {
      setg(buffer_, buffer_, buffer_ + got);
      return traits_type::to_int_type(buffer_[0]);
    }
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd input{STDIN_FILENO, POLLIN, 0};
      if (::poll(&input, 1, -1) >= 0 || errno == EINTR) {
        continue;
      }
    }
    return traits_type::eof();
  }
}

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

ScriptReader::ScriptReader(std::istream &in, const Policy *policy)
    : reader_(std::make_unique<LineReader>(in)), policy_(policy) {
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
    if (policy_ && policy_->countOnFirstLine) {
      countVaried_ = true; // a blank first line holds no count
      return;
    }
  }
}

// Reads the count at the start of its line, as an unsigned extraction does,
// but takes a negative or out-of-range number as no count at all.
void ScriptReader::readCount(std::string_view text) {
  constexpr std::uint64_t tooLarge =
      std::uint64_t{std::numeric_limits<std::uint32_t>::max()} + 1;
  const DecimalNumber number = readDecimal(text, tooLarge);
  countEnd_ = number.hasDigits ? number.end : 0;
  if (!number.hasDigits) {
    countRule_ = Count::noNumber;
  } else if (number.negative && policy_ && policy_->negativeCountWraps &&
             number.magnitude < tooLarge) {
    // As an unsigned extraction reads it: modulo 2^32.
    countRule_ = Count::read;
    count_ = static_cast<std::uint32_t>(tooLarge - number.magnitude);
    countVaried_ = number.magnitude != 0;
  } else if (number.negative) {
    countRule_ = Count::negative;
  } else if (number.magnitude == tooLarge) {
    countRule_ = Count::tooLarge;
  } else {
    countRule_ = Count::read;
    count_ = static_cast<std::uint32_t>(number.magnitude);
  }
}

#include "main.h"

#include "MorvAVLTree.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <istream>
#include <limits>
#include <memory>
#include <streambuf>
#include <string>

// Where the platform offers it, an answer line is one write(2) call; the
// standard library's unbuffered stdout is the portable fallback.
#if __has_include(<unistd.h>)
#include <unistd.h>
#define MORVAVL_POSIX_WRITE 1
#else
#define MORVAVL_POSIX_WRITE 0
#endif

namespace {

constexpr std::string_view unsuccessful = "unsuccessful";
constexpr unsigned char byteOrderMark[] = {0xEF, 0xBB, 0xBF};

// White space as the "C" locale's isspace() defines it.
bool isCSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool isId(std::string_view text) {
  if (text.size() != 8) {
    return false;
  }
  for (const char c : text) {
    if (!isAsciiDigit(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return true;
}

bool isName(std::string_view text) {
  for (const char c : text) {
    if (c != ' ' && !isAsciiLetter(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return true;
}

// The name must open with a double quote right where the reader stands and
// runs to the closing quote, or to the end of the line if there is none.
// What follows the closing quote is left to the caller.
bool readQuotedName(LineStream &line, std::string_view &scratch,
                    std::string_view &name) {
  line.readUpTo('"', scratch);
  if (!scratch.empty()) {
    return false;
  }
  line.readUpTo('"', name);
  return true;
}

// Converts like std::stoi: white space, an optional sign, then decimal digits
// up to the first other byte; fails without a digit or outside int's range.
bool parsePosition(std::string_view text, std::int32_t &value) {
  std::size_t i = 0;
  while (i < text.size() && isCSpace(static_cast<unsigned char>(text[i]))) {
    ++i;
  }
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    ++i;
  }
  const std::int64_t limit =
      negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
               : std::int64_t{std::numeric_limits<std::int32_t>::max()};
  std::int64_t magnitude = 0;
  const std::size_t digitsFrom = i;
  for (; i < text.size() && isAsciiDigit(static_cast<unsigned char>(text[i]));
       ++i) {
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) {
      return false;
    }
  }
  if (i == digitsFrom) {
    return false;
  }
  value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return true;
}

void performInsert(LineStream &line, std::string_view scratch,
                   MorvAVLTree &tree) {
  std::string_view name;
  std::string_view id;
  if (!readQuotedName(line, scratch, name)) {
    tree.answers().line(unsuccessful);
    return;
  }
  // Whatever stands between the closing quote and the next space is skipped.
  line.readUpTo(' ', scratch);
  line.readRest(id);
  if (!isName(name) || !isId(id)) {
    tree.answers().line(unsuccessful);
    return;
  }
  tree.insert(std::string(name), std::string(id));
}

void performRemove(LineStream &line, MorvAVLTree &tree) {
  std::string_view id;
  line.readRest(id);
  if (!isId(id)) {
    tree.answers().line(unsuccessful);
    return;
  }
  tree.remove(std::string(id));
}

void performSearch(LineStream &line, std::string_view scratch,
                   MorvAVLTree &tree) {
  const int next = line.peek();
  if (next >= 0 && isAsciiDigit(static_cast<unsigned char>(next))) {
    std::string_view id;
    line.readRest(id);
    if (!isId(id)) {
      tree.answers().line(unsuccessful);
      return;
    }
    tree.search(std::string(id));
    return;
  }
  // The name form ignores whatever follows the closing quote.
  std::string_view name;
  if (!readQuotedName(line, scratch, name) || !isName(name)) {
    tree.answers().line(unsuccessful);
    return;
  }
  tree.search(std::string(name));
}

void performRemoveInOrder(LineStream &line, MorvAVLTree &tree) {
  std::string_view text;
  line.readRest(text);
  std::int32_t position = 0;
  if (!parsePosition(text, position)) {
    tree.answers().line(unsuccessful);
    return;
  }
  // A negative position wraps to 2^31 or more, past any tree. A failure
  // inside the removal is answered too, after what it already wrote.
  try {
    tree.removeInOrder(static_cast<std::uint32_t>(position));
  } catch (const std::exception &) {
    tree.answers().line(unsuccessful);
  }
}

// Hands out the input's lines without their line feed. A line is a view
// into the reader's block, valid until the next call; only a line that spans
// two refills is copied.
//
// A refill never waits for more than the stream can give at once: it waits
// only while nothing at all is buffered, then takes what one read of the
// stream's own buffer brought. So a command is performed as soon as its line
// feed has arrived, whether a person types it or a program sends it and
// waits for the answer.
class LineReader {
public:
  explicit LineReader(std::istream &source) : source_(source) {}

  // False once the input has ended; a last line without a line feed still
  // counts as a line.
  bool next(std::string_view &line) {
    if (carried_) {
      carry_.clear();
      carried_ = false;
    }
    for (;;) {
      const char *begin = block_ + begin_;
      const auto *end =
          static_cast<const char *>(std::memchr(begin, '\n', end_ - begin_));
      if (end) {
        begin_ = static_cast<std::size_t>(end - block_) + 1;
        if (carry_.empty()) {
          line = std::string_view(begin, static_cast<std::size_t>(end - begin));
          return true;
        }
        carry_.append(begin, end);
        return takeCarry(line);
      }
      carry_.append(begin, end_ - begin_);
      begin_ = 0;
      end_ = refill();
      if (end_ == 0) {
        return !carry_.empty() && takeCarry(line);
      }
    }
  }

private:
  // Fills the block with what is available now, waiting only if nothing is;
  // 0 at the end of the input. A failed read counts as the end.
  std::size_t refill() {
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

  bool takeCarry(std::string_view &line) {
    line = carry_;
    carried_ = true;
    return true;
  }

  std::istream &source_;
  char block_[1 << 16];
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::string carry_;
  bool carried_ = false;
};

// Standard output without a buffer of its own: an answer line, handed over
// whole, leaves in a single write.
class UnbufferedStdout : public std::streambuf {
protected:
  std::streamsize xsputn(const char *text, std::streamsize size) override {
#if MORVAVL_POSIX_WRITE
    std::streamsize done = 0;
    while (done < size) {
      const ssize_t wrote = ::write(STDOUT_FILENO, text + done,
                                    static_cast<std::size_t>(size - done));
      if (wrote < 0 && errno == EINTR) {
        continue;
      }
      if (wrote <= 0) {
        break;
      }
      done += wrote;
    }
    return done;
#else
    return static_cast<std::streamsize>(
        std::fwrite(text, 1, static_cast<std::size_t>(size), stdout));
#endif
  }
  int overflow(int c) override {
    if (c == traits_type::eof()) {
      return 0;
    }
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
  }
};

} // namespace

bool LineStream::readUpTo(char delimiter, std::string_view &target) {
  if (ended_) {
    return false;
  }
  const std::size_t left = text_.size() - pos_;
  if (left == 0) {
    ended_ = true;
    return false;
  }
  const char *from = text_.data() + pos_;
  const auto *found =
      static_cast<const char *>(std::memchr(from, delimiter, left));
  if (!found) {
    target = std::string_view(from, left);
    pos_ = text_.size();
    ended_ = true;
    return true;
  }
  target = std::string_view(from, static_cast<std::size_t>(found - from));
  pos_ += target.size() + 1;
  return true;
}

bool LineStream::readRest(std::string_view &target) {
  if (ended_) {
    return false;
  }
  ended_ = true;
  if (pos_ == text_.size()) {
    return false;
  }
  target = std::string_view(text_.data() + pos_, text_.size() - pos_);
  pos_ = text_.size();
  return true;
}

int LineStream::peek() {
  if (ended_ || pos_ == text_.size()) {
    ended_ = true;
    return -1;
  }
  return static_cast<unsigned char>(text_[pos_]);
}

void parseAndPerform(LineStream &line, MorvAVLTree &tree) {
  // A line starting with p is a print command and nothing else.
  std::string_view word;
  if (line.peek() == 'p') {
    line.readRest(word);
  } else {
    line.readUpTo(' ', word);
  }

  if (word == "insert") {
    performInsert(line, word, tree);
    return;
  }
  if (word == "remove") {
    performRemove(line, tree);
    return;
  }
  if (word == "search") {
    performSearch(line, word, tree);
    return;
  }
  if (word == "printInorder") {
    tree.printInOrder();
    return;
  }
  if (word == "printPreorder") {
    tree.printPreOrder();
    return;
  }
  if (word == "printPostorder") {
    tree.printPostOrder();
    return;
  }
  if (word == "printLevelCount") {
    tree.printLevelCount();
    return;
  }
  if (word == "removeInorder") {
    performRemoveInOrder(line, tree);
    return;
  }
  tree.answers().line(unsuccessful);
}

std::uint32_t readCommandCount(std::istream &in) {
  using Traits = std::istream::traits_type;
  // Some editors start a saved script with a UTF-8 byte order mark; it is
  // not part of the script. Only the input's first three bytes can be one.
  // Any other byte 0xEF first leaves the count unreadable in any case.
  if (in.peek() == byteOrderMark[0]) {
    for (const unsigned char byte : byteOrderMark) {
      if (in.peek() != byte) {
        return 0;
      }
      in.get();
    }
  }
  int c = in.peek();
  while (c != Traits::eof() && isCSpace(c)) {
    in.get();
    c = in.peek();
  }
  const bool negative = c == '-';
  if (c == '-' || c == '+') {
    in.get();
    c = in.peek();
  }
  if (c == Traits::eof() || !isAsciiDigit(static_cast<unsigned char>(c))) {
    return 0;
  }

  // Digits beyond the range are still consumed; the value saturates.
  constexpr std::uint64_t tooLarge =
      std::uint64_t{std::numeric_limits<std::uint32_t>::max()} + 1;
  std::uint64_t value = 0;
  while (c != Traits::eof() && isAsciiDigit(static_cast<unsigned char>(c))) {
    in.get();
    value =
        std::min(value * 10 + static_cast<std::uint64_t>(c - '0'), tooLarge);
    c = in.peek();
  }
  in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');

  // A count that is negative or does not fit runs nothing, as a missing one.
  if (negative || value == tooLarge) {
    return 0;
  }
  return static_cast<std::uint32_t>(value);
}

void runCommands(std::istream &in, MorvAVLTree &tree, std::uint32_t count) {
  // A large object: the reader's block lives on the heap.
  const auto reader = std::make_unique<LineReader>(in);
  std::string_view text;
  for (std::uint32_t i = 0; i < count; ++i) {
    // Once the input has ended, every remaining command is an empty line and
    // is refused; those answers are all known now and go out together. The
    // last line read is never performed again.
    if (!reader->next(text)) {
      tree.answers().repeatLine(unsuccessful, count - i);
      return;
    }
    if (!text.empty() && text.back() == '\r') {
      text.remove_suffix(1);
    }
    LineStream line(text);
    parseAndPerform(line, tree);
  }
}

#ifndef MORVAVL_NO_ENTRY
int main() {
#ifdef SIGPIPE
  // A reader that goes away must not end the run with a signal; the answers
  // it no longer wants are dropped.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  std::ios::sync_with_stdio(false);
  std::cin.tie(nullptr);
#if !MORVAVL_POSIX_WRITE
  std::setvbuf(stdout, nullptr, _IONBF, 0);
#endif
  UnbufferedStdout stdoutBuffer;
  std::ostream out(&stdoutBuffer);

  MorvAVLTree tree(out);
  runCommands(std::cin, tree, readCommandCount(std::cin));
  return 0;
}
#endif

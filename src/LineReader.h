// Reading the command script: its lines as they arrive, the count line, and
// the frame of each command line.
#ifndef MORVAVL_LINEREADER_H
#define MORVAVL_LINEREADER_H

#include "Policy.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <memory>
#include <streambuf>
#include <string>
#include <string_view>

// Standard input, read with read(2) as bytes arrive. When another program
// left the descriptor non-blocking, read(2) says EAGAIN while nothing has
// come yet: then it waits with poll(2) instead of taking that for the end.
// A read that fails otherwise (a terminal gone under nohup) ends the input.
class StandardInput final : public std::streambuf {
public:
  StandardInput() { setg(buffer_, buffer_, buffer_); }

protected:
  int_type underflow() override;

private:
  char buffer_[1 << 16];
};

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
  LineReader(const LineReader &) = delete;
  LineReader &operator=(const LineReader &) = delete;

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
        if (carry_.empty()) {
          return false;
        }
        unended_ = true;
        return takeCarry(line);
      }
    }
  }

  // Whether the input ended in a line without a line feed.
  bool unended() const { return unended_; }

private:
  std::size_t refill();
  bool takeCarry(std::string_view &line);

  std::istream &source_;
  char block_[1 << 16];
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  std::string carry_;
  bool carried_ = false;
  bool unended_ = false;
};

// One line of the script, as the front end gets it.
struct ScriptLine {
  std::string_view text;    // without its line feed, and without a dropped CR
  std::uint64_t number = 0; // counted from 1, the count line included
  bool droppedCr = false;   // the line ended in CR LF, or in CR at the end
  bool keptCr = false;      // a variant kept that CR (Policy.h)
};

// The command script: the count line, then the command lines.
//
// The count is read like an unsigned integer extraction: white space, line
// ends included, is skipped; then an optional sign and decimal digits. The
// rest of its line is dropped. A UTF-8 byte order mark as the input's first
// three bytes is skipped first. A count that is missing, negative or above
// the unsigned 32-bit range runs no command.
class ScriptReader {
public:
  // Why the count is what it is.
  enum class Count : std::uint8_t {
    read,     // a number within range
    noNumber, // the input ended, or the count line holds no number
    negative, // a minus sign before the digits
    tooLarge, // above 4294967295
  };

  // Reads the input up to the end of the count line. A policy, if given,
  // reads the count line and the CRs as a variant does (Policy.h).
  explicit ScriptReader(std::istream &in, const Policy *policy = nullptr);
  ScriptReader(const ScriptReader &) = delete;
  ScriptReader &operator=(const ScriptReader &) = delete;

  std::uint32_t count() const { return count_; }
  Count countRule() const { return countRule_; }
  // The line that holds the count, or the last line read when none does;
  // its number is 0 when the input is empty.
  const ScriptLine &countLine() const { return countLine_; }
  // Where the count's text ends in countLine().text; what follows is
  // dropped.
  std::size_t countEnd() const { return countEnd_; }
  // Whether the input began with a byte order mark, which was skipped.
  bool byteOrderMark() const { return byteOrderMark_; }
  // Whether the variant's reading of the count line gave another count.
  bool countVaried() const { return countVaried_; }
  // Whether the input ended in a line without a line feed.
  bool unended() const { return reader_->unended(); }

  // The number of lines read so far.
  std::uint64_t linesRead() const { return linesRead_; }

private:
  // Only a session takes the command lines, one per command.
  friend class ScriptSession;

  // The next command line, with a CR before its line feed dropped. False
  // once the input has ended.
  bool next(ScriptLine &line) {
    if (!reader_->next(line.text)) {
      return false;
    }
    line.number = ++linesRead_;
    line.droppedCr = !line.text.empty() && line.text.back() == '\r';
    line.keptCr = line.droppedCr && policy_ && policy_->keepCr;
    if (line.keptCr) {
      line.droppedCr = false;
    } else if (line.droppedCr) {
      line.text.remove_suffix(1);
    }
    return true;
  }

  void readCount(std::string_view text);

  // A large object: the reader's block lives on the heap.
  std::unique_ptr<LineReader> reader_;
  const Policy *policy_;
  std::uint64_t linesRead_ = 0;
  std::string countText_;
  ScriptLine countLine_;
  std::size_t countEnd_ = 0;
  std::uint32_t count_ = 0;
  Count countRule_ = Count::noNumber;
  bool byteOrderMark_ = false;
  bool countVaried_ = false;
};

#endif

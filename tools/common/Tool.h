// What the companion tools share as command-line programs: one frame for
// their mains (--help, and errors in one line on standard error with status
// 2), output that reports a failed write, and the reading of their options.
#ifndef MORVAVL_TOOLS_TOOL_H
#define MORVAVL_TOOLS_TOOL_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tool {

// The exit status of a usage or I/O error.
constexpr int usageError = 2;

class Arguments;

// A tool, as its main presents it.
struct Description {
  std::string_view name;  // as messages name it: "morvavl-trace"
  std::string_view usage; // what --help writes
  // Options end at the first operand, so that the arguments after it (a
  // program's own) are never read as options.
  bool optionsEndAtOperand = false;
};

// A usage or I/O error: thrown anywhere in a tool, it ends the tool with
// "NAME: error: MESSAGE" on standard error and status 2.
struct Failure {
  std::string message;
};
[[noreturn]] void fail(std::string message);

// Runs a tool's main. First a closed standard descriptor gets /dev/null.
// --help or -h among the options writes the usage and returns 0. A Failure,
// exhausted memory, and standard output that cannot be written each end the
// tool with one line on standard error and status 2; otherwise the body's
// status is returned.
int run(const Description &tool, int argc, char **argv,
        int (*body)(Arguments &args));

// Ends the tool after a write to standard output failed: quietly by SIGPIPE,
// as a pipeline expects, when the reader went away; else as a Failure.
[[noreturn]] void outputFailed(std::string_view what);

// "cannot write FILE: REASON", from errno.
std::string cannotWrite(std::string_view what);
std::string cannotRead(std::string_view what);

// A new file in TMPDIR (or /tmp), open for reading and writing, made
// close-on-exec and unlinked at once: nothing is left behind, and no
// program the tool runs can read it. Fails the tool when none can be made.
int unlinkedTemporaryFile(std::string_view stem);

// Writes all of bytes to fd, waiting whenever a non-blocking descriptor is
// full rather than losing what it would not take; false when a write fails.
bool writeAll(int fd, std::string_view bytes);

// Output collected in a buffer and written in large pieces, or at once when
// someone may be waiting for it. Remembers whether a write failed.
class Output {
public:
  explicit Output(int fd) : fd_(fd) {}
  ~Output() { flush(); }
  Output(const Output &) = delete;
  Output &operator=(const Output &) = delete;

  std::string &buffer() { return buffer_; }
  // Writes the buffer once it has grown large.
  void maybeFlush() {
    if (buffer_.size() >= (1 << 16)) {
      flush();
    }
  }
  void flush();
  bool failed() const { return failed_; }

private:
  int fd_;
  std::string buffer_;
  bool failed_ = false;
};

// Script line numbers: "3,7-9". Empty means none was given.
class LineSet {
public:
  using Range = std::pair<std::uint64_t, std::uint64_t>;
  // False when the text is not a list of numbers and ranges.
  bool parse(std::string_view text);
  bool empty() const { return ranges_.empty(); }
  bool contains(std::uint64_t line) const;
  const std::vector<Range> &ranges() const { return ranges_; }

private:
  std::vector<Range> ranges_;
};

// Reads a whole non-negative number that fits 64 bits; false for anything
// else.
bool parseNumber(std::string_view text, std::uint64_t &value);

// Reads a whole number from least to most, which `what` names in messages
// ("--depth", "the size"); anything else fails the tool, saying whether the
// text is no number or a number out of range.
std::uint64_t number(std::string_view what, std::string_view text,
                     std::uint64_t least = 0,
                     std::uint64_t most = ~std::uint64_t{0});

// Options as "--name value" or "--name=value", in the order given.
class Arguments {
public:
  Arguments(int argc, char **argv) : args_(argv + 1, argv + argc) {}

  bool done() const { return next_ >= args_.size(); }
  // How many arguments have been taken.
  std::size_t position() const { return next_; }
  const std::string &peek() const { return args_[next_]; }
  // If the next argument is this option, takes it; an attached "=value"
  // is kept for value().
  bool take(std::string_view option);
  // The option's value: attached, or the next argument. False if none.
  bool value(std::string &value);
  // Whether the option just taken had an attached value.
  bool hasAttached() const { return hasAttached_; }
  std::string next() { return args_[next_++]; }
  std::vector<std::string> rest() {
    std::vector<std::string> rest(
        args_.begin() + static_cast<std::ptrdiff_t>(next_), args_.end());
    next_ = args_.size();
    return rest;
  }

private:
  std::vector<std::string> args_;
  std::size_t next_ = 0;
  bool hasAttached_ = false;
  std::string attached_;
};

} // namespace tool

#endif

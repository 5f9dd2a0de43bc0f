// Answers: the two answer words, and the one interface through which the
// tree and the front end write answer lines. Where the lines go is up to the
// implementation: standard output for the program, a string for everything
// that looks at them, or nowhere for what only needs the tree.
#ifndef MORVAVL_ANSWERSINK_H
#define MORVAVL_ANSWERSINK_H

#include <cstdint>
#include <string>
#include <string_view>

namespace answer {
inline constexpr std::string_view successful = "successful";
inline constexpr std::string_view unsuccessful = "unsuccessful";
} // namespace answer

// Takes answer lines and hands each one on whole, with its line feed, in
// one call, before the command that wrote it goes on: a reader that waits
// for an answer never waits on the sink. Once a delivery fails, nobody can
// read the answers any more, and the rest are dropped.
class AnswerSink {
public:
  virtual ~AnswerSink() = default;
  AnswerSink(const AnswerSink &) = delete;
  AnswerSink &operator=(const AnswerSink &) = delete;

  // One answer line; the line feed is added.
  void line(std::string_view text);
  // The same line `times` times over, in large pieces: for answers that are
  // all known at once.
  void repeatLine(std::string_view text, std::uint64_t times);

  // A line built piece by piece (a listing): append to pending(), then
  // endLine() hands it on.
  std::string &pending() { return pending_; }
  void endLine();

protected:
  AnswerSink() = default;
  // Hands on whole lines, each ended by its line feed. False once they
  // can no longer be delivered.
  virtual bool deliver(std::string_view lines) = 0;

private:
  void send(std::string_view lines) {
    delivering_ = delivering_ && deliver(lines);
  }

  std::string pending_;
  bool delivering_ = true;
};

// Standard output: each delivery in one write(2), as it comes. A reader
// that went away ends the deliveries, not the program.
class StdoutAnswers final : public AnswerSink {
protected:
  bool deliver(std::string_view lines) override;
};

// The answers collected in a string, for tools and tests to look at; at
// most `limit` bytes of them, where a caller cannot hold more.
class AnswerCapture final : public AnswerSink {
public:
  explicit AnswerCapture(std::size_t limit = ~std::size_t{0}) : limit_(limit) {}

  const std::string &text() const { return text_; }
  void clear() { text_.clear(); }
  // Whether answers beyond the limit were dropped.
  bool cut() const { return cut_; }

protected:
  bool deliver(std::string_view lines) override {
    if (lines.size() > limit_ - text_.size()) {
      cut_ = true;
      return false;
    }
    text_.append(lines);
    return true;
  }

private:
  std::string text_;
  std::size_t limit_;
  bool cut_ = false;
};

// Answers dropped as they come, still formed in full: for benchmarks and
// for tools that keep a tree only to know its state.
class DroppedAnswers final : public AnswerSink {
protected:
  bool deliver(std::string_view) override { return true; }
};

#endif

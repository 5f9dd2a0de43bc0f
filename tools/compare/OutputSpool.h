// What a program wrote, kept so that it can be read again after the run:
// the diagnosis plays it against each variant in turn. Only what follows
// the first piece that differs goes to disk, as it arrives; the part
// before it is morvavl's own answers, which are made again when needed. So
// a run that agrees writes nothing, and memory does not grow with the
// output.
#ifndef MORVAVL_TOOLS_OUTPUTSPOOL_H
#define MORVAVL_TOOLS_OUTPUTSPOOL_H

#include <cstdint>
#include <functional>
#include <string_view>

class OutputSpool {
public:
  // At most this much is kept; beyond it the spool is incomplete.
  static constexpr std::uint64_t mostBytes = std::uint64_t{256} << 20;

  // An unlinked temporary file, in TMPDIR or /tmp; fails the tool when none
  // can be made.
  OutputSpool();
  ~OutputSpool();
  OutputSpool(const OutputSpool &) = delete;
  OutputSpool &operator=(const OutputSpool &) = delete;

  void clear();
  // From here on, what the program writes is kept; `before` bytes came
  // before, all of them as morvavl wrote them.
  void start(std::uint64_t before);
  bool started() const { return started_; }
  std::uint64_t before() const { return before_; }
  void add(std::string_view chunk);
  // Whether all of the output is kept.
  bool complete() const { return complete_; }
  // Hands on what was kept, in pieces, while `use` asks for more.
  void replay(const std::function<bool(std::string_view)> &use) const;

private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::uint64_t before_ = 0;
  bool started_ = false;
  bool complete_ = true;
};

#endif

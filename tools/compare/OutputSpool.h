// What a program wrote, kept on disk as it arrives, so that it can be read
// again after the run: the diagnosis plays it against each variant in turn,
// and memory does not grow with the output.
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
  void add(std::string_view chunk);
  // Whether all of the output is kept.
  bool complete() const { return complete_; }
  // Hands the output on in pieces while `use` asks for more.
  void replay(const std::function<bool(std::string_view)> &use) const;

private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
  bool complete_ = true;
};

#endif

// Feeds arbitrary bytes to the program's own path from the count line to the
// last command, then checks the tree's invariants and destroys it.
#include "TreeChecker.h"
#include "main.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <streambuf>

namespace {

// Drops the answers but counts their lines.
class LineCounter : public std::streambuf {
public:
  std::uint64_t lines = 0;

protected:
  int overflow(int c) override {
    lines += c == '\n';
    return c;
  }
  std::streamsize xsputn(const char *text, std::streamsize size) override {
    lines += static_cast<std::uint64_t>(std::count(text, text + size, '\n'));
    return size;
  }
};

void fail(const std::string &what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  const std::string input(reinterpret_cast<const char *>(data), size);
  std::istringstream in(input);
  LineCounter counter;
  std::ostream out(&counter);

  MorvAVLTree tree(out);
  // Commands past the input's end are only answered; a smaller cap keeps
  // each run fast without skipping any line the input holds.
  const std::uint32_t count =
      std::min<std::uint32_t>(readCommandCount(in), 1u << 16);
  runCommands(in, tree, count);

  // Every command gets at least one answer line.
  if (counter.lines < count) {
    fail("a command went unanswered");
  }
  // Heights are exact and balanced until the first removal.
  const bool removals = input.find("remove") != std::string::npos;
  const TreeCheck check = checkTree(tree, !removals);
  if (!check.error.empty()) {
    fail(check.error);
  }
  return 0;
}

// Feeds arbitrary bytes to the program's own path from the count line to the
// last command, then checks the tree's invariants, checks a name search for
// every stored name against a full walk, and destroys the tree.
#include "LineReader.h"
#include "TreeChecker.h"
#include "main.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <streambuf>

namespace {

// Counts the answers' lines; keeps their text only when asked to.
class LineCounter : public std::streambuf {
public:
  std::uint64_t lines = 0;
  bool keep = false;
  std::string text;

protected:
  int overflow(int c) override {
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
  }
  std::streamsize xsputn(const char *data, std::streamsize size) override {
    lines += static_cast<std::uint64_t>(std::count(data, data + size, '\n'));
    if (keep) {
      text.append(data, static_cast<std::size_t>(size));
    }
    return size;
  }
};

void collectNames(const PelixNode *node, std::set<std::string> &names) {
  if (node) {
    names.insert(node->name);
    collectNames(node->leftChild, names);
    collectNames(node->rightChild, names);
  }
}

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
  ScriptReader script(in);
  const std::uint32_t count = std::min<std::uint32_t>(script.count(), 1u << 16);
  runCommands(script, tree, count);

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
  // The name index answers every stored name as a full walk does.
  std::set<std::string> names;
  collectNames(TreeInspector::root(tree), names);
  counter.keep = true;
  for (const std::string &name : names) {
    counter.text.clear();
    tree.search(name);
    if (counter.text != nameSearchByWalk(tree, name)) {
      fail("name search differs from the walk for '" + name + "'");
    }
  }
  return 0;
}

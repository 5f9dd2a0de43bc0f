// morvavl-generate: writes a seeded command script for morvavl.
#include "Generator.h"
#include "Options.h"
#include "Tool.h"

#include <algorithm>
#include <cstdio>

#include <unistd.h>

namespace {

constexpr std::string_view header =
    "usage: morvavl-generate KIND SIZE [SEED]\n"
    "\n"
    "Writes a morvavl command script of the kind KIND on standard output,\n"
    "drawn from the seed SEED (a whole number, default 1). For most kinds\n"
    "SIZE is the number of commands; where it is not, the kind says what it\n"
    "counts. The same kind, size and seed give the same script on every\n"
    "machine. A size that a kind cannot write in full is refused at once.\n"
    "\n"
    "Kinds:\n";

const std::string &usage() {
  static const std::string text = [] {
    constexpr std::size_t indent = 18;
    std::string usage(header);
    for (const ScriptKind &kind : scriptKinds()) {
      std::string name = "  " + std::string(kind.name);
      name.resize(std::max(name.size() + 1, indent), ' ');
      usage += name + tool::folded(kind.description, indent) + "\n";
    }
    return usage + "\nExit status: 0, or 2 for a usage error, a size the "
                   "kind cannot write, or an\noutput that cannot be "
                   "written.\n";
  }();
  return text;
}

int generateMain(tool::Arguments &args) {
  const std::vector<std::string> words = args.rest();
  if (words.size() < 2 || words.size() > 3) {
    tool::fail("give a kind and a size, and optionally a seed (see --help)");
  }
  if (!isScriptKind(words[0])) {
    tool::fail("unknown kind " + words[0] + " (see --help)");
  }
  const std::uint64_t size = tool::number("the size", words[1]);
  const std::uint64_t seed =
      words.size() == 3 ? tool::number("the seed", words[2]) : 1;
  const std::string why = whyNotGenerated(words[0], size);
  if (!why.empty()) {
    tool::fail(why);
  }
  tool::Output out(STDOUT_FILENO);
  generateScript(words[0], size, seed, [&out](std::string_view piece) {
    out.buffer().append(piece);
    out.maybeFlush();
  });
  out.flush();
  if (out.failed()) {
    tool::outputFailed("the script");
  }
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  return tool::run({"morvavl-generate", usage()}, argc, argv, generateMain);
}

// morvavl-generate: writes a seeded command script for morvavl.
#include "Generator.h"
#include "Tool.h"

#include <cstdio>

namespace {

constexpr std::string_view header =
    "usage: morvavl-generate KIND SIZE [SEED]\n"
    "\n"
    "Writes a morvavl command script on standard output: SIZE commands of\n"
    "the kind KIND, drawn from the seed SEED (a whole number, default 1).\n"
    "The same kind, size and seed give the same script on every machine.\n"
    "\n"
    "Kinds:\n";

const std::string &usage() {
  static const std::string text = [] {
    std::string usage(header);
    for (const ScriptKind &kind : scriptKinds()) {
      char line[64];
      std::snprintf(line, sizeof line, "  %-15.*s ",
                    static_cast<int>(kind.name.size()), kind.name.data());
      usage += line;
      usage += kind.description;
      usage += '\n';
    }
    return usage + "\nExit status: 0, or 2 for a usage error or an output "
                   "that cannot be written.\n";
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
  std::uint64_t size = 0;
  std::uint64_t seed = 1;
  if (!tool::parseNumber(words[1], size)) {
    tool::fail("the size must be a whole number, not " + words[1]);
  }
  if (words.size() == 3 && !tool::parseNumber(words[2], seed)) {
    tool::fail("the seed must be a whole number, not " + words[2]);
  }
  bool failed = false;
  generateScript(words[0], size, seed, [&failed](std::string_view piece) {
    failed = failed ||
             std::fwrite(piece.data(), 1, piece.size(), stdout) != piece.size();
  });
  if (failed || std::fflush(stdout) != 0) {
    tool::fail(tool::cannotWrite("the script"));
  }
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  return tool::run({"morvavl-generate", usage()}, argc, argv, generateMain);
}

// morvavl-generate: writes a seeded command script for morvavl.
#include "Generator.h"
#include "Tool.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr std::string_view toolName = "morvavl-generate";

void printUsage() {
  std::fputs(
      "usage: morvavl-generate KIND SIZE [SEED]\n"
      "\n"
      "Writes a morvavl command script on standard output: SIZE commands of\n"
      "the kind KIND, drawn from the seed SEED (a whole number, default 1).\n"
      "The same kind, size and seed give the same script on every machine.\n"
      "\n"
      "Kinds:\n",
      stdout);
  for (const ScriptKind &kind : scriptKinds()) {
    std::printf("  %-15.*s %.*s\n", static_cast<int>(kind.name.size()),
                kind.name.data(), static_cast<int>(kind.description.size()),
                kind.description.data());
  }
  std::fputs("\nExit status: 0, or 2 for a usage error or an output that "
             "cannot be written.\n",
             stdout);
}

} // namespace

int main(int argc, char **argv) {
  tool::Arguments args(argc, argv);
  if (args.take("--help") || args.take("-h")) {
    printUsage();
    return 0;
  }
  const std::vector<std::string> words = args.rest();
  if (words.size() < 2 || words.size() > 3) {
    return tool::error(toolName, "give a kind and a size, and optionally a "
                                 "seed (see --help)");
  }
  if (!isScriptKind(words[0])) {
    return tool::error(toolName, "unknown kind " + words[0] + " (see --help)");
  }
  std::uint64_t size = 0;
  std::uint64_t seed = 1;
  if (!tool::parseNumber(words[1], size)) {
    return tool::error(toolName,
                       "the size must be a whole number, not " + words[1]);
  }
  if (words.size() == 3 && !tool::parseNumber(words[2], seed)) {
    return tool::error(toolName,
                       "the seed must be a whole number, not " + words[2]);
  }
  bool failed = false;
  generateScript(words[0], size, seed, [&failed](std::string_view piece) {
    failed = failed ||
             std::fwrite(piece.data(), 1, piece.size(), stdout) != piece.size();
  });
  if (failed || std::fflush(stdout) != 0) {
    return tool::error(toolName, std::string("cannot write the script: ") +
                                     std::strerror(errno));
  }
  return 0;
}

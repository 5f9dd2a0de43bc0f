// morvavl-compare: checks another program for the same command language
// against morvavl, on given scripts and on generated ones, and shrinks a
// script that shows a difference. Everything that can be checked is checked
// before the first run: the options, every script and scenario file, and
// that the files to write can be written.
#include "Checker.h"
#include "CompareOptions.h"
#include "Reducer.h"
#include "Tool.h"
#include "Variants.h"

#include <csignal>
#include <cstdio>

namespace {

int listPasses() {
  for (const ReducerPass &pass : reducerPasses()) {
    std::printf("%.*s\t%.*s\n", static_cast<int>(pass.name.size()),
                pass.name.data(), static_cast<int>(pass.description.size()),
                pass.description.data());
  }
  return 0;
}

int listVariants() {
  for (const Variant &variant : variants()) {
    std::printf("%.*s\t%.*s\n", static_cast<int>(variant.name.size()),
                variant.name.data(),
                static_cast<int>(variant.description.size()),
                variant.description.data());
  }
  return 0;
}

int compareMain(tool::Arguments &args) {
  const CompareOptions options = readCompareOptions(args);
  if (options.listVariants) {
    return listVariants();
  }
  if (options.listPasses) {
    return listPasses();
  }
  std::vector<ScriptSource> scripts;
  for (const std::string &path : options.scripts) {
    scripts.push_back(loadScript(path));
  }
  // A PROGRAM that stops reading must not end the comparison, and what it
  // leaves behind comes back to this process to be ended.
  std::signal(SIGPIPE, SIG_IGN);
  becomeSubreaper();
  return runChecks(options, scripts);
}

} // namespace

int main(int argc, char **argv) {
  return tool::run({"morvavl-compare", compareUsage(), true}, argc, argv,
                   compareMain);
}

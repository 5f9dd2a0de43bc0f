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

#include <unistd.h>

namespace {

// Lines of a name, a tab and a description.
template <class Rows> int listNamed(const Rows &rows) {
  tool::Output out(STDOUT_FILENO);
  for (const auto &row : rows) {
    out.buffer().append(row.name).append("\t");
    out.buffer().append(row.description).append("\n");
  }
  out.flush();
  if (out.failed()) {
    tool::outputFailed("the list");
  }
  return 0;
}

int listPasses() { return listNamed(reducerPasses()); }

int listVariants() { return listNamed(variants()); }

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

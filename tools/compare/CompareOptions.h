// morvavl-compare's options, declared once (Options.h): what --help says of
// each, how it is read, and what is checked of them all before the first
// run.
#ifndef MORVAVL_TOOLS_COMPAREOPTIONS_H
#define MORVAVL_TOOLS_COMPAREOPTIONS_H

#include "Compare.h"
#include "Tool.h"

#include <cstdint>
#include <string>
#include <vector>

struct CompareOptions {
  std::vector<std::string> scripts;
  std::uint64_t generate = 0;
  std::uint64_t seed = 1;
  std::uint64_t commands = 1000;
  std::string kind = "conformance";
  std::string reduceFile;
  std::string junitFile;
  std::uint64_t maxRuns = 2000;
  std::uint64_t maxFailures = 0;   // 0: no limit
  std::vector<std::string> passes; // for --reduce; empty: all
  bool listPasses = false;         // --passes without names
  bool listVariants = false;
  unsigned depth = 6;
  bool verbose = false;
  Program program;
};

// The text of --help.
const std::string &compareUsage();

// Reads the options and PROGRAM with its arguments, and checks them: that
// there is something to run, that a generated size can be written, that
// the files to write can be written. --passes alone and --list-variants ask
// for nothing else.
CompareOptions readCompareOptions(tool::Arguments &args);

#endif

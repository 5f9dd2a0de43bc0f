// Runs the built program as a separate process on a given standard input.
#ifndef MORVAVL_RUNPROGRAM_H
#define MORVAVL_RUNPROGRAM_H

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string readFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// tag names the scratch directory, so that tests may run in parallel.
inline ProgramRun runProgram(const std::string &input, const std::string &tag) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("morvavl-run-" + tag);
  fs::create_directories(dir);
  std::ofstream(dir / "in", std::ios::binary) << input;
  const std::string command = std::string("'") + MORVAVL_PROGRAM + "' < '" +
                              (dir / "in").string() + "' > '" +
                              (dir / "out").string() + "' 2> '" +
                              (dir / "err").string() + "'";
  ProgramRun run;
  run.status = std::system(command.c_str());
  run.out = readFile(dir / "out");
  run.err = readFile(dir / "err");
  fs::remove_all(dir);
  return run;
}

#endif

// Runs another program on a given standard input, with a time limit, and
// collects what it wrote and how it ended.
#ifndef MORVAVL_TOOLS_PROCESS_H
#define MORVAVL_TOOLS_PROCESS_H

#include <string>
#include <string_view>
#include <vector>

struct ProcessRun {
  // Empty when the program started; otherwise why it could not.
  std::string startError;
  std::string out;
  std::string err;
  bool timedOut = false;
  bool outputCut = false; // it wrote more than the limit and was stopped
  int exitStatus = -1;    // when it exited; -1 otherwise
  int signal = 0;         // the signal that ended it, or 0
};

// Runs command (the program and its arguments; a program without a slash is
// looked up in PATH) with input on its standard input. It gets at most
// timeoutSeconds and may write at most outputLimit bytes; past either, it
// is killed with its whole process group.
ProcessRun runProcess(const std::vector<std::string> &command,
                      std::string_view input, double timeoutSeconds,
                      std::size_t outputLimit);

// "signal 11 (Segmentation fault)".
std::string describeSignal(int signal);

#endif

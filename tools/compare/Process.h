// Runs another program on an input given on its standard input, with a time
// limit, and hands what it writes on standard output to the caller as it
// arrives, so that nothing grows with the size of its output. Every process
// the program started ends with its run, also one that left its process
// group or session.
#ifndef MORVAVL_TOOLS_PROCESS_H
#define MORVAVL_TOOLS_PROCESS_H

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// How a run ended.
struct ProcessEnd {
  // Empty when the program started; otherwise why it could not.
  std::string startError;
  bool timedOut = false;
  int exitStatus = -1; // when it exited; -1 otherwise
  int signal = 0;      // the signal that ended it, or 0
  // Processes it started that were still running when it exited (or when
  // its time was up); all of them were ended.
  std::uint64_t leftRunning = 0;
  // The end of what it wrote on standard error, and how much that was.
  std::string errorTail;
  std::uint64_t errorBytes = 0;
};

// Makes this process the reaper of every orphan among its descendants, on
// Linux, so that a run can find and end what left the program's session.
void becomeSubreaper();

// Runs command (the program and its arguments; a program without a slash is
// looked up in PATH, as env(1) does) with input on its standard input.
// output gets standard output piece by piece; at timeoutSeconds the program
// and everything it started is killed. Once the program has exited, the run
// takes what its output pipes hold already and does not wait on processes
// it left behind.
ProcessEnd runProcess(const std::vector<std::string> &command,
                      std::istream &input, double timeoutSeconds,
                      const std::function<void(std::string_view)> &output);

// Why a program cannot be found, or "" when it can: a program name without
// a slash is looked up in PATH only.
std::string whyNotFound(const std::string &program);

// "signal 11 (Segmentation fault)".
std::string describeSignal(int signal);

#endif

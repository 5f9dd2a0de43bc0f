// A program for morvavl's command language with one fault, for testing
// morvavl-compare: morvavl's own engine, with its answers or its handling
// of one command changed as a faulty reimplementation would, or run in a
// way a hostile program would.
// Usage: faulty_program FAULT [N | MARK] < SCRIPT, where FAULT is one of
//   swap-listing       a pre-order listing of 3 or more names has its first
//                      two names swapped
//   stop-after N       writes N answer lines, then exits with status 0
//   hang-after N       writes N answer lines, then waits for ever
//   signal-after N     writes N answer lines, then ends by SIGSEGV
//   complain           writes a line on standard error as well
//   positions-from-1   counts removeInorder positions from 1
//   real-level-count   answers printLevelCount with the real height
//   lazy-duplicate     refuses a duplicate ID without recomputing the path
//   stale-successor-parent
//                      does not recompute the successor's parent after the
//                      successor has left it
// and, answering like morvavl otherwise (MARK names the `sleep MARK`
// processes each leaves behind, so that a test can look for them):
//   leave-running MARK  starts one that holds its output, then exits
//   leave-group MARK    starts one in a process group of its own, then exits
//   leave-session MARK  starts one that forks one in a session of its own,
//                       and exits at once; then it waits for ever itself
//   fork-chain MARK     starts a chain in which each process starts the
//                       next in a session of its own and lives on, ever
//                       deeper; then answers, and waits for ever itself
//   close-output        closes its output and waits for ever
//   long-error          writes a 30-line trace on standard error first
//   flaky FILE          answers, then writes one line too many on a script
//                       of 5 commands or more, and on every other run (as
//                       counted in FILE) whatever the script
//   read-inherited      answers the script in a regular file it was left
//                       open on, if any, and otherwise nothing at all
#include "ScriptSession.h"
#include "TreeView.h"

#include <sys/stat.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include <unistd.h>

namespace {

// The fault of a tree that leaves the successor's parent as it was: each
// value that removal recomputes there is put back at once, before anything
// reads it. A test double only: nothing else writes through the events.
class StaleSuccessorParent final : public TreeEvents {
  void removing(const RemovalChoice &choice) override {
    parent_ = choice.successorParent;
  }
  void recomputed(const PelixNode &node, Recompute why, std::int32_t height,
                  std::int32_t balanceFactor) override {
    if (why == Recompute::removal && &node == parent_) {
      auto &stale = const_cast<PelixNode &>(node);
      stale.height = height;
      stale.balanceFactor = balanceFactor;
      parent_ = nullptr;
    }
  }
  void linked(const PelixNode &, const PelixNode *) override {}
  void refused(const PelixNode &) override {}
  void rotating(const RotationChoice &) override {}
  void freeing(const PelixNode &) override {}
  void searched(std::uint64_t) override {}

  const PelixNode *parent_ = nullptr;
};

int realHeight(const PelixNode *node) {
  return node ? 1 + std::max(realHeight(node->leftChild),
                             realHeight(node->rightChild))
              : 0;
}

// Starts `sleep mark`, which keeps this program's descriptors; how is one of
// "" (beside it), "group" (a process group of its own) or "session" (a
// child of its own that starts it in a session of its own and exits).
void leaveBehind(const char *mark, const std::string &how) {
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child != 0) {
    return;
  }
  if (how == "group") {
    ::setpgid(0, 0);
  }
  if (how == "session" && ::fork() != 0) {
    ::_exit(0);
  }
  if (how == "session") {
    ::setsid();
  }
  ::execlp("sleep", "sleep", mark, static_cast<char *>(nullptr));
  ::_exit(127);
}

// What a cheat reads instead of its input: the first regular file among
// the descriptors it was given beyond the standard three.
std::unique_ptr<std::istream> inheritedFile() {
  for (int fd = 3; fd < 1024; ++fd) {
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
      return std::make_unique<std::ifstream>(
          "/proc/self/fd/" + std::to_string(fd), std::ios::binary);
    }
  }
  return nullptr;
}

// The chain of fork-chain: each process starts the next at once, in a
// session of its own, and lives on, so that the chain grows deeper as fast
// as the system forks (up to 1,000), and no two of its processes share a
// group.
void startChain() {
  std::fflush(stdout);
  for (int depth = 0; depth < 1000; ++depth) {
    const pid_t next = ::fork();
    if (next != 0) {
      if (depth == 0) {
        return; // the program itself goes on
      }
      for (;;) {
        ::pause();
      }
    }
    ::setsid();
  }
  for (;;) {
    ::pause();
  }
}

} // namespace

int main(int argc, char **argv) {
  const std::string fault = argc > 1 ? argv[1] : "";
  const long limit = argc > 2 ? std::atol(argv[2]) : 0;
  long written = 0;
  // Writes answer lines, and stops where the fault says.
  const auto write = [&](const std::string &answers) {
    for (std::size_t from = 0; from < answers.size();) {
      const std::size_t end = answers.find('\n', from) + 1;
      if ((fault == "stop-after" || fault == "hang-after" ||
           fault == "signal-after") &&
          written == limit) {
        std::fflush(stdout);
        if (fault == "hang-after") {
          std::this_thread::sleep_for(std::chrono::hours(1));
        }
        if (fault == "signal-after") {
          // As a crash ends it, whatever handler a sanitizer installed.
          std::signal(SIGSEGV, SIG_DFL);
          std::raise(SIGSEGV);
        }
        std::exit(0);
      }
      std::fwrite(answers.data() + from, 1, end - from, stdout);
      ++written;
      from = end;
    }
  };

  const char *mark = argc > 2 ? argv[2] : "0";
  if (fault == "leave-running" || fault == "leave-group" ||
      fault == "leave-session") {
    leaveBehind(mark, fault == "leave-running" ? ""
                      : fault == "leave-group" ? "group"
                                               : "session");
  }
  if (fault == "fork-chain") {
    startChain();
  }
  if (fault == "long-error") {
    for (int i = 1; i <= 30; ++i) {
      std::fprintf(stderr, "  frame %d of the trace\n", i);
    }
    std::fputs("Error: something odd\n", stderr);
  }

  // Each command's answers are held back until the fault has had its say
  // about them.
  AnswerCapture capture;
  StaleSuccessorParent staleSuccessorParent;
  const std::unique_ptr<std::istream> inherited =
      fault == "read-inherited" ? inheritedFile() : nullptr;
  if (fault == "read-inherited" && !inherited) {
    return 0;
  }
  ScriptSession script(inherited ? *inherited : std::cin, capture,
                       fault == "stale-successor-parent" ? &staleSuccessorParent
                                                         : nullptr);
  const TreeView tree(script.tree());
  bool complained = false;
  for (ScriptSession::Step step; script.take(step);) {
    capture.clear();
    if (step.missing) {
      script.perform(step);
      script.answerRest();
      write(capture.text());
      break;
    }
    Command &command = step.command;
    using Kind = Command::Kind;
    if (fault == "positions-from-1" && command.kind == Kind::removeInOrder) {
      // Position 0 becomes -1, past every record; the least wraps to the
      // most.
      command.position =
          command.position == INT32_MIN ? INT32_MAX : command.position - 1;
    }
    std::string answers;
    if (fault == "lazy-duplicate" && command.kind == Kind::insert &&
        tree.descend(command.id, [](const PelixNode *) {})) {
      answers = std::string(answer::unsuccessful) + "\n";
    } else if (fault == "real-level-count" &&
               command.kind == Kind::printLevelCount) {
      answers = std::to_string(realHeight(tree.root())) + "\n";
    } else {
      script.perform(step);
      answers = capture.text();
    }
    if (fault == "swap-listing" && command.kind == Kind::printPreOrder) {
      const std::size_t first = answers.find(", ");
      const std::size_t second = answers.find(", ", first + 2);
      if (second != std::string::npos) {
        answers = answers.substr(first + 2, second - first - 2) + ", " +
                  answers.substr(0, first) + answers.substr(second);
      }
    }
    if (fault == "complain" && !complained) {
      std::fputs("warning: something odd\n", stderr);
      complained = true;
    }
    write(answers);
  }
  if (fault == "flaky") {
    std::fstream counter(argv[2], std::ios::in | std::ios::out);
    long runs = 0;
    counter >> runs;
    std::ofstream(argv[2], std::ios::trunc) << runs + 1;
    if (script.count() >= 5 || runs % 2 == 1) {
      std::fputs("flaky\n", stdout);
    }
  }
  std::fflush(stdout);
  if (fault == "close-output") {
    ::close(STDOUT_FILENO);
    ::close(STDERR_FILENO);
  }
  if (fault == "close-output" || fault == "leave-session" ||
      fault == "fork-chain") {
    std::this_thread::sleep_for(std::chrono::hours(1));
  }
  return 0;
}

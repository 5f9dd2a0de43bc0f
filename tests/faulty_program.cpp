// A program for morvavl's command language with one fault, for testing
// morvavl-compare: morvavl's own engine, with its answers or its handling
// of one command changed as a faulty reimplementation would.
// Usage: faulty_program FAULT [N] < SCRIPT, where FAULT is one of
//   swap-listing       a pre-order listing of 3 or more names has its first
//                      two names swapped
//   stop-after N       writes N answer lines, then exits with status 0
//   hang-after N       writes N answer lines, then waits for ever
//   signal-after N     writes N answer lines, then ends by SIGSEGV
//   complain           writes a line on standard error as well
//   positions-from-1   counts removeInorder positions from 1
//   real-level-count   answers printLevelCount with the real height
//   lazy-duplicate     refuses a duplicate ID without recomputing the path
#include "ScriptSession.h"
#include "TreeView.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

namespace {

int realHeight(const PelixNode *node) {
  return node ? 1 + std::max(realHeight(node->leftChild),
                             realHeight(node->rightChild))
              : 0;
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

  // Each command's answers are held back until the fault has had its say
  // about them.
  AnswerCapture capture;
  ScriptSession script(std::cin, capture);
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
      --command.position;
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
  std::fflush(stdout);
  return 0;
}

// The program's entry and the dispatch of parsed commands to the tree.
#include "main.h"

#include "AnswerSink.h"
#include "MorvAVLTree.h"
#include "ScriptSession.h"

#include <csignal>
#include <exception>
#include <istream>
#include <string>

void performCommand(const Command &command, MorvAVLTree &tree,
                    AnswerSink &answers) {
  using Kind = Command::Kind;
  switch (command.kind) {
  case Kind::refused:
    answers.line(answer::unsuccessful);
    return;
  case Kind::insert:
    tree.insert(std::string(command.name), std::string(command.id));
    return;
  case Kind::remove:
    tree.remove(std::string(command.id));
    return;
  case Kind::searchId:
    tree.search(std::string(command.id));
    return;
  case Kind::searchName:
    tree.search(std::string(command.name));
    return;
  case Kind::printInOrder:
    tree.printInOrder();
    return;
  case Kind::printPreOrder:
    tree.printPreOrder();
    return;
  case Kind::printPostOrder:
    tree.printPostOrder();
    return;
  case Kind::printLevelCount:
    tree.printLevelCount();
    return;
  case Kind::removeInOrder:
    // A negative position wraps to 2^31 or more, past any tree. A failure
    // inside the removal is answered too, after what it already wrote.
    try {
      tree.removeInOrder(static_cast<std::uint32_t>(command.position));
    } catch (const std::exception &) {
      answers.line(answer::unsuccessful);
    }
    return;
  }
}

void parseAndPerform(LineStream &line, MorvAVLTree &tree, AnswerSink &answers) {
  performCommand(parseCommand(line), tree, answers);
}

#ifndef MORVAVL_NO_ENTRY
int main() {
#ifdef SIGPIPE
  // A reader that goes away must not end the run with a signal; the answers
  // it no longer wants are dropped.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  StandardInput input;
  std::istream in(&input);
  StdoutAnswers answers;
  ScriptSession session(in, answers);
  for (ScriptSession::Step step; session.step(step);) {
    // Once the input has ended, the commands left have no line either:
    // their answers are all known now and go out together.
    if (step.missing) {
      session.answerRest();
    }
  }
  return 0;
}
#endif

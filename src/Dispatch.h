// The dispatch of a parsed command to its one tree operation: one case per
// kind of command, each calling exactly one public operation. A refused
// line is answered here, through the sink the tree answers through, and
// never reaches the tree.
#ifndef MORVAVL_DISPATCH_H
#define MORVAVL_DISPATCH_H

#include "AnswerSink.h"
#include "CommandLanguage.h"
#include "MorvAVLTree.h"

#include <cstdint>
#include <exception>
#include <string>

// Calls the command's one tree operation, or answers a refused command
// "unsuccessful". The tree writes its answers through `answers` too.
// Inline, so that the program's loop over its lines pays no call for it.
[[gnu::always_inline]] inline void
performCommand(const Command &command, MorvAVLTree &tree, AnswerSink &answers) {
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

#endif

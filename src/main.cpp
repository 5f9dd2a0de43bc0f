// The program's entry: a script session reads each command's line, and
// parseAndPerform performs it on the session's tree.
#include "main.h"

#include "AnswerSink.h"
#include "Dispatch.h"
#include "ScriptSession.h"

#include <csignal>
#include <istream>

void parseAndPerform(LineStream &line, MorvAVLTree &tree, AnswerSink &answers) {
  performCommand(parseCommand(line), tree, answers);
}

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
  for (ScriptSession::Step step; session.read(step);) {
    // Once the input has ended, the commands left have no line either:
    // their answers are all known now and go out together.
    if (step.missing) {
      session.perform(step);
      session.answerRest();
      break;
    }
    LineStream line(step.text);
    parseAndPerform(line, session.tree(), answers);
  }
  return 0;
}

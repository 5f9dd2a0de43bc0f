// One run of a command script: the one place that reads the count line,
// takes each command's line as it arrives (or knows that the input ended
// before it), and parses and performs the command on the run's tree. The
// program, the tools and the tests all run commands through a session:
// stepping through a script, or performing commands no script line holds.
#ifndef MORVAVL_SCRIPTSESSION_H
#define MORVAVL_SCRIPTSESSION_H

#include "AnswerSink.h"
#include "CommandLanguage.h"
#include "LineReader.h"
#include "MorvAVLTree.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

class ScriptSession {
public:
  // One command, performed. The views are valid until the next step.
  struct Step {
    // The command's script line, counted from 1 with the count line;
    // numbered on as if the script went on where it has no line.
    std::uint64_t line = 0;
    std::string_view text;  // the line, without its line feed or dropped CR
    bool droppedCr = false; // the line ended in CR LF, or in CR at the end
    // A variant's reading of the input (Policy.h) gave this line: it kept
    // its CR, or repeated the last line where the input had none.
    bool varied = false;
    // The input ended before this command's line: it is answered as an
    // empty line, "unsuccessful", and changes nothing.
    bool missing = false;
    std::uint64_t missingAfter = 0; // the commands after it, lineless too
    Command command;                // as parsed; views into text
    // In a capturing session, the command's answer lines, each with its
    // line feed.
    std::string_view answers;
  };

  // Reads the input up to the end of the count line. The answers go to
  // `answers`; an observer, if given, hears every decision of the tree. A
  // policy, if given, makes the session a variant (Policy.h): its reader,
  // parser and tree read some rules another way.
  ScriptSession(std::istream &in, AnswerSink &answers,
                TreeEvents *events = nullptr, const Policy *policy = nullptr);
  // The same, keeping every answer in `kept`: each step's answers are what
  // it added there (none once the capture's limit cut them).
  ScriptSession(std::istream &in, AnswerCapture &kept,
                TreeEvents *events = nullptr, const Policy *policy = nullptr);
  // The same, keeping each command's answers for its step only.
  explicit ScriptSession(std::istream &in, TreeEvents *events = nullptr,
                         const Policy *policy = nullptr);
  // A session without a script, for commands performed one by one; the
  // second keeps each command's answers.
  explicit ScriptSession(AnswerSink &answers, TreeEvents *events = nullptr);
  ScriptSession();
  ~ScriptSession();
  ScriptSession(const ScriptSession &) = delete;
  ScriptSession &operator=(const ScriptSession &) = delete;

  // Performs the next command as soon as its line feed has been read,
  // without waiting for more input. False once every command has run.
  bool step(Step &step) {
    if (!take(step)) {
      return false;
    }
    perform(step);
    return true;
  }

  // A step in two halves, for a caller that looks at a command, or changes
  // it, before it runs: take() reads and parses the next command, perform()
  // runs it. A command taken and not performed does nothing and gets no
  // answer. read() takes the next line and leaves it unparsed, for a caller
  // that parses it itself: the step's command is left as it was.
  bool read(Step &step);
  bool take(Step &step);
  void perform(Step &step);

  // Performs a command that no line of the script holds, on the same tree
  // and through the same sink; in a capturing session, returns its answers.
  std::string_view perform(const Command &command);

  // Once a step was missing, every command left is missing too: answers
  // them all at once, in large writes, and ends the session.
  void answerRest();

  // Steps to the end of the script, the commands without a line answered
  // all at once.
  void run();

  // From now on the tree tells this observer what it decides, or nobody.
  void observe(TreeEvents *events) { tree_.observe(events); }
  void stopObserving() { observe(nullptr); }

  // Once every command's line is read: the next line of the input, which
  // no command reads, for a tool that takes a script apart. False at the
  // end.
  bool lineAfterEnd(ScriptLine &line);

  const ScriptReader &script() const { return script_; }
  std::uint32_t count() const { return script_.count(); }
  // The commands performed so far.
  std::uint64_t done() const { return done_; }
  const MorvAVLTree &tree() const { return tree_; }
  // For the program's entry, which performs each line read() takes on it,
  // and for tests that call the tree's operations themselves.
  MorvAVLTree &tree() { return tree_; }

private:
  // Without `in`, the session has no script.
  ScriptSession(std::istream *in, AnswerSink *answers,
                std::unique_ptr<AnswerCapture> owned, AnswerCapture *kept,
                TreeEvents *events, const Policy *policy);
  bool repeatsLastLine(Step &step);

  std::unique_ptr<std::istream> noScript_; // when there is none
  std::unique_ptr<AnswerCapture> owned_;   // cleared before each step
  AnswerCapture *captured_;                // owned_, or the caller's
  AnswerSink &answers_;
  MorvAVLTree tree_;
  ScriptReader script_;
  const Policy *policy_;
  std::string lastLine_; // for a variant that repeats it
  std::uint64_t done_ = 0;
  bool inputEnded_ = false;
};

#endif

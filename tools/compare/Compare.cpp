// The program's output goes to the comparison chunk by chunk, as the
// process layer reads it; only the start of it is kept, when asked.
#include "Compare.h"

#include <istream>

bool Outcome::differs() const {
  return !end.startError.empty() || difference || end.timedOut ||
         end.signal != 0 || end.exitStatus != 0 || end.errorBytes != 0;
}

Outcome runAndCompare(const Program &program, const ScriptSource &script,
                      std::size_t keepOutput, OutputSpool *spool) {
  const std::unique_ptr<std::istream> expected = script.open();
  const std::unique_ptr<std::istream> input = script.open();
  Comparison comparison(
      *expected, program.reference ? &program.reference->policy : nullptr);
  if (spool) {
    spool->clear();
  }
  Outcome outcome;
  std::uint64_t written = 0;
  outcome.end =
      runProcess(program.command, *input, program.timeoutSeconds,
                 [&](std::string_view chunk) {
                   comparison.consume(chunk);
                   if (spool && !spool->started() && comparison.differs()) {
                     spool->start(written);
                   }
                   if (spool && spool->started()) {
                     spool->add(chunk);
                   }
                   written += chunk.size();
                   if (outcome.output.size() < keepOutput) {
                     outcome.output.append(
                         chunk.substr(0, keepOutput - outcome.output.size()));
                   }
                 });
  if (!outcome.end.startError.empty()) {
    return outcome;
  }
  if (spool && !spool->started()) {
    spool->start(written); // all it wrote was as morvavl wrote it
  }
  static_cast<Verdict &>(outcome) = comparison.finish();
  return outcome;
}

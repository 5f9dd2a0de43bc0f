// The reducer's state and its passes, for the files that implement them:
// Reducer.cpp runs the passes in rounds and cuts and drops lines;
// ReducerEdits.cpp edits lines and tries small trees.
#ifndef MORVAVL_TOOLS_REDUCERPASSES_H
#define MORVAVL_TOOLS_REDUCERPASSES_H

#include "Reducer.h"
#include "ScriptParts.h"
#include "ScriptSession.h"
#include "TreeView.h"

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>

namespace reduction {

class Reducer {
public:
  Reducer(const Program &program, const ReduceOptions &options,
          std::string script, Outcome outcome)
      : program_(program), options_(options), maxRuns_(options.maxRuns),
        parts_(split(script)), outcome_(std::move(outcome)) {
    parts_.verbatim = true; // as given, until a plainer count is kept
    kept_.push_back(std::move(script));
  }

  Reduction run();

  // The passes (the table in Reducer.cpp). Each proposes candidates
  // through keep() and says whether it kept one.
  bool plainCount();
  bool cutAfterDifference();
  bool dropChunks();
  bool dropPairs();
  bool positionsToIds();
  bool rebuildTree();
  bool roundIds();
  bool shortNames();
  bool plainLines();
  bool smallerPositions();
  bool fewerIds();
  bool searchSmallTrees();

private:
  bool exhausted() const { return runs_ >= maxRuns_; }
  // Runs the program on the candidate; keeps it if it still differs.
  bool keep(Parts candidate);
  bool shortNamesKeeping(bool keepUnfindable);
  // The command whose answers differ, and the session's tree just before
  // it, stepped anew.
  std::optional<std::uint64_t> differingCommand() const;
  template <typename Use>
  void treeBefore(std::uint64_t command, Use &&use) const {
    std::istringstream in(assemble(parts_));
    ScriptSession session(in);
    ScriptSession::Step step;
    for (std::uint64_t i = 0; i < command && session.step(step); ++i) {
    }
    use(TreeView(session.tree()));
  }

  const Program &program_;
  const ReduceOptions &options_;
  std::string_view pass_; // the pass that proposes
  std::uint64_t maxRuns_;
  std::uint64_t runs_ = 0;
  Parts parts_;
  Outcome outcome_;
  std::vector<std::string> kept_; // every script kept, in order
};

} // namespace reduction

#endif

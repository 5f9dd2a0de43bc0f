// The script lives in its parts (ScriptParts.h); each pass proposes edited
// parts through keep(), which assembles them, runs the program and keeps
// the candidate only if it still differs. Rounds of the passes go on while
// one of them keeps something, and stop at the limit of runs. This file
// holds the rounds and the passes that cut and drop lines.
#include "ReducerPasses.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace reduction {

namespace {

// The output kept from each run, for the report on the shortest script.
constexpr std::size_t keptOutput = 1 << 20;

} // namespace

bool Reducer::keep(Parts candidate) {
  if (exhausted()) {
    return false;
  }
  ++runs_;
  const ScriptSource script{"", assemble(candidate), "", nullptr};
  Outcome outcome = runAndCompare(program_, script, keptOutput);
  const bool differs = outcome.differs();
  if (options_.progress) {
    options_.progress(runs_,
                      differs ? candidate.lines.size() : parts_.lines.size());
  }
  if (!differs) {
    return false;
  }
  if (options_.kept) {
    options_.kept(pass_, parts_.lines.size(), candidate.lines.size());
  }
  parts_ = std::move(candidate);
  outcome_ = std::move(outcome);
  kept_.push_back(script.text);
  return true;
}

std::optional<std::uint64_t> Reducer::differingCommand() const {
  if (!outcome_.difference || outcome_.difference->afterLast ||
      outcome_.difference->command >= parts_.lines.size()) {
    return std::nullopt;
  }
  return outcome_.difference->command;
}

// A count equal to the number of lines and a line feed after the last;
// else the count as it was, plainly written; else the count line as it
// stands.
bool Reducer::plainCount() {
  if (!parts_.verbatim) {
    return false;
  }
  Parts plain = parts_;
  plain.verbatim = false;
  plain.extra = 0;
  plain.lastLineFeed = true;
  Parts kept = parts_;
  kept.verbatim = false;
  kept.lastLineFeed = true;
  Parts asWritten = parts_;
  asWritten.verbatim = false;
  return keep(plain) || keep(kept) || keep(asWritten);
}

// Commands after the first one answered differently cannot matter to that
// answer.
bool Reducer::cutAfterDifference() {
  const auto command = differingCommand();
  if (!command || *command + 1 >= parts_.lines.size()) {
    return false;
  }
  Parts head = parts_;
  head.lines.resize(*command + 1);
  return keep(std::move(head));
}

// Delta debugging: drops a chunk of lines while the program still differs,
// with chunks halving from half the script down to single lines.
bool Reducer::dropChunks() {
  bool dropped = false;
  std::size_t chunks = 2;
  while (!parts_.lines.empty() && !exhausted()) {
    const std::size_t size = parts_.lines.size();
    chunks = std::min(chunks, size);
    const std::size_t chunk = (size + chunks - 1) / chunks;
    bool droppedOne = false;
    for (std::size_t from = 0; from < size && !droppedOne; from += chunk) {
      Parts candidate = parts_;
      candidate.lines.erase(
          candidate.lines.begin() + static_cast<std::ptrdiff_t>(from),
          candidate.lines.begin() +
              static_cast<std::ptrdiff_t>(std::min(size, from + chunk)));
      droppedOne = keep(std::move(candidate));
    }
    if (droppedOne) {
      dropped = true;
      chunks = std::max<std::size_t>(chunks - 1, 2);
      continue;
    }
    if (chunk == 1) {
      break;
    }
    chunks = std::min(chunks * 2, size);
  }
  return dropped;
}

// Two lines at once, which one at a time cannot go: an insert and the
// removal that undoes it, say. Only for short scripts, where the pairs are
// few.
bool Reducer::dropPairs() {
  constexpr std::size_t mostLines = 16;
  if (parts_.lines.size() > mostLines) {
    return false;
  }
  for (std::size_t i = 0; i < parts_.lines.size(); ++i) {
    for (std::size_t j = i + 1; j < parts_.lines.size() && !exhausted(); ++j) {
      Parts candidate = parts_;
      candidate.lines.erase(candidate.lines.begin() +
                            static_cast<std::ptrdiff_t>(j));
      candidate.lines.erase(candidate.lines.begin() +
                            static_cast<std::ptrdiff_t>(i));
      if (keep(std::move(candidate))) {
        return true;
      }
    }
  }
  return false;
}

// The passes, in the order each round runs them; the last only when the
// others keep nothing.
struct Pass {
  ReducerPass name;
  bool (Reducer::*run)();
  bool whenStuck;
};
const Pass passes[] = {
    {{"plain-count", "the count equal to the lines, in plain digits"},
     &Reducer::plainCount,
     false},
    {{"cut-after", "nothing after the command that differs"},
     &Reducer::cutAfterDifference,
     false},
    {{"drop-chunks", "chunks of lines dropped, halving down to single lines"},
     &Reducer::dropChunks,
     false},
    {{"drop-pairs", "two lines at once, in a short script"},
     &Reducer::dropPairs,
     false},
    {{"positions-to-ids", "removeInorder N as remove of the ID at position N"},
     &Reducer::positionsToIds,
     false},
    {{"rebuild-tree", "the tree before the difference rebuilt from fewer "
                      "inserts"},
     &Reducer::rebuildTree,
     false},
    {{"round-ids", "the IDs renumbered in their order, to round numbers"},
     &Reducer::roundIds,
     false},
    {{"short-names", "names become A, B, ...; or all but those no search "
                     "can find"},
     &Reducer::shortNames,
     false},
    {{"plain-lines", "each line in its plain form: one space, nothing "
                     "skipped, no CR"},
     &Reducer::plainLines,
     false},
    {{"smaller-positions", "removeInorder positions lowered to 0, half, or "
                           "one less"},
     &Reducer::smallerPositions,
     false},
    {{"fewer-ids", "each ID in turn replaced everywhere by the next smaller "
                   "one"},
     &Reducer::fewerIds,
     false},
    {{"small-trees", "small trees of every shape, aimed at the command that "
                     "differs, when every other pass is stuck"},
     &Reducer::searchSmallTrees,
     true},
};

Reduction Reducer::run() {
  const auto chosen = [this](const Pass &pass) {
    const std::vector<std::string> &names = options_.passes;
    return names.empty() ||
           std::find(names.begin(), names.end(), pass.name.name) != names.end();
  };
  const auto runPass = [this](const Pass &pass) {
    pass_ = pass.name.name;
    return (this->*pass.run)();
  };
  for (bool changed = true; changed && !exhausted();) {
    changed = false;
    for (const Pass &pass : passes) {
      if (!pass.whenStuck && chosen(pass)) {
        changed = runPass(pass) || changed;
      }
    }
    for (const Pass &pass : passes) {
      if (pass.whenStuck && !changed && chosen(pass)) {
        changed = runPass(pass);
      }
    }
  }
  return {assemble(parts_), std::move(outcome_), runs_, exhausted(),
          std::move(kept_)};
}

} // namespace reduction

std::vector<ReducerPass> reducerPasses() {
  std::vector<ReducerPass> all;
  for (const reduction::Pass &pass : reduction::passes) {
    all.push_back(pass.name);
  }
  return all;
}

Reduction reduce(const Program &program, const ScriptSource &script,
                 Outcome outcome, const ReduceOptions &options) {
  std::string text = script.text;
  if (!script.path.empty()) {
    std::ifstream file(script.path, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(file),
                std::istreambuf_iterator<char>());
  }
  return reduction::Reducer(program, options, std::move(text),
                            std::move(outcome))
      .run();
}

Confirmation confirm(const Program &program, Reduction &reduction,
                     unsigned times) {
  Confirmation confirmation;
  // From the shortest up; a flaky program may need many tries, so at most
  // the 30 shortest are tried.
  const std::size_t tried = std::min<std::size_t>(reduction.kept.size(), 30);
  for (std::size_t k = 0; k < tried; ++k) {
    const std::string &text = reduction.kept[reduction.kept.size() - 1 - k];
    const ScriptSource script{"", text, "", nullptr};
    Outcome last;
    unsigned differed = 0;
    for (unsigned run = 0; run < times; ++run) {
      last = runAndCompare(program, script, reduction::keptOutput);
      differed += last.differs() ? 1 : 0;
      ++confirmation.runs;
    }
    if (k == 0) {
      confirmation.again = differed;
    }
    if (differed == times) {
      confirmation.confirmed = true;
      confirmation.flaky = k > 0;
      if (k > 0) {
        reduction.script = text;
        reduction.outcome = std::move(last);
      }
      return confirmation;
    }
  }
  confirmation.flaky = true;
  return confirmation;
}

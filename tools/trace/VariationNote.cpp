// What a variant did that the program does not, told after the note of the
// step: the tree tells each such place (TreeEvents::Variation); the reader
// and the parser mark the lines and commands they read another way.
#include "Narrator.h"

#include "Text.h"

namespace narrator {

namespace {

using Variation = TreeEvents::Variation;

// What the tree did at the node, in words.
std::string phrase(const TraceRecorder::Varied &varied) {
  std::string node;
  if (varied.node) {
    text::appendRecord(node, *varied.node);
  }
  switch (varied.what) {
  case Variation::lazyDuplicate:
    return "the path above the refused duplicate kept its values, and "
           "nothing rotated";
  case Variation::duplicateRenamed:
    return "the refused duplicate's name was stored in " + node;
  case Variation::singleRotation:
    return "the child of " + node +
           " leans not at all, so the rotation there was a single one";
  case Variation::skippedRotation:
    return "the inner grandchild below " + node +
           " is missing, so it was not rotated";
  case Variation::retraced:
    return node;
  case Variation::staleSuccessorParent:
    return "the successor's parent " + node + " was not recomputed";
  case Variation::leafParentRecomputed:
    return "the removed leaf's parent " + node + " was recomputed";
  case Variation::predecessor:
    return "the in-order predecessor, not the successor, moved into " + node;
  case Variation::silentRemoval:
    return "a removal on an empty tree wrote nothing";
  case Variation::idOrder:
    return "the IDs came in ascending order";
  case Variation::anyNameFound:
    return "a name that begins with no letter was looked for";
  case Variation::realLevelCount:
    return "the level count is the real number of levels";
  case Variation::silentListing:
    return "the listing of an empty tree wrote no line";
  }
  return "";
}

} // namespace

void appendVariation(const ScriptSession::Step &step, const TraceRecorder &did,
                     const Variant &variant, std::string &note) {
  std::string said;
  const auto say = [&said](const std::string &what) {
    said += (said.empty() ? "" : "; ") + what;
  };
  if (step.varied || step.command.varied) {
    say("the line was read as it reads it: " +
        std::string(variant.description));
  }
  std::string retraced;
  for (const TraceRecorder::Varied &varied : did.variations()) {
    if (varied.what == Variation::retraced) {
      retraced += (retraced.empty() ? "" : ", ") + phrase(varied);
    } else {
      say(phrase(varied));
    }
  }
  if (!retraced.empty()) {
    say(std::string("on its way up the removal recomputed ") +
        (variant.policy.retrace == Policy::Retrace::rebalance
             ? "and rebalanced "
             : "") +
        retraced);
  }
  if (!said.empty()) {
    note += "; variant " + std::string(variant.name) + ": " + said;
  }
}

} // namespace narrator

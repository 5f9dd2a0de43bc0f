// One Narration per command: it reads the parsed command, what the
// recorder was told and the tree after the command, and writes nothing but
// the note.
#include "Narrator.h"

#include "Text.h"

#include <algorithm>

namespace narrator {

namespace {

using Kind = Command::Kind;

bool isBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return isCSpace(static_cast<unsigned char>(c));
  });
}

const char *rotationName(TreeEvents::Rotation kind) {
  switch (kind) {
  case TreeEvents::Rotation::left:
    return "left";
  case TreeEvents::Rotation::right:
    return "right";
  case TreeEvents::Rotation::leftRight:
    return "leftRight";
  case TreeEvents::Rotation::rightLeft:
    return "rightLeft";
  }
  return "";
}

void appendRecordOf(std::string &note, const PelixNode *node) {
  text::appendRecord(note, *node);
}

// One command's note, put together from what the recorder was told.
class Narration {
public:
  Narration(const ScriptSession::Step &step, const TraceRecorder &did,
            TreeView tree)
      : step_(step), did_(did), tree_(tree) {}

  std::string insert() const;
  std::string removal() const;
  std::string search() const;
  std::string listing() const;
  std::string levelCount() const;

private:
  void rotations(std::string &note) const;
  void heights(std::string &note) const;
  std::string nothingRemoved() const;
  void removalCase(const TraceRecorder::Removal &removal,
                   std::string &note) const;

  const ScriptSession::Step &step_;
  const TraceRecorder &did_;
  TreeView tree_;
};

std::string Narration::insert() const {
  std::string note;
  if (const PelixNode *present = did_.refused()) {
    note = "the ID ";
    note += present->idText();
    note += " is already present, under the name ";
    text::appendQuoted(note, present->name);
    note += "; nothing was inserted";
    std::string refreshed;
    bool pathRecomputed = false;
    for (const TraceRecorder::Recompute &recompute : did_.recomputes()) {
      if (recompute.why != TreeEvents::Recompute::path) {
        continue;
      }
      pathRecomputed = true;
      if (recompute.oldHeight == recompute.newHeight &&
          recompute.oldBalance == recompute.newBalance) {
        continue;
      }
      refreshed += refreshed.empty() ? "" : ", ";
      text::appendRecord(refreshed, *recompute.node);
      if (recompute.oldHeight != recompute.newHeight) {
        refreshed += " height " + std::to_string(recompute.oldHeight) + " to " +
                     std::to_string(recompute.newHeight);
      }
      if (recompute.oldBalance != recompute.newBalance) {
        refreshed += " balance " + text::signedNumber(recompute.oldBalance) +
                     " to " + text::signedNumber(recompute.newBalance);
      }
    }
    if (pathRecomputed) {
      note +=
          refreshed.empty()
              ? ", and recomputing the path above it changed no stored "
                "value"
              : ", but recomputing the path above it refreshed " + refreshed;
    }
  } else {
    note = "inserted ";
    appendRecordOf(note, did_.linked());
    if (const PelixNode *parent = did_.parent()) {
      // The parent at the time of linking, which a rotation may have moved
      // since: the IDs tell the side.
      note += compareIds(did_.linked()->idText(), *parent) < 0
                  ? " as the left child of "
                  : " as the right child of ";
      appendRecordOf(note, parent);
    } else {
      note += " as the root";
    }
    if (!step_.command.skipped.empty()) {
      note += "; ";
      text::appendQuoted(note, step_.command.skipped);
      note += " after the closing quote was skipped";
    }
  }
  rotations(note);
  heights(note);
  return note;
}

void Narration::rotations(std::string &note) const {
  for (const TraceRecorder::Rotation &rotation : did_.rotations()) {
    const TreeEvents::RotationChoice &choice = rotation.choice;
    note += "; ";
    note += rotationName(choice.kind);
    note += " rotation at ";
    appendRecordOf(note, choice.node);
    note += ": ";
    appendRecordOf(note, choice.rising);
    note += " rose into its place";
    std::string why;
    if (choice.missingGrandchild) {
      why = choice.kind == TreeEvents::Rotation::right
                ? "a single rotation: the left child's stale balance factor "
                  "claims a right child that is gone"
                : "a single rotation: the right child's stale balance factor "
                  "claims a left child that is gone";
    }
    if (choice.nodeFactor != rotation.realNodeFactor) {
      why += why.empty() ? "" : "; ";
      why += "decided on a stale balance factor: stored " +
             text::signedNumber(choice.nodeFactor) + ", real " +
             text::signedNumber(rotation.realNodeFactor);
    }
    if (!why.empty()) {
      note += " (" + why + ")";
    }
  }
}

// The stale values among the nodes the command went through, root first.
void Narration::heights(std::string &note) const {
  // Room kept from note to note: most commands look at a path's worth.
  static std::vector<const PelixNode *> nodes;
  nodes.assign(did_.path().begin(), did_.path().end());
  const std::vector<const PelixNode *> &freed = did_.freed();
  const auto &recomputes = did_.recomputes();
  for (auto r = recomputes.rbegin(); r != recomputes.rend(); ++r) {
    if (std::find(nodes.begin(), nodes.end(), r->node) == nodes.end() &&
        std::find(freed.begin(), freed.end(), r->node) == freed.end()) {
      nodes.push_back(r->node);
    }
  }
  std::string stale;
  for (const PelixNode *node : nodes) {
    const std::int32_t real = did_.realHeight(node);
    const std::int32_t balance = did_.realBalance(*node);
    if (real == node->height && balance == node->balanceFactor) {
      continue;
    }
    stale += stale.empty() ? "" : ", ";
    text::appendRecord(stale, *node);
    if (real != node->height) {
      stale += " height " + std::to_string(node->height) + " (real " +
               std::to_string(real) + ")";
    }
    if (balance != node->balanceFactor) {
      stale += " balance " + text::signedNumber(node->balanceFactor) +
               " (real " + text::signedNumber(balance) + ")";
    }
  }
  if (stale.empty()) {
    return;
  }
  note += "; stale values on its path: " + stale;
  if (did_.staleHeights() != 0) {
    note +=
        "; " +
        text::counted(did_.staleHeights(), "stale height", "stale heights") +
        " in the tree";
  }
}

std::string Narration::removal() const {
  const Command &command = step_.command;
  const auto position = static_cast<std::uint32_t>(command.position);
  std::string note;
  if (command.kind == Kind::removeInOrder && command.position < 0) {
    note = std::to_string(command.position) + " stands for position " +
           std::to_string(position) + "; ";
  }
  const TraceRecorder::Removal *removal = did_.removal();
  if (!removal) {
    return note + nothingRemoved();
  }
  if (command.kind == Kind::removeInOrder) {
    note += "position " + std::to_string(position) + " holds " +
            removal->record + "; ";
  }
  note += "removed " + removal->record;
  removalCase(*removal, note);
  rotations(note); // only a variant's removal rotates
  for (const PelixNode *node : did_.path()) {
    if (node->balanceFactor > 1 || node->balanceFactor < -1) {
      note += "; ";
      appendRecordOf(note, node);
      note += " stores a balance factor of " +
              text::signedNumber(node->balanceFactor) +
              ", and no rotation follows a removal";
    }
  }
  heights(note);
  return note;
}

// Why a removal found no record to remove.
std::string Narration::nothingRemoved() const {
  const Command &command = step_.command;
  const std::uint32_t records = tree_.records();
  if (records == 0) {
    return "the tree is empty";
  }
  if (command.kind == Kind::removeInOrder) {
    return "no record has position " +
           std::to_string(static_cast<std::uint32_t>(command.position)) +
           ": the tree holds " +
           text::counted(records, "record, at position 0",
                         "records, at positions 0 to " +
                             std::to_string(records - 1));
  }
  return "no record has the ID " + std::string(command.id);
}

// Which record took the removed one's place, and what was recomputed.
void Narration::removalCase(const TraceRecorder::Removal &removal,
                            std::string &note) const {
  using Removal = TreeEvents::Removal;
  switch (removal.kind) {
  case Removal::leaf:
    note += did_.variations().empty()
                ? ", a leaf: its node was freed and its parent was not "
                  "recomputed"
                : ", a leaf: its node was freed";
    break;
  case Removal::onlyLeftChild:
  case Removal::onlyRightChild:
    note += ": its only child ";
    appendRecordOf(note, removal.into);
    note += " moved into its node with the child's links, and the child's "
            "node was freed";
    break;
  case Removal::successorIsRightChild:
  case Removal::farSuccessor:
    note += ": its in-order successor ";
    appendRecordOf(note, removal.into);
    note += " moved into its node, and the successor's node was freed";
    break;
  case Removal::predecessorIsLeftChild:
  case Removal::farPredecessor:
    note += ": its in-order predecessor ";
    appendRecordOf(note, removal.into);
    note += " moved into its node, and the predecessor's node was freed";
    break;
  }
  if (removal.successorParent &&
      !did_.varied(TreeEvents::Variation::staleSuccessorParent)) {
    note += removal.kind == Removal::farPredecessor
                ? "; the predecessor's parent "
                : "; the successor's parent ";
    appendRecordOf(note, removal.successorParent);
    note += " was recomputed";
  }
}

std::string Narration::search() const {
  const Command &command = step_.command;
  std::string note;
  if (command.kind == Kind::searchId) {
    std::uint32_t level = 0;
    const PelixNode *found =
        tree_.descend(command.id, [&level](const PelixNode *) { ++level; });
    if (!found) {
      return tree_.records() == 0
                 ? "the tree is empty"
                 : "no record has the ID " + std::string(command.id);
    }
    note = "found ";
    appendRecordOf(note, found);
    note += " on level " + std::to_string(level);
    return note;
  }
  const std::string_view name = command.name;
  if (!isFindableName(name)) {
    note = name.empty() ? "the name is empty" : "the name begins with a space";
    note += ", and a name search finds only names that begin with a letter";
  } else if (did_.matches() == 0) {
    note = tree_.records() == 0 ? "the tree is empty" : "no record is named ";
    if (tree_.records() != 0) {
      text::appendQuoted(note, name);
    }
  } else {
    note =
        text::counted(did_.matches(), "record is", "records are") + " named ";
    text::appendQuoted(note, name);
    note += did_.matches() == 1 ? "" : "; their IDs come in pre-order";
  }
  if (!command.skipped.empty()) {
    note += "; ";
    text::appendQuoted(note, command.skipped);
    note += " after the closing quote was ignored";
  }
  if (unclosed(command.name, step_.text)) {
    note += "; the closing quote is missing, so the name runs to the end "
            "of the line";
  }
  return note;
}

std::string Narration::listing() const {
  const std::uint32_t records = tree_.records();
  if (records == 0) {
    return "the tree is empty, so the listing is an empty line";
  }
  if (records == 1 && tree_.root()->name.empty()) {
    return "one record, whose name is empty: the listing is an empty line, "
           "as for an empty tree";
  }
  std::string note = text::counted(records, "name", "names");
  switch (step_.command.kind) {
  case Kind::printInOrder:
    return note + " in in-order: by ascending ID";
  case Kind::printPreOrder:
    return note + " in pre-order: each node before its left subtree, then "
                  "its right subtree";
  default:
    return note + " in post-order: each node after its left subtree and "
                  "then its right subtree";
  }
}

std::string Narration::levelCount() const {
  const PelixNode *root = tree_.root();
  if (!root) {
    return "the tree is empty";
  }
  const std::int32_t real = did_.realHeight(root);
  std::string note = "the root's stored height";
  if (real == root->height) {
    return note + ": the tree has " + text::counted(real, "level", "levels");
  }
  return note + " is stale: the tree has " +
         text::counted(real, "level", "levels") +
         ", but removals do not recompute the heights above the nodes they "
         "change";
}

} // namespace

std::string countNote(const ScriptReader &script) {
  using Count = ScriptReader::Count;
  const ScriptLine &line = script.countLine();
  if (script.countVaried() && script.countRule() == Count::noNumber) {
    return "the first line holds no count, and the variant reads the count "
           "from the first line alone, so no command runs";
  }
  if (line.number == 0 ||
      (script.countRule() == Count::noNumber && isBlank(line.text))) {
    return "the input ends before a count, so no command runs";
  }
  switch (script.countRule()) {
  case Count::noNumber:
    return "no count: the first line that is not blank must start with a "
           "number, so no command runs";
  case Count::negative:
    return "a negative count runs no command";
  case Count::tooLarge:
    return "a count above 4294967295 runs no command";
  case Count::read:
    break;
  }
  std::string note =
      text::counted(script.count(), "command follows", "commands follow");
  if (line.number > 1) {
    note +=
        "; the " + text::counted(line.number - 1, "blank line", "blank lines") +
        " before the count " + (line.number == 2 ? "is" : "are") + " skipped";
  }
  const std::string_view rest = line.text.substr(script.countEnd());
  if (!rest.empty()) {
    note += "; the rest of the line, ";
    text::appendQuoted(note, rest);
    note += ", is ignored";
  }
  if (script.byteOrderMark()) {
    note += "; the byte order mark that starts the input is skipped";
  }
  if (script.countVaried()) {
    note += "; the variant wraps a negative count modulo 2^32, where morvavl "
            "runs no command";
  }
  return note;
}

std::string note(const ScriptSession::Step &step, const TraceRecorder &did,
                 TreeView tree, const ScriptReader &script,
                 std::uint64_t linesBefore) {
  if (step.missing) {
    const std::uint64_t lines = linesBefore + script.linesRead();
    return "no line: the input ended after line " + std::to_string(lines) +
           "; a command without a line is refused, as an empty line is";
  }
  const Narration narration(step, did, tree);
  switch (step.command.kind) {
  case Kind::refused:
    return refusalNote(step);
  case Kind::insert:
    return narration.insert();
  case Kind::remove:
  case Kind::removeInOrder:
    return narration.removal();
  case Kind::searchId:
  case Kind::searchName:
    return narration.search();
  case Kind::printInOrder:
  case Kind::printPreOrder:
  case Kind::printPostOrder:
    return narration.listing();
  case Kind::printLevelCount:
    return narration.levelCount();
  }
  return "";
}

} // namespace narrator

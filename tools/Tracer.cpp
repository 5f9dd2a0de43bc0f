#include "Tracer.h"

#include "Text.h"

#include <algorithm>
#include <istream>

namespace {

using Kind = Command::Kind;

bool isBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return isCSpace(static_cast<unsigned char>(c));
  });
}

// Whether a quoted name runs to the end of its line because its closing
// quote is missing: the reader consumes a closing quote after the name.
bool unclosed(std::string_view name, std::string_view line) {
  return !line.empty() &&
         name.data() + name.size() == line.data() + line.size();
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

// What a command word needs after its single space.
const char *argumentsOf(std::string_view word) {
  if (word == "insert") {
    return "a quoted name and an ID";
  }
  if (word == "search") {
    return "an ID or a quoted name";
  }
  if (word == "removeInorder") {
    return "a position";
  }
  return "an ID";
}

void appendRecordOf(std::string &note, const PelixNode *node) {
  text::appendRecord(note, *node);
}

} // namespace

int AnswerCapture::overflow(int c) {
  if (c != traits_type::eof()) {
    text += traits_type::to_char_type(c);
  }
  return 0;
}

std::streamsize AnswerCapture::xsputn(const char *data, std::streamsize size) {
  text.append(data, static_cast<std::size_t>(size));
  return size;
}

TraceSession::TraceSession(std::istream &in)
    : out_(&capture_), tree_(out_, this),
      script_(std::make_unique<ScriptReader>(in)) {}

TraceSession::~TraceSession() = default;

std::int32_t TraceSession::realHeight(const PelixNode *node) const {
  if (!node) {
    return 0;
  }
  const std::int32_t *stale = realOfStale_.find(node);
  return stale ? *stale : node->height;
}

std::int32_t TraceSession::realBalance(const PelixNode &node) const {
  return realHeight(node.leftChild) - realHeight(node.rightChild);
}

bool TraceSession::touched(const PelixNode *node) const {
  return std::find(touched_.begin(), touched_.end(), node) != touched_.end();
}

// ------------------------------------------------------------ the events

void TraceSession::forget() {
  linked_ = parent_ = refused_ = movedInto_ = nullptr;
  awaitingParent_ = removed_ = false;
  movedFromSuccessor_ = false;
  recomputes_.clear();
  rotations_.clear();
  freed_.clear();
  path_.clear();
  touched_.clear();
}

// A node's real height follows from its children's; where it differs from
// the stored one, it is kept.
void TraceSession::updateReal(const PelixNode &node) {
  const std::int32_t real =
      1 + std::max(realHeight(node.leftChild), realHeight(node.rightChild));
  if (real == node.height) {
    realOfStale_.erase(&node);
  } else {
    realOfStale_.set(&node, real);
  }
}

void TraceSession::linked(const PelixNode &node) {
  linked_ = &node;
  awaitingParent_ = true;
  touched_.push_back(&node);
}

void TraceSession::refused(const PelixNode &present) { refused_ = &present; }

// Insertion recomputes its path from the bottom up, and a rotation its
// lower node first: each node's children are final when it is recomputed,
// so its real height can be taken from theirs at once.
void TraceSession::recomputed(const PelixNode &node, std::int32_t oldHeight,
                              std::int32_t oldBalanceFactor) {
  if (awaitingParent_) {
    parent_ = &node;
    awaitingParent_ = false;
  }
  updateReal(node);
  recomputes_.push_back({&node, oldHeight, oldBalanceFactor, node.height,
                         node.balanceFactor, realBalance(node), false});
  touched_.push_back(&node);
}

// The rotation has recomputed the node it rotated at and the child whose
// factor chose it: the values those recomputes replaced are the ones the
// choice read. The real factor at that moment was taken when the path
// recomputed the node, just before.
void TraceSession::rotated(TreeEvents::Rotation kind, const PelixNode &at,
                           const PelixNode &rose) {
  using R = TreeEvents::Rotation;
  const PelixNode *child = &rose;
  if (kind == R::leftRight) {
    child = rose.leftChild;
  } else if (kind == R::rightLeft) {
    child = rose.rightChild;
  }
  // A single rotation recomputes two nodes, a double one four.
  const std::size_t own = kind == R::left || kind == R::right ? 2 : 4;
  for (std::size_t i = recomputes_.size() - own; i < recomputes_.size(); ++i) {
    recomputes_[i].byRotation = true;
  }
  Rotation rotation{kind, &at, &rose, false, false, 0, 0};
  // Newest first: the child's last recompute is the rotation's own.
  const auto childAt =
      std::find_if(recomputes_.rbegin(), recomputes_.rend(),
                   [child](const Recompute &r) { return r.node == child; });
  if (childAt != recomputes_.rend()) {
    const std::int32_t factor = childAt->oldBalance;
    rotation.missingGrandchild =
        (kind == R::right && factor <= 0) || (kind == R::left && factor >= 0);
  }
  // The rotation's recompute of the node, then the path's, just before.
  const auto isAt = [&at](const Recompute &r) { return r.node == &at; };
  const auto inRotation =
      std::find_if(recomputes_.rbegin(), recomputes_.rend(), isAt);
  const auto onPath =
      inRotation == recomputes_.rend()
          ? inRotation
          : std::find_if(inRotation + 1, recomputes_.rend(), isAt);
  if (onPath != recomputes_.rend()) {
    rotation.storedFactor = inRotation->oldBalance;
    rotation.realFactor = onPath->realBalance;
    rotation.decidedOnStale = rotation.storedFactor != rotation.realFactor;
  }
  rotations_.push_back(rotation);
}

void TraceSession::removing(const PelixNode &node) {
  removed_ = true;
  removedRecord_.clear();
  text::appendRecord(removedRecord_, node);
  removedId_ = node.idText();
}

void TraceSession::moving(const PelixNode &, const PelixNode &into) {
  movedInto_ = &into;
  movedFromSuccessor_ = into.leftChild && into.rightChild;
  touched_.push_back(&into);
}

void TraceSession::freeing(const PelixNode &node) {
  freed_.push_back(&node);
  realOfStale_.erase(&node);
}

// Removal recomputes at most two nodes and leaves the rest of its path as
// it was, though the real heights there may have dropped. The deepest node
// it changed is the successor's parent, or the node that took over a
// record, or the removed leaf's place; the real heights of its path are
// recomputed from there up.
void TraceSession::settleRemoval() {
  const PelixNode *deepest = movedInto_;
  for (const Recompute &recompute : recomputes_) {
    if (recompute.node != movedInto_) {
      deepest = recompute.node;
    }
  }
  const std::string_view id =
      deepest ? deepest->idText() : std::string_view(removedId_);
  view().descend(id, [this](const PelixNode *node) { path_.push_back(node); });
  for (auto node = path_.rbegin(); node != path_.rend(); ++node) {
    updateReal(**node);
  }
}

// ------------------------------------------------------------- stepping

bool TraceSession::step(TraceStep &step) {
  if (done_ >= script_->count()) {
    return false;
  }
  forget();
  capture_.text.clear();
  ++done_;
  ScriptLine line;
  inputEnded_ = inputEnded_ || !script_->next(line);
  step.missing = inputEnded_;
  // Numbered as if the script went on where it has no line.
  step.line = script_->countLine().number + done_;
  if (step.missing) {
    step.text = {};
    step.droppedCr = false;
    step.missingAfter = script_->count() - done_;
    step.command = Command{};
    answerMissingLines(tree_, 1);
  } else {
    step.text = line.text;
    step.droppedCr = line.droppedCr;
    step.missingAfter = 0;
    LineStream stream(line.text);
    step.command = parseCommand(stream);
    performCommand(step.command, tree_);
  }
  if (removed_) {
    settleRemoval();
  }
  step.answers.assign(capture_.text);
  step.note.clear();
  if (explaining_) {
    explain(step);
  }
  return true;
}

// ------------------------------------------------------------ the notes

std::string TraceSession::countNote() const {
  using Count = ScriptReader::Count;
  const ScriptLine &line = script_->countLine();
  std::string note;
  if (line.number == 0 ||
      (script_->countRule() == Count::noNumber && isBlank(line.text))) {
    return "the input ends before a count, so no command runs";
  }
  switch (script_->countRule()) {
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
  note = text::counted(script_->count(), "command follows", "commands follow");
  if (line.number > 1) {
    note +=
        "; the " + text::counted(line.number - 1, "blank line", "blank lines") +
        " before the count " + (line.number == 2 ? "is" : "are") + " skipped";
  }
  const std::string_view rest = line.text.substr(script_->countEnd());
  if (!rest.empty()) {
    note += "; the rest of the line, ";
    text::appendQuoted(note, rest);
    note += ", is ignored";
  }
  if (script_->byteOrderMark()) {
    note += "; the byte order mark that starts the input is skipped";
  }
  return note;
}

void TraceSession::explain(TraceStep &step) {
  std::string &note = step.note;
  if (step.missing) {
    note = "no line: the input ended after line " +
           std::to_string(script_->linesRead()) +
           ", and a command without a line is answered as an empty line";
    return;
  }
  const Command &command = step.command;
  switch (command.kind) {
  case Kind::refused:
    explainRefusal(step, note);
    return;
  case Kind::insert:
    explainInsert(command, note);
    return;
  case Kind::remove:
  case Kind::removeInOrder:
    explainRemoval(step, note);
    return;
  case Kind::searchId:
  case Kind::searchName:
    explainSearch(command, note);
    if (command.kind == Kind::searchName && unclosed(command.name, step.text)) {
      note += "; the closing quote is missing, so the name runs to the end "
              "of the line";
    }
    return;
  case Kind::printInOrder:
  case Kind::printPreOrder:
  case Kind::printPostOrder:
    explainListing(command, note);
    return;
  case Kind::printLevelCount:
    explainLevelCount(note);
    return;
  }
}

void TraceSession::explainRefusal(const TraceStep &step,
                                  std::string &note) const {
  const Command &command = step.command;
  const std::string_view offending = command.offending;
  switch (command.rule) {
  case Rule::emptyLine:
    note = "the line is empty, and every line must hold a command";
    return;
  case Rule::leadingSpace:
    note = "the line begins with a space: its command word must come first";
    return;
  case Rule::unknownWord:
    text::appendQuoted(note, offending);
    note += " is not a command word";
    if (offending.find('\t') != std::string_view::npos) {
      note += "; only a space ends a command word";
    }
    return;
  case Rule::wordCase:
    text::appendQuoted(note, offending);
    note += " is not a command word, and command words are case-sensitive: ";
    text::appendQuoted(note, command.meant);
    note += " is one";
    return;
  case Rule::printNotAlone:
    text::appendQuoted(note, command.meant);
    note += " must stand alone on its line, but ";
    text::appendQuoted(note, offending);
    note += " follows it";
    return;
  case Rule::missingArguments:
    text::appendQuoted(note, offending);
    note += " needs ";
    note += argumentsOf(offending);
    note += " after a single space, and nothing follows it";
    return;
  case Rule::quoteNotFirst:
    if (step.text.find('"') == std::string_view::npos) {
      note = "the name must stand in double quotes, and the line has none";
      return;
    }
    note = "the name's opening quote must follow the single space after the "
           "command word, but ";
    text::appendQuoted(note, offending);
    note += " stands before it";
    return;
  case Rule::nameCharacter:
    note = "the name ";
    text::appendQuoted(note, command.name);
    note += " holds ";
    text::appendQuoted(note, offending);
    note += ", and names hold letters and spaces only";
    if (unclosed(command.name, step.text)) {
      note += "; its closing quote is missing, so the name runs to the end "
              "of the line";
    }
    return;
  case Rule::idLength:
    if (offending.empty()) {
      note = "the ID is missing: an ID of exactly 8 digits must end the line";
      if (!command.skipped.empty()) {
        note += ", but ";
        text::appendQuoted(note, command.skipped);
        note += " after the closing quote is skipped up to a space, and "
                "nothing follows";
      }
      return;
    }
    note = "the ID ";
    text::appendQuoted(note, offending);
    note += " has " +
            text::counted(offending.size(), "character", "characters") +
            ", while an ID is exactly 8 digits";
    return;
  case Rule::idCharacter:
    note = "the ID ";
    text::appendQuoted(note, command.id);
    note += " holds ";
    text::appendQuoted(note, offending);
    note += ", while an ID is exactly 8 digits";
    return;
  case Rule::positionNotNumber:
    text::appendQuoted(note, offending);
    note += " is not a number: a position is a decimal integer, after "
            "optional white space and a sign";
    return;
  case Rule::positionOutOfRange:
    text::appendQuoted(note, offending);
    note += " lies outside the signed 32-bit range, -2147483648 to "
            "2147483647";
    return;
  }
}

void TraceSession::explainInsert(const Command &command,
                                 std::string &note) const {
  if (refused_) {
    note = "the ID ";
    note += refused_->idText();
    note += " is already present, under the name ";
    text::appendQuoted(note, refused_->name);
    note += "; nothing was inserted";
    std::string refreshed;
    for (const Recompute &recompute : recomputes_) {
      if (recompute.byRotation ||
          (recompute.oldHeight == recompute.newHeight &&
           recompute.oldBalance == recompute.newBalance)) {
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
    if (!recomputes_.empty()) {
      note +=
          refreshed.empty()
              ? ", and recomputing the path above it changed no stored "
                "value"
              : ", but recomputing the path above it refreshed " + refreshed;
    }
  } else {
    note = "inserted ";
    appendRecordOf(note, linked_);
    if (!parent_) {
      note += " as the root";
    } else {
      note += compareIds(linked_->idText(), *parent_) < 0
                  ? " as the left child of "
                  : " as the right child of ";
      appendRecordOf(note, parent_);
    }
    if (!command.skipped.empty()) {
      note += "; ";
      text::appendQuoted(note, command.skipped);
      note += " after the closing quote was skipped";
    }
  }
  explainRotations(note);
  explainHeights(note);
}

void TraceSession::explainRotations(std::string &note) const {
  for (const Rotation &rotation : rotations_) {
    note += "; ";
    note += rotationName(rotation.kind);
    note += " rotation at ";
    appendRecordOf(note, rotation.at);
    note += ": ";
    appendRecordOf(note, rotation.rose);
    note += " rose into its place";
    std::string why;
    if (rotation.missingGrandchild) {
      why = rotation.kind == TreeEvents::Rotation::right
                ? "a single rotation: the left child's stale balance factor "
                  "claims a right child that is gone"
                : "a single rotation: the right child's stale balance factor "
                  "claims a left child that is gone";
    }
    if (rotation.decidedOnStale) {
      why += why.empty() ? "" : "; ";
      why += "decided on a stale balance factor: stored " +
             text::signedNumber(rotation.storedFactor) + ", real " +
             text::signedNumber(rotation.realFactor);
    }
    if (!why.empty()) {
      note += " (" + why + ")";
    }
  }
}

// The stale values among the nodes the command went through, root first.
void TraceSession::explainHeights(std::string &note) const {
  std::vector<const PelixNode *> &nodes = checked_;
  nodes.assign(path_.begin(), path_.end());
  for (auto r = recomputes_.rbegin(); r != recomputes_.rend(); ++r) {
    if (std::find(nodes.begin(), nodes.end(), r->node) == nodes.end() &&
        std::find(freed_.begin(), freed_.end(), r->node) == freed_.end()) {
      nodes.push_back(r->node);
    }
  }
  std::string stale;
  for (const PelixNode *node : nodes) {
    const std::int32_t real = realHeight(node);
    const std::int32_t balance = realBalance(*node);
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
  if (!realOfStale_.empty()) {
    note +=
        "; " +
        text::counted(realOfStale_.size(), "stale height", "stale heights") +
        " in the tree";
  }
}

void TraceSession::explainRemoval(const TraceStep &step,
                                  std::string &note) const {
  const Command &command = step.command;
  const bool byPosition = command.kind == Kind::removeInOrder;
  const auto position = static_cast<std::uint32_t>(command.position);
  if (byPosition && command.position < 0) {
    note = std::to_string(command.position) + " stands for position " +
           std::to_string(position) + "; ";
  }
  if (!removed_) {
    const std::uint32_t records = view().records();
    if (records == 0) {
      note += "the tree is empty";
    } else if (byPosition) {
      note += "no record has position " + std::to_string(position) +
              ": the tree holds " +
              text::counted(records, "record, at position 0",
                            "records, at positions 0 to " +
                                std::to_string(records - 1));
    } else {
      note += "no record has the ID " + std::string(command.id);
    }
    return;
  }
  if (byPosition) {
    note += "position " + std::to_string(position) + " holds " +
            removedRecord_ + "; ";
  }
  note += "removed " + removedRecord_;
  if (!movedInto_) {
    note += ", a leaf: its node was freed and its parent was not recomputed";
  } else if (movedFromSuccessor_) {
    note += ": its in-order successor ";
    appendRecordOf(note, movedInto_);
    note += " moved into its node, and the successor's node was freed";
  } else {
    note += ": its only child ";
    appendRecordOf(note, movedInto_);
    note += " moved into its node with the child's links, and the child's "
            "node was freed";
  }
  for (const Recompute &recompute : recomputes_) {
    if (recompute.node != movedInto_) {
      note += "; the successor's parent ";
      appendRecordOf(note, recompute.node);
      note += " was recomputed";
    }
  }
  for (const PelixNode *node : path_) {
    if (node->balanceFactor > 1 || node->balanceFactor < -1) {
      note += "; ";
      appendRecordOf(note, node);
      note += " stores a balance factor of " +
              text::signedNumber(node->balanceFactor) +
              ", and no rotation follows a removal";
    }
  }
  explainHeights(note);
}

void TraceSession::explainSearch(const Command &command,
                                 std::string &note) const {
  if (command.kind == Kind::searchId) {
    std::uint32_t level = 0;
    const PelixNode *found =
        view().descend(command.id, [&level](const PelixNode *) { ++level; });
    if (!found) {
      note = view().records() == 0
                 ? "the tree is empty"
                 : "no record has the ID " + std::string(command.id);
      return;
    }
    note = "found ";
    appendRecordOf(note, found);
    note += " on level " + std::to_string(level);
    return;
  }
  const std::string_view name = command.name;
  if (name.empty() || name.front() == ' ') {
    note = name.empty() ? "the name is empty" : "the name begins with a space";
    note += ", and a name search finds only names that begin with a letter";
  } else if (capture_.text == "unsuccessful\n") {
    note = view().records() == 0 ? "the tree is empty" : "no record is named ";
    if (view().records() != 0) {
      text::appendQuoted(note, name);
    }
  } else {
    const auto matches = static_cast<std::uint64_t>(
        std::count(capture_.text.begin(), capture_.text.end(), '\n'));
    note = text::counted(matches, "record is", "records are") + " named ";
    text::appendQuoted(note, name);
    note += matches == 1 ? "" : "; their IDs come in pre-order";
  }
  if (!command.skipped.empty()) {
    note += "; ";
    text::appendQuoted(note, command.skipped);
    note += " after the closing quote was ignored";
  }
}

void TraceSession::explainListing(const Command &command,
                                  std::string &note) const {
  const std::uint32_t records = view().records();
  if (records == 0) {
    note = "the tree is empty, so the listing is an empty line";
    return;
  }
  if (records == 1 && view().root()->name.empty()) {
    note = "one record, whose name is empty: the listing is an empty line, "
           "as for an empty tree";
    return;
  }
  note = text::counted(records, "name", "names");
  if (command.kind == Kind::printInOrder) {
    note += " in in-order: by ascending ID";
  } else if (command.kind == Kind::printPreOrder) {
    note += " in pre-order: each node before its left subtree, then its "
            "right subtree";
  } else {
    note += " in post-order: each node after its left subtree and then its "
            "right subtree";
  }
}

void TraceSession::explainLevelCount(std::string &note) const {
  const PelixNode *root = view().root();
  if (!root) {
    note = "the tree is empty";
    return;
  }
  const std::int32_t real = realHeight(root);
  note = "the root's stored height";
  if (real == root->height) {
    note += ": the tree has " + text::counted(real, "level", "levels");
    return;
  }
  note += " is stale: the tree has " + text::counted(real, "level", "levels") +
          ", but removals do not recompute the heights above the nodes they "
          "change";
}

// Each sub-step is added as its event comes, with the drawing of that
// moment: the tree's links are whole at every event it is added at (a
// rotation is drawn once it is done, when the tree says so).
#include "SubSteps.h"

#include "Narrator.h"
#include "Text.h"

#include <algorithm>

namespace {

using Kind = Command::Kind;

// The rule of docs/behaviour.md that a refused line breaks.
std::string ruleOfRefusal(const Command &command) {
  switch (command.rule) {
  case Rule::idLength:
  case Rule::idCharacter:
    return "rule-2-an-id";
  case Rule::nameCharacter:
    return "rule-2-a-name";
  case Rule::quoteNotFirst:
    return "rule-2-a-quoted-name";
  case Rule::positionNotNumber:
  case Rule::positionOutOfRange:
  case Rule::positionNotWhole:
    return "rule-2-removeinorder";
  case Rule::textAfterQuote:
    return "rule-2-insert";
  default:
    return "rule-2-the-command-word";
  }
}

void appendStrings(std::string &out, const std::vector<std::string> &items) {
  out += "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    out += i ? "," : "";
    text::appendJson(out, items[i]);
  }
  out += "]";
}

} // namespace

std::string SubSteps::record(const PelixNode *node) const {
  std::string out;
  text::appendRecord(out, *node);
  return out;
}

void SubSteps::interest(const PelixNode *node) {
  if (node &&
      std::find(interest_.begin(), interest_.end(), node) == interest_.end()) {
    interest_.push_back(node);
  }
}

void SubSteps::mark(const PelixNode *node, char mark) {
  if (!node) {
    return;
  }
  std::string &marks = marks_[keys_.of(node)];
  // The one compared now: the ones before stay on the path.
  if (mark == 'c') {
    for (auto &[key, other] : marks_) {
      std::replace(other.begin(), other.end(), 'c', 'p');
    }
  }
  if (marks.find(mark) == std::string::npos) {
    marks += mark;
  }
}

void SubSteps::add(const std::string &kind, const std::string &text,
                   const Reading &reading, const std::string &extra) {
  std::string step = "{\"kind\":\"" + kind + "\",\"text\":";
  text::appendJson(step, text);
  step += ",\"rule\":\"" + reading.rule + "\",\"read\":";
  appendStrings(step, reading.read);
  step += ",\"taken\":" + std::to_string(reading.taken) + extra;
  // The drawing, as the nodes that changed since the sub-step before.
  const std::vector<DrawnNode> drawn = drawPageTree(
      session_.view(), session_.recorder(), keys_, options_, interest_, marks_);
  std::unordered_map<std::string, std::string> now;
  step += ",\"nodes\":[";
  bool first = true;
  for (const DrawnNode &node : drawn) {
    const auto before = drawn_.find(node.key);
    if (before == drawn_.end() || before->second != node.json) {
      step += (first ? "" : ",") + node.json;
      first = false;
    }
    now.emplace(node.key, node.json);
  }
  step += "],\"gone\":[";
  first = true;
  for (const auto &[key, json] : drawn_) {
    if (!now.count(key)) {
      step += (first ? "\"" : ",\"") + key + "\"";
      first = false;
    }
  }
  step += "]}";
  drawn_ = std::move(now);
  steps_.push_back(std::move(step));
}

void SubSteps::begin(const Command &command, bool missing) {
  command_ = command;
  if (!missing) {
    descent(command);
  }
}

// The path a command's search takes, read through the view before the
// command runs: each comparison, down to the node or the empty link.
void SubSteps::descent(const Command &command) {
  const TreeView view = session_.view();
  std::string id(command.id);
  if (command.kind == Kind::removeInOrder) {
    auto position = static_cast<std::uint32_t>(command.position);
    const PelixNode *node = view.root();
    if (position >= view.records()) {
      return; // the removal's own note says why nothing has that position
    }
    while (node) { // by the counts of records below each node
      const std::uint32_t before = PelixNode::recordsOf(node->leftChild);
      if (position == before) {
        break;
      }
      node = position < before ? node->leftChild
                               : (position -= before + 1, node->rightChild);
    }
    id = std::string(node->idText());
    add("position",
        "position " + std::to_string(command.position) + " in ID order holds " +
            record(node) + ": it is removed as remove " + id + " would",
        {"rule-4-removeinorder-n", {"N is below the number of records"}, 0});
  } else if (command.kind != Kind::insert && command.kind != Kind::remove &&
             command.kind != Kind::searchId) {
    return;
  }
  for (const PelixNode *node = view.root(); node;) {
    interest(node);
    mark(node, 'c');
    const int order = compareIds(id, *node);
    const PelixNode *next = order < 0 ? node->leftChild : node->rightChild;
    std::string said = id +
                       (order < 0   ? " < "
                        : order > 0 ? " > "
                                    : " = ") +
                       record(node);
    said += order == 0  ? ": this node holds the ID"
            : next      ? order < 0 ? ": go left" : ": go right"
            : order < 0 ? ": no left child there"
                        : ": no right child there";
    add("compare", said,
        {command.kind == Kind::insert     ? "rule-3-inserting"
         : command.kind == Kind::searchId ? "rule-5-search-id"
                                          : "rule-4-remove-id",
         {said},
         0});
    if (order == 0) {
      return;
    }
    node = next;
  }
}

void SubSteps::linked(const PelixNode &node, const PelixNode *parent) {
  interest(&node);
  mark(&node, 'n');
  add("link",
      "a new node for " + record(&node) +
          (parent ? (compareIds(node.idText(), *parent) < 0
                         ? " as the left child of "
                         : " as the right child of ") +
                        record(parent)
                  : std::string(" as the root")) +
          ": successful",
      {"rule-3-inserting",
       {"the link is empty: a new node goes there, height 1, balance factor 0",
        "whatever happened below, each node above is recomputed and "
        "rebalanced"},
       0});
}

void SubSteps::refused(const PelixNode &present) {
  mark(&present, 'd');
  add("refuse",
      "the ID is present in " + record(&present) +
          ": unsuccessful, the stored name stays",
      {"rule-3-inserting",
       {"the IDs are equal: unsuccessful, and this node is left as it is",
        "whatever happened below, each node above is recomputed and "
        "rebalanced"},
       0});
}

void SubSteps::removing(const RemovalChoice &choice) {
  using Removal = TreeEvents::Removal;
  interest(choice.node);
  interest(choice.taken);
  interest(choice.successorParent);
  mark(choice.node, 'c');
  std::string said = record(choice.node);
  switch (choice.kind) {
  case Removal::leaf:
    said += " has no child: its node goes, and nothing is recomputed";
    break;
  case Removal::onlyLeftChild:
  case Removal::onlyRightChild:
    said += " has one child, " + record(choice.taken) +
            ": that child's record and links move up";
    break;
  case Removal::successorIsRightChild:
  case Removal::predecessorIsLeftChild:
    said += " has two children; " + record(choice.taken) +
            ", next in order, has no child on that side: its record moves up";
    break;
  case Removal::farSuccessor:
  case Removal::farPredecessor:
    said += " has two children: the next record in order is further down";
    break;
  }
  add("remove-case", "successful: " + said,
      {"rule-4-remove-id",
       {"the answer, successful, is written first", said},
       1});
  if (choice.kind == Removal::farSuccessor) {
    std::string walk;
    for (const PelixNode *at = choice.node->rightChild; at;
         at = at->leftChild) {
      walk += (walk.empty() ? "" : ", ") + record(at);
      mark(at, 'w');
    }
    add("successor-walk",
        "from the right child along left links: " + walk +
            "; the last has no left child, and its parent is " +
            record(choice.successorParent),
        {"rule-4-remove-id", {"walk from r along left links to s"}, 0});
  }
  movingInto_ = choice.kind == Removal::leaf ? nullptr : choice.node;
  movingFrom_ = choice.taken;
}

// The record has moved by the first event after the removal's choice.
void SubSteps::movedRecord() {
  if (!movingInto_) {
    return;
  }
  mark(movingInto_, 'm');
  add("move-record",
      "the node takes over " + record(movingInto_) + " from its old node",
      {"rule-4-remove-id", {"n takes the other node's ID and name"}, 0});
  movingInto_ = nullptr;
}

void SubSteps::freeing(const PelixNode &node) {
  movedRecord();
  mark(&node, 'f');
  add("free", "the node that held " + std::string(node.idText()) + " is freed",
      {"rule-4-remove-id", {"the node is discarded"}, 0});
  const std::int32_t key = keys_.of(&node);
  marks_.erase(key);
  interest_.erase(std::remove(interest_.begin(), interest_.end(), &node),
                  interest_.end());
  keys_.forget(&node);
}

void SubSteps::searched(std::uint64_t matches) {
  const bool byName = command_.kind == Kind::searchName;
  add("search",
      matches == 0 ? "nothing matched: unsuccessful"
                   : text::counted(matches, "record", "records") + " written" +
                         (byName ? ", in pre-order" : ""),
      {byName ? "rule-5-search-name" : "rule-5-search-id",
       {byName ? "every record with exactly that name, in pre-order"
               : "the name of the record with that ID"},
       0});
}

void SubSteps::end(const TraceStep &step) {
  const TraceRecorder &did = session_.recorder();
  switch (step.missing ? Kind::refused : step.command.kind) {
  case Kind::refused:
    add(step.missing ? "missing" : "refused-line", step.note,
        {step.missing ? "rule-1-end-of-input" : ruleOfRefusal(step.command),
         {"unsuccessful"},
         0});
    break;
  case Kind::printInOrder:
  case Kind::printPreOrder:
  case Kind::printPostOrder:
    add("listing", step.note,
        {"rule-5-printinorder-printpreorder-printpostorder", {}, 0});
    break;
  case Kind::printLevelCount: {
    const PelixNode *root = session_.view().root();
    mark(root, root && did.realHeight(root) != root->height ? 'x' : 't');
    add("level-count", step.note,
        {"rule-5-printlevelcount",
         {"the root's stored height: " +
          std::to_string(PelixNode::heightOf(root))},
         0});
    break;
  }
  default:
    break;
  }
  // What the command left stale, on its path.
  std::string stale;
  for (const PelixNode *node : did.path()) {
    if (did.realHeight(node) != node->height ||
        did.realBalance(*node) != node->balanceFactor) {
      mark(node, 'x');
      stale += (stale.empty() ? "" : ", ") + record(node);
    }
  }
  if (!stale.empty()) {
    add("stale",
        "left stale: " + stale +
            "; no node above the change is recomputed, and nothing rotates",
        {"rule-4-remove-id",
         {"no other node is recomputed and nothing rotates"},
         0});
  }
  // The command's own marks stay on the drawing after it.
  for (auto &[key, marks] : marks_) {
    marks.erase(std::remove_if(marks.begin(), marks.end(),
                               [](char mark) {
                                 return std::string_view("trmnx").find(mark) ==
                                        std::string_view::npos;
                               }),
                marks.end());
  }
  std::string answers(step.answers);
  std::replace(answers.begin(), answers.end(), '\n', ' ');
  add("done",
      "done: " +
          (answers.size() > 120 ? answers.substr(0, 119) + "…" : answers),
      {"", {}, 0});
}

std::string SubSteps::json() const {
  std::string out =
      "\"firstRotation\":\"" + firstRotation_ + "\",\"substeps\":[";
  for (std::size_t i = 0; i < steps_.size(); ++i) {
    out += (i ? "," : "") + steps_[i];
  }
  return out + "]";
}

// The log is three flat arrays: the steps, the changes (node number, then
// its eight values, or -1 for a node freed) and the marks. A view keeps
// its own copy of every node's values and replays the changes onto it.
#include "StepLog.h"

#include "Text.h"

#include <algorithm>
#include <array>

namespace {

void appendField(std::string &out, const char *name, std::int64_t value) {
  out += ",\"";
  out += name;
  out += "\":";
  out += std::to_string(value);
}

std::string idText(std::int32_t id) {
  std::string text = std::to_string(id);
  return std::string(8 - std::min<std::size_t>(8, text.size()), '0') + text;
}

} // namespace

std::int32_t StepLog::numberOf(const PelixNode *node) const {
  const std::int32_t *number = node ? numbers_.find(node) : nullptr;
  return number ? *number : -1;
}

std::int32_t StepLog::nameOf(const std::string &name) {
  const auto found = nameNumbers_.find(name);
  if (found != nameNumbers_.end()) {
    return found->second;
  }
  names_.push_back(name);
  return nameNumbers_[name] = static_cast<std::int32_t>(names_.size() - 1);
}

// A node that still holds the same ID mostly still holds the same name:
// then its name's number is kept without looking the name up again.
StepLog::Node StepLog::valuesOf(const PelixNode &node, const TraceRecorder &did,
                                const Node &logged) {
  Node values;
  values.id = 0;
  for (const char digit : node.idText()) {
    values.id = values.id * 10 + (digit - '0');
  }
  values.name =
      values.id == logged.id &&
              names_[static_cast<std::size_t>(logged.name)] == node.name
          ? logged.name
          : nameOf(node.name);
  values.height = node.height;
  values.balance = node.balanceFactor;
  values.records = static_cast<std::int32_t>(node.records);
  values.real = did.realHeight(&node);
  values.left = numberOf(node.leftChild);
  values.right = numberOf(node.rightChild);
  return values;
}

void StepLog::mark(Mark kind, std::int32_t number) {
  if (number >= 0) {
    marks_.push_back(kind);
    marks_.push_back(number);
  }
}

void StepLog::record(const TraceStep &step, const TraceRecorder &did,
                     TreeView tree, std::uint64_t answersAt) {
  Step entry = entryOf(step, answersAt);
  numberNodes(did);
  logChanges(did);
  markDecisions(did);
  entry.root = numberOf(tree.root());
  steps_.push_back(entry);
}

// The step's line, note and answers' place; its changes and marks follow.
StepLog::Step StepLog::entryOf(const TraceStep &step, std::uint64_t answersAt) {
  Step entry{};
  entry.line = step.line;
  entry.missing = step.missing;
  entry.droppedCr = step.droppedCr;
  entry.missingAfter = step.missingAfter;
  entry.answersAt = answersAt;
  entry.answersSize = static_cast<std::uint32_t>(step.answers.size());
  entry.textAt = static_cast<std::uint32_t>(texts_.size());
  text::appendEscaped(texts_, step.text);
  entry.textSize = static_cast<std::uint32_t>(texts_.size() - entry.textAt);
  entry.noteAt = static_cast<std::uint32_t>(texts_.size());
  texts_ += step.note;
  entry.noteSize = static_cast<std::uint32_t>(texts_.size() - entry.noteAt);
  entry.changesAt = static_cast<std::uint32_t>(changes_.size());
  entry.marksAt = static_cast<std::uint32_t>(marks_.size());
  return entry;
}

// A freed node loses its number; a linked one gets the next.
void StepLog::numberNodes(const TraceRecorder &did) {
  const TraceRecorder::Removal *removal = did.removal();
  for (const PelixNode *freed : did.freed()) {
    const std::int32_t number = numberOf(freed);
    if (number < 0) {
      continue;
    }
    changes_.push_back(number);
    changes_.push_back(-1);
    logged_[static_cast<std::size_t>(number)].id = -1;
    numbers_.erase(freed);
    if (removal && removal->into) {
      mark(movedFrom, number);
    }
  }
  if (const PelixNode *node = did.linked()) {
    const auto number = static_cast<std::int32_t>(logged_.size());
    numbers_.set(node, number);
    logged_.emplace_back();
    mark(linked, number);
  }
}

// The nodes the step may have changed: those the tree told of, and those
// whose counts a removal lowered along its path. Only values that changed
// are logged.
void StepLog::logChanges(const TraceRecorder &did) {
  const auto update = [&](const PelixNode *node) {
    const std::int32_t number = numberOf(node);
    if (number < 0) {
      return;
    }
    Node &logged = logged_[static_cast<std::size_t>(number)];
    const Node values = valuesOf(*node, did, logged);
    const std::array<std::int32_t, fields> now = fieldsOf(values);
    if (now == fieldsOf(logged)) {
      return;
    }
    logged = values;
    changes_.push_back(number);
    changes_.insert(changes_.end(), now.begin(), now.end());
  };
  for (const PelixNode *node : did.touchedNodes()) {
    update(node);
    mark(touched, numberOf(node));
  }
  for (const PelixNode *node : did.path()) {
    update(node);
  }
}

void StepLog::markDecisions(const TraceRecorder &did) {
  for (const TraceRecorder::Rotation &rotation : did.rotations()) {
    mark(rose, numberOf(rotation.choice.rising));
  }
  const TraceRecorder::Removal *removal = did.removal();
  if (removal && removal->into) {
    mark(movedInto, numberOf(removal->into));
  }
}

std::uint32_t StepLog::stepOfCommand(std::uint64_t command) const {
  if (command < steps_.size()) {
    return static_cast<std::uint32_t>(command + 1);
  }
  return !steps_.empty() && steps_.back().missing
             ? static_cast<std::uint32_t>(steps_.size())
             : 0;
}

void StepLog::apply(const Step &step) {
  const std::size_t index = static_cast<std::size_t>(&step - steps_.data());
  const std::size_t end =
      index + 1 < steps_.size() ? steps_[index + 1].changesAt : changes_.size();
  for (std::size_t at = step.changesAt; at < end;) {
    const auto number = static_cast<std::size_t>(changes_[at++]);
    if (number >= view_.size()) {
      view_.resize(number + 1);
    }
    Node &node = view_[number];
    if (changes_[at] == -1) {
      node.id = -1;
      ++at;
      continue;
    }
    node = {changes_[at],     changes_[at + 1], changes_[at + 2],
            changes_[at + 3], changes_[at + 4], changes_[at + 5],
            changes_[at + 6], changes_[at + 7]};
    at += fields;
  }
}

void StepLog::goTo(std::uint32_t step) {
  if (step < viewStep_) {
    view_.clear();
    viewStep_ = 0;
  }
  for (; viewStep_ < step; ++viewStep_) {
    apply(steps_[viewStep_]);
  }
}

// The step's own fields: its line, note and where its answers stand.
void StepLog::appendEntry(const Step &entry, std::string &out) const {
  appendField(out, "line", static_cast<std::int64_t>(entry.line));
  out += ",\"text\":";
  text::appendJson(
      out, std::string_view(texts_).substr(entry.textAt, entry.textSize));
  out += ",\"note\":";
  text::appendJson(
      out, std::string_view(texts_).substr(entry.noteAt, entry.noteSize));
  out += entry.missing ? ",\"missing\":true" : ",\"missing\":false";
  out += entry.droppedCr ? ",\"droppedCr\":true" : ",\"droppedCr\":false";
  appendField(out, "missingAfter",
              static_cast<std::int64_t>(entry.missingAfter));
  appendField(out, "answersAt", static_cast<std::int64_t>(entry.answersAt));
  appendField(out, "answersSize", entry.answersSize);
}

// The nodes drawn, in-order, so that x is the position in ID order among
// what is drawn. A node at level `limit` is drawn without its subtree,
// which is summed up beside it, unless it was expanded: then `depth` more
// levels follow.
struct StepLog::Drawing {
  const StepLog &log;
  std::uint32_t depth;
  const std::vector<std::int32_t> &expanded;
  const std::vector<std::pair<std::int32_t, std::int32_t>> &marks;
  std::string nodes;
  std::string more;
  std::int32_t x = 0;

  std::int32_t realOf(std::int32_t number) const {
    return number < 0 ? 0 : log.view_[static_cast<std::size_t>(number)].real;
  }

  void walk(std::int32_t number, std::uint32_t level, std::uint32_t limit,
            std::int32_t parent) {
    if (number < 0) {
      return;
    }
    const Node &node = log.view_[static_cast<std::size_t>(number)];
    const bool children = node.left >= 0 || node.right >= 0;
    bool open = depth == 0 || level < limit;
    if (!open && children &&
        std::find(expanded.begin(), expanded.end(), number) != expanded.end()) {
      limit += depth;
      open = true;
    }
    if (open) {
      walk(node.left, level + 1, limit, number);
    }
    drawNode(number, node, level, parent);
    if (open) {
      walk(node.right, level + 1, limit, number);
    } else if (children) {
      more += more.empty() ? "{" : ",{";
      more += "\"key\":" + std::to_string(number);
      appendField(more, "records", node.records - 1);
      appendField(more, "x", x++);
      appendField(more, "depth", level + 1);
      more += "}";
    }
  }

  void drawNode(std::int32_t number, const Node &node, std::uint32_t level,
                std::int32_t parent) {
    nodes += nodes.empty() ? "{" : ",{";
    nodes += "\"key\":" + std::to_string(number);
    nodes += ",\"id\":";
    text::appendJson(nodes, idText(node.id));
    nodes += ",\"name\":";
    text::appendJson(nodes, log.names_[static_cast<std::size_t>(node.name)]);
    appendField(nodes, "height", node.height);
    appendField(nodes, "balance", node.balance);
    appendField(nodes, "records", node.records);
    appendField(nodes, "real", node.real);
    appendField(nodes, "realBalance", realOf(node.left) - realOf(node.right));
    appendField(nodes, "x", x++);
    appendField(nodes, "depth", level);
    appendField(nodes, "parent", parent);
    nodes += ",\"marks\":\"";
    for (const auto &[marked, kind] : marks) {
      if (marked == number) {
        nodes += "trmfn"[kind];
      }
    }
    nodes += "\"}";
  }
};

std::string StepLog::view(std::uint32_t step, std::uint32_t depth,
                          const std::vector<std::int32_t> &expanded) {
  step =
      std::min<std::uint32_t>(step, static_cast<std::uint32_t>(steps_.size()));
  goTo(step);
  std::string out = "{\"step\":" + std::to_string(step);
  std::vector<std::pair<std::int32_t, std::int32_t>> marks; // node, mark
  std::int32_t root = -1;
  if (step > 0) {
    const Step &entry = steps_[step - 1];
    appendEntry(entry, out);
    const std::size_t end =
        step < steps_.size() ? steps_[step].marksAt : marks_.size();
    for (std::size_t at = entry.marksAt; at < end; at += 2) {
      marks.emplace_back(marks_[at + 1], marks_[at]);
    }
    root = entry.root;
  }
  Drawing drawing{*this, depth, expanded, marks, "", "", 0};
  drawing.walk(root, 1, depth, -1);
  out += ",\"nodes\":[" + drawing.nodes + "],\"more\":[" + drawing.more + "]";
  std::string moved;
  for (const auto &[marked, kind] : marks) {
    if (kind == movedFrom || kind == movedInto) {
      appendField(moved, kind == movedFrom ? "from" : "into", marked);
    }
  }
  out += ",\"moved\":{" + (moved.empty() ? "" : moved.substr(1)) + "}}";
  return out;
}

// The sub-steps of rebalancing: each node recomputed on the way up, and
// each rotation, a double one in its two halves, with the stored values
// that chose it.
#include "SubSteps.h"

#include "Text.h"

#include <algorithm>

namespace {

const char *rotationKind(TreeEvents::Rotation kind) {
  switch (kind) {
  case TreeEvents::Rotation::left:
    return "left";
  case TreeEvents::Rotation::right:
    return "right";
  case TreeEvents::Rotation::leftRight:
    return "left-right";
  case TreeEvents::Rotation::rightLeft:
    return "right-left";
  }
  return "";
}

bool isDouble(TreeEvents::Rotation kind) {
  return kind == TreeEvents::Rotation::leftRight ||
         kind == TreeEvents::Rotation::rightLeft;
}

} // namespace

using text::signedNumber;

void SubSteps::recomputed(const PelixNode &node, Recompute why,
                          std::int32_t height, std::int32_t balanceFactor) {
  if (why == Recompute::rotation) {
    rotationHalf_.push_back(record(&node) + ": height " +
                            std::to_string(node.height) + ", balance " +
                            signedNumber(node.balanceFactor));
    return;
  }
  movedRecord();
  interest(&node);
  mark(&node, 't');
  const std::int32_t left = PelixNode::heightOf(node.leftChild);
  const std::int32_t right = PelixNode::heightOf(node.rightChild);
  const bool same =
      height == node.height && balanceFactor == node.balanceFactor;
  add("recompute",
      "recompute " + record(&node) + ": height " + std::to_string(height) +
          " to " + std::to_string(node.height) + ", balance " +
          signedNumber(balanceFactor) + " to " +
          signedNumber(node.balanceFactor) + (same ? " (no change)" : ""),
      {"rule-3-recomputing-a-node",
       {"stored heights of the children: left " + std::to_string(left) +
            ", right " + std::to_string(right),
        "height = 1 + " + std::to_string(std::max(left, right)) + " = " +
            std::to_string(node.height),
        "balance factor = " + std::to_string(left) + " - " +
            std::to_string(right) + " = " + signedNumber(node.balanceFactor)},
       1},
      ",\"old\":[" + std::to_string(height) + "," +
          std::to_string(balanceFactor) + "],\"new\":[" +
          std::to_string(node.height) + "," +
          std::to_string(node.balanceFactor) + "]");
}

void SubSteps::rotating(const RotationChoice &choice) {
  rotating_ = true;
  rotation_ = choice;
  half_ = 0;
  rotationReading_.clear();
  rotationHalf_.clear();
  const TraceRecorder::Rotation &told = session_.recorder().rotations().back();
  const bool left = choice.nodeFactor > 1;
  const auto value = [](const char *name, std::int32_t stored,
                        std::int32_t real, const std::string &who) {
    return std::string(name) + " = " + who + ": bf = " + signedNumber(stored) +
           (stored == real ? "" : " (stored; real " + signedNumber(real) + ")");
  };
  rotationReading_.push_back(
      value("n", choice.nodeFactor, told.realNodeFactor, record(choice.node)));
  rotationReading_.push_back(value("c", choice.childFactor,
                                   told.realChildFactor, record(choice.child)));
  std::string decision;
  if (choice.missingGrandchild) {
    decision = left ? "c.right: none, so a single rotation"
                    : "c.left: none, so a single rotation";
  } else if (isDouble(choice.kind)) {
    decision = "c leans the other way, or not at all: a double rotation";
  } else {
    decision = "c leans the same way: a single rotation";
  }
  rotationReading_.push_back(decision);
  interest(choice.node);
  interest(choice.child);
  interest(choice.rising);
}

void SubSteps::rotated(const PelixNode &risen) {
  ++half_;
  const bool twoHalves = isDouble(rotation_.kind);
  const std::string kind = rotationKind(rotation_.kind);
  if (firstRotation_ == "none") {
    firstRotation_ = kind;
  }
  mark(&risen, 'r');
  // The choice, then what this rotation recomputed.
  std::vector<std::string> read = rotationReading_;
  read.insert(read.end(), rotationHalf_.begin(), rotationHalf_.end());
  rotationHalf_.clear();
  Reading reading{"rule-3-rebalancing", read, 2};
  if (!twoHalves) {
    mark(rotation_.node, 's');
    add("rotate-" + kind,
        kind + " rotation at " + record(rotation_.node) + ": " +
            record(&risen) + " rose into its place",
        reading, rotation_.missingGrandchild ? ",\"fallback\":true" : "");
    rotating_ = false;
    return;
  }
  if (half_ == 1) {
    mark(rotation_.child, 's');
    add("rotate-" + kind,
        kind + " rotation at " + record(rotation_.node) +
            ", first half: a rotation at its child " + record(rotation_.child) +
            ", " + record(&risen) + " rose",
        reading, ",\"half\":1");
    return;
  }
  mark(rotation_.node, 's');
  add("rotation-half",
      "second half: a rotation at " + record(rotation_.node) + ", " +
          record(&risen) + " rose into its place",
      reading, ",\"half\":2");
  rotating_ = false;
}

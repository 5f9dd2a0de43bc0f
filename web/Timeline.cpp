// Each slice steps the session (and the twin's) a number of commands and
// files what the recorder heard under the step's marks.
#include "Timeline.h"

#include <algorithm>

namespace {

std::uint32_t idOf(std::string_view id) {
  if (id.size() != 8 || id.find_first_not_of("0123456789") != id.npos) {
    return Timeline::noId;
  }
  std::uint32_t value = 0;
  for (const char digit : id) {
    value = value * 10 + static_cast<std::uint32_t>(digit - '0');
  }
  return value;
}

// The values a step changed, as (ID, height, balance factor), and its
// rotations, as (kind, ID): equal for the two trees while they agree.
std::vector<std::uint64_t> changesOf(const TraceRecorder &did) {
  std::vector<std::uint64_t> changes;
  for (const TraceRecorder::Recompute &recompute : did.recomputes()) {
    if (recompute.oldHeight != recompute.newHeight ||
        recompute.oldBalance != recompute.newBalance) {
      changes.push_back(
          std::uint64_t{idOf(recompute.node->idText())} << 24 |
          static_cast<std::uint64_t>(recompute.newHeight & 0xFF) << 8 |
          static_cast<std::uint64_t>(recompute.newBalance & 0xFF));
    }
  }
  for (const TraceRecorder::Rotation &rotation : did.rotations()) {
    changes.push_back(std::uint64_t{1} << 63 |
                      static_cast<std::uint64_t>(rotation.choice.kind) << 32 |
                      idOf(rotation.choice.node->idText()));
  }
  return changes;
}

} // namespace

Timeline::Timeline(std::string_view script, bool twin, std::size_t twinBudget,
                   std::uint64_t steps, Checkpoints *points,
                   std::uint64_t fillEvery)
    : script_(script), main_(std::make_unique<Side>(script, nullptr)),
      points_(fillEvery ? points : nullptr), fillEvery_(fillEvery),
      mostSteps_(steps), lines_(script) {
  done_ = steps == 0;
  if (!twin) {
    return;
  }
  twin_ = std::make_unique<Side>(script, findVariant("textbook"));
  // The first command's line follows the count line.
  const std::uint64_t countLine = twin_->session.script().countLine().number;
  twinPoints_ = std::make_unique<Checkpoints>(
      twinBudget, lines_.of(countLine + 1), twin_->session.snapshot(),
      Checkpoints::plannedEvery(twin_->session.count()));
}

bool Timeline::advance(std::uint64_t commands) {
  TraceStep step;
  TraceStep twinStep;
  for (std::uint64_t i = 0; i < commands && !done_; ++i) {
    if (!main_->session.step(step)) {
      done_ = true;
      break;
    }
    markStep(step, main_->session.recorder());
    if (twin_ && twin_->session.step(twinStep)) {
      compareTwin(step, twinStep);
    }
    fillIn(step);
    done_ = step.missing || marks_.size() >= mostSteps_;
  }
  return !done_;
}

void Timeline::markStep(const TraceStep &step, const TraceRecorder &did) {
  using Kind = Command::Kind;
  std::uint16_t marks = 0;
  const Command &command = step.command;
  if (step.missing) {
    marks |= missing;
  } else if (command.kind == Kind::refused) {
    marks |= refused;
  }
  for (const TraceRecorder::Rotation &rotation : did.rotations()) {
    const std::uint16_t kinds[] = {rotateLeft, rotateRight, rotateLeftRight,
                                   rotateRightLeft};
    marks |= kinds[static_cast<int>(rotation.choice.kind)];
    marks |= rotation.choice.missingGrandchild ? fallback : 0;
    if (rotation.choice.nodeFactor != rotation.realNodeFactor ||
        rotation.choice.childFactor != rotation.realChildFactor) {
      marks |= stale;
    }
    marks |= did.refused() ? duplicateRotates : 0;
  }
  std::uint32_t id = step.missing ? noId : idOf(command.id);
  if (const TraceRecorder::Removal *removal = did.removal()) {
    using Removal = TreeEvents::Removal;
    marks |= removal->kind == Removal::leaf ? leaf
             : removal->kind == Removal::onlyLeftChild ||
                     removal->kind == Removal::onlyRightChild
                 ? oneChild
             : removal->kind == Removal::successorIsRightChild ? successorNear
                                                               : successorFar;
    id = idOf(removal->id);
  }
  if (command.kind == Kind::printLevelCount && !step.missing) {
    const PelixNode *root = main_->session.view().root();
    if (root && did.realHeight(root) != root->height) {
      marks |= stale;
    }
  }
  marks_.push_back(marks);
  ids_.push_back(id);
}

// A copy of the tree where the run took none, so that a step near it is
// made again from close by.
void Timeline::fillIn(const TraceStep &step) {
  const std::uint64_t done = marks_.size();
  answers_ += step.answers.size();
  if (!points_ || step.missing || done % fillEvery_ != 0 ||
      points_->has(done)) {
    return;
  }
  const std::uint64_t line =
      main_->session.script().countLine().number + done + 1;
  if (!points_->fill(done, lines_.of(line), answers_,
                     main_->session.snapshot())) {
    points_ = nullptr; // the budget is spent
  }
}

void Timeline::compareTwin(const TraceStep &step, const TraceStep &twin) {
  const std::uint64_t done = marks_.size();
  twinAnswers_ += twin.answers.size();
  if (!parting_ && (step.answers != twin.answers ||
                    changesOf(main_->session.recorder()) !=
                        changesOf(twin_->session.recorder()))) {
    parting_ = done;
  }
  if (!twin.missing && twinPoints_->due(done)) {
    const std::uint64_t line =
        twin_->session.script().countLine().number + done + 1;
    twinPoints_->add(done, lines_.of(line), twinAnswers_,
                     twin_->session.snapshot());
  }
}

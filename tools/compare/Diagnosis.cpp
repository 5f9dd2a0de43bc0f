// Candidates are dropped as scripts come; the agreeing scripts are tried
// once, at the end, on what is left, since by then few candidates are.
#include "Diagnosis.h"

#include <algorithm>
#include <istream>

namespace {

// Answers handed on as the session writes them, at most `most` bytes, while
// `use` asks for more.
class Forwarded final : public AnswerSink {
public:
  Forwarded(const std::function<bool(std::string_view)> &use,
            std::uint64_t most)
      : use_(use), left_(most) {}
  bool done() const { return done_; }

protected:
  bool deliver(std::string_view lines) override {
    if (lines.size() >= left_) {
      lines = lines.substr(0, static_cast<std::size_t>(left_));
      done_ = true;
    }
    left_ -= lines.size();
    done_ = (!lines.empty() && !use_(lines)) || done_;
    return !done_;
  }

private:
  const std::function<bool(std::string_view)> &use_;
  std::uint64_t left_;
  bool done_ = false;
};

// Whether the variant answers the script exactly as `output` does, fed in
// pieces; stops at the first difference.
bool agrees(const ScriptSource &script, const Variant &variant,
            const std::function<void(Comparison &)> &feed) {
  const std::unique_ptr<std::istream> in = script.open();
  Comparison comparison(*in, &variant.policy);
  feed(comparison);
  return !comparison.differs() && !comparison.finish().difference;
}

} // namespace

void morvavlAnswers(const ScriptSource &script, std::uint64_t bytes,
                    const std::function<bool(std::string_view)> &use) {
  if (bytes == 0) {
    return;
  }
  const std::unique_ptr<std::istream> in = script.open();
  Forwarded answers(use, bytes);
  ScriptSession session(*in, answers);
  for (ScriptSession::Step step; !answers.done() && session.step(step);) {
    if (step.missing) {
      session.answerRest();
    }
  }
}

bool agreesWithMorvavl(const ScriptSource &script, const Variant &variant) {
  return agrees(script, variant, [&script](Comparison &comparison) {
    morvavlAnswers(script, ~std::uint64_t{0},
                   [&comparison](std::string_view lines) {
                     comparison.consume(lines);
                     return !comparison.differs();
                   });
  });
}

Diagnosis::Diagnosis() {
  for (const Variant &variant : variants()) {
    candidates_.push_back(&variant);
  }
}

void Diagnosis::keepIf(const std::function<bool(const Variant &)> &agrees) {
  candidates_.erase(
      std::remove_if(candidates_.begin(), candidates_.end(),
                     [&](const Variant *variant) { return !agrees(*variant); }),
      candidates_.end());
}

void Diagnosis::differing(const ScriptSource &script, const Output &output) {
  made_ = true;
  keepIf(
      [&](const Variant &variant) { return agrees(script, variant, output); });
}

void Diagnosis::differing(const ScriptSource &script, std::string_view output) {
  differing(script,
            [output](Comparison &comparison) { comparison.consume(output); });
}

void Diagnosis::unexplained(const ScriptSource &script, std::string why) {
  made_ = true;
  candidates_.clear();
  if (unexplained_.empty()) {
    unexplained_ = why + " on " + script.name;
  }
}

void Diagnosis::agreeing(std::function<ScriptSource()> script) {
  agreeing_.push_back(std::move(script));
}

std::vector<const Variant *> Diagnosis::matches() {
  if (!tried_) {
    tried_ = true;
    for (const auto &script : agreeing_) {
      if (candidates_.empty()) {
        break;
      }
      const ScriptSource source = script();
      keepIf([&](const Variant &variant) {
        return agreesWithMorvavl(source, variant);
      });
    }
  }
  std::vector<const Variant *> found = candidates_;
  std::stable_sort(
      found.begin(), found.end(),
      [](const Variant *a, const Variant *b) { return a->scope < b->scope; });
  return found;
}

std::string Diagnosis::line() {
  const std::vector<const Variant *> found = matches();
  if (found.empty()) {
    return "diagnosis: none of the known misreadings";
  }
  std::string line = "diagnosis: ";
  for (const Variant *variant : found) {
    line += (variant == found.front() ? "" : ", ") + std::string(variant->name);
  }
  return line;
}

std::string Diagnosis::report() {
  std::string report = line() + "\n";
  const std::vector<const Variant *> found = matches();
  if (found.empty()) {
    report += "  none of the " + std::to_string(variants().size()) +
              " variants (see --list-variants) gives exactly its answers on "
              "every script that differs" +
              (unexplained_.empty() ? "" : ": " + unexplained_) + "\n";
    return report;
  }
  for (const Variant *variant : found) {
    report += "  " + std::string(variant->name) + ": it answers as if " +
              std::string(variant->description) + " (" + sectionOf(*variant) +
              ")\n";
  }
  return report;
}

// Why a program differs: the variants of the engine (Variants.h) that give
// exactly its answers on every script on which it differs from morvavl, and
// morvavl's answers on every script on which it agrees. Each candidate is
// played in process against what the program wrote, one after the other,
// so that memory does not grow with the number of variants. It knows
// nothing of processes: morvavl-compare and the page both feed it.
#ifndef MORVAVL_TOOLS_DIAGNOSIS_H
#define MORVAVL_TOOLS_DIAGNOSIS_H

#include "Comparison.h"
#include "Variants.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class Diagnosis {
public:
  // Feeds what the program wrote for a script to a comparison, in pieces;
  // it may stop once the comparison differs.
  using Output = std::function<void(Comparison &)>;

  // Every variant is a candidate at first.
  Diagnosis();

  // A script on which the program differs, and what it wrote: a candidate
  // that answers otherwise is dropped.
  void differing(const ScriptSource &script, const Output &output);
  // The same, for output held whole.
  void differing(const ScriptSource &script, std::string_view output);
  // A script on which it differs in a way no variant can explain: it timed
  // out, say. Drops every candidate.
  void unexplained(const ScriptSource &script, std::string why);
  // A script on which the program agrees, to be tried on what is left.
  void agreeing(std::function<ScriptSource()> script);

  // Whether any script differed.
  bool made() const { return made_; }
  // The variants that explain everything seen, most specific first.
  std::vector<const Variant *> matches();

  // "diagnosis: NAME, NAME", then a sentence per variant; or "diagnosis:
  // none of the known misreadings" and why.
  std::string report();
  // "diagnosis: NAME, NAME" alone.
  std::string line();

private:
  void keepIf(const std::function<bool(const Variant &)> &agrees);

  std::vector<const Variant *> candidates_;
  std::vector<std::function<ScriptSource()>> agreeing_;
  bool made_ = false;
  bool tried_ = false;      // the agreeing scripts have been tried
  std::string unexplained_; // why no variant can explain a run
};

// Whether a variant gives exactly morvavl's answers to the script.
bool agreesWithMorvavl(const ScriptSource &script, const Variant &variant);

// morvavl's answers to the script, their first `bytes` bytes, handed on in
// pieces while `use` asks for more.
void morvavlAnswers(const ScriptSource &script, std::uint64_t bytes,
                    const std::function<bool(std::string_view)> &use);

#endif

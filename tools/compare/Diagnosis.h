// Why a program differs: the variants of the engine (Variants.h) that give
// exactly its answers on every script on which it differs from morvavl, and
// morvavl's answers on every script on which it agrees. Each candidate is
// played in process against what the program wrote, one after the other,
// so that memory does not grow with the number of variants.
#ifndef MORVAVL_TOOLS_DIAGNOSIS_H
#define MORVAVL_TOOLS_DIAGNOSIS_H

#include "Compare.h"
#include "OutputSpool.h"
#include "Variants.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class Diagnosis {
public:
  // Every variant is a candidate at first.
  Diagnosis();

  // A script on which the program differs, and what it wrote, kept in full
  // or not: a candidate that answers otherwise is dropped. A run that timed
  // out, crashed, failed or wrote on standard error drops them all.
  void differing(const ScriptSource &script, const Outcome &outcome,
                 const OutputSpool &output);
  // The same, for output held in memory, in full when `complete`.
  void differing(const ScriptSource &script, const Outcome &outcome,
                 std::string_view output, bool complete);
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
  // Whether variants can be tried on the run; if not, none is left.
  bool explicable(const ScriptSource &script, const Outcome &outcome,
                  bool complete);

  std::vector<const Variant *> candidates_;
  std::vector<std::function<ScriptSource()>> agreeing_;
  bool made_ = false;
  bool tried_ = false;      // the agreeing scripts have been tried
  std::string unexplained_; // why no variant can explain a run
};

// Whether a variant gives exactly morvavl's answers to the script.
bool agreesWithMorvavl(const ScriptSource &script, const Variant &variant);

#endif

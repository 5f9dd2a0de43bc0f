// The catalogue of variants: the misreadings of the rules that a careful
// reimplementer is most likely to make, and the textbook tree. Each is the
// one engine with one rule read another way through its policy (Policy.h):
// the same session, parser and tree, never a copy of a rule.
#ifndef MORVAVL_TOOLS_VARIANTS_H
#define MORVAVL_TOOLS_VARIANTS_H

#include "Policy.h"

#include <string>
#include <string_view>
#include <vector>

struct Variant {
  std::string_view name;        // lower-case words and hyphens
  std::string_view description; // one line: what the variant does
  // The section of docs/behaviour.md whose rule it reads another way, and
  // the rule's name there: "4. Removal", "remove ID".
  std::string_view section;
  std::string_view rule;
  // How broad the change is, for ordering a diagnosis: 1 for one case of
  // one rule, 2 for a whole rule, 3 for several rules at once.
  int scope;
  Policy policy;
  // A short script on which the variant answers otherwise than morvavl.
  std::string_view example;
};

// Every variant, in the order of the sections of docs/behaviour.md.
const std::vector<Variant> &variants();

// The variant of that name, or null.
const Variant *findVariant(std::string_view name);

// "docs/behaviour.md, section 4 (Removal), remove ID".
std::string sectionOf(const Variant &variant);

#endif

// One row per variant. Most set one field of the policy; the textbook tree
// sets the two rules in which a textbook AVL tree parts from this one.
#include "Variants.h"

namespace {

Policy with(bool Policy::*rule) {
  Policy policy;
  policy.*rule = true;
  return policy;
}

Policy retracing(Policy::Retrace retrace) {
  Policy policy;
  policy.retrace = retrace;
  policy.singleOnBalancedChild = retrace == Policy::Retrace::rebalance;
  return policy;
}

const std::vector<Variant> catalogue = {
    {"negative-count-wraps",
     "a count with a minus sign wraps modulo 2^32, as C++'s unsigned "
     "extraction reads it, instead of running no command",
     "1. The input", "The count line", 1, with(&Policy::negativeCountWraps)},
    {"count-on-first-line",
     "the count is read from the first line: blank lines before it give "
     "no count",
     "1. The input", "The count line", 1, with(&Policy::countOnFirstLine)},
    {"keep-cr", "a CR before the line feed stays part of the line",
     "1. The input", "Command lines", 2, with(&Policy::keepCr)},
    {"repeat-last-line",
     "a command without a line performs the last line again, when that "
     "line has no line feed",
     "1. The input", "End of input", 1, with(&Policy::repeatLastLine)},
    {"tab-ends-word", "a tab ends a command word, as a space does",
     "2. Reading a command line", "The command word", 1,
     with(&Policy::tabEndsWord)},
    {"words-ignore-case", "command words match in any letter case",
     "2. Reading a command line", "The command word", 2,
     with(&Policy::wordsIgnoreCase)},
    {"trimmed-id", "spaces before and after an ID are trimmed",
     "2. Reading a command line", "An ID", 2, with(&Policy::trimmedId)},
    {"strict-after-quote",
     "insert refuses anything between the name's closing quote and the "
     "space before the ID, instead of skipping it",
     "2. Reading a command line", "insert", 1, with(&Policy::strictAfterQuote)},
    {"strict-position",
     "removeInorder takes only a sign and digits, refusing white space "
     "before them and text after them",
     "2. Reading a command line", "removeInorder", 1,
     with(&Policy::strictPosition)},
    {"positions-from-1",
     "removeInorder counts positions from 1, so that 1 is the smallest ID",
     "2. Reading a command line", "removeInorder", 2,
     with(&Policy::positionsFrom1)},
    {"lazy-duplicate",
     "a refused duplicate leaves the path above it as it was: nothing is "
     "recomputed and nothing rotates",
     "3. The tree and insertion", "Inserting", 1, with(&Policy::lazyDuplicate)},
    {"duplicate-renames",
     "a refused duplicate still stores its name in the record that holds "
     "the ID",
     "3. The tree and insertion", "Inserting", 1,
     with(&Policy::duplicateRenames)},
    {"single-on-balanced-child",
     "a child whose balance factor is 0 gets a single rotation, not a "
     "double one",
     "3. The tree and insertion", "Rebalancing", 1,
     with(&Policy::singleOnBalancedChild)},
    {"skip-missing-grandchild",
     "a double rotation whose inner grandchild is missing is not done at "
     "all, instead of the single rotation",
     "3. The tree and insertion", "Rebalancing", 1,
     with(&Policy::skipMissingGrandchild)},
    {"textbook",
     "removals retrace, as in a textbook AVL tree: every node from the "
     "lowest whose children changed up to the root is recomputed and "
     "rebalanced, and a child that leans not at all gets a single rotation",
     "4. Removal", "remove ID", 3, retracing(Policy::Retrace::rebalance)},
    {"removal-recomputes-path",
     "removals recompute every node from the lowest whose children changed "
     "up to the root, but rotate nothing",
     "4. Removal", "remove ID", 2, retracing(Policy::Retrace::recompute)},
    {"stale-successor-parent",
     "the in-order successor's parent is not recomputed after the "
     "successor leaves it",
     "4. Removal", "remove ID", 1, with(&Policy::staleSuccessorParent)},
    {"leaf-parent-recomputed", "removing a leaf recomputes its parent",
     "4. Removal", "remove ID", 1, with(&Policy::leafParentRecomputed)},
    {"predecessor",
     "a node with two children takes its in-order predecessor's record, "
     "not its successor's",
     "4. Removal", "remove ID", 2, with(&Policy::predecessor)},
    {"silent-empty-removal",
     "remove and removeInorder on an empty tree write nothing, instead of "
     "unsuccessful",
     "4. Removal", "remove ID", 1, with(&Policy::silentEmptyRemoval)},
    {"names-in-id-order",
     "a name search writes the IDs it finds in ascending order, not in "
     "pre-order",
     "5. Searches, listings and the level count", "search \"NAME\"", 1,
     with(&Policy::namesInIdOrder)},
    {"any-name-findable",
     "a name search also finds a name that is empty or begins with a space",
     "5. Searches, listings and the level count", "search \"NAME\"", 1,
     with(&Policy::anyNameFindable)},
    {"real-level-count",
     "the level count is the number of levels the tree has, not the root's "
     "stored height",
     "5. Searches, listings and the level count", "printLevelCount", 2,
     with(&Policy::realLevelCount)},
    {"silent-empty-listing",
     "a listing of an empty tree writes nothing, instead of an empty line",
     "5. Searches, listings and the level count",
     "printInorder, printPreorder, printPostorder", 1,
     with(&Policy::silentEmptyListing)},
};

} // namespace

const std::vector<Variant> &variants() { return catalogue; }

const Variant *findVariant(std::string_view name) {
  for (const Variant &variant : catalogue) {
    if (variant.name == name) {
      return &variant;
    }
  }
  return nullptr;
}

std::string sectionOf(const Variant &variant) {
  const std::string_view section = variant.section;
  const std::size_t dot = section.find(". ");
  return "docs/behaviour.md, section " + std::string(section.substr(0, dot)) +
         " (" + std::string(section.substr(dot + 2)) + "), " +
         std::string(variant.rule);
}

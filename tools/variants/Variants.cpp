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
     "1. The input", "The count line", 1, with(&Policy::negativeCountWraps),
     "-4294967295\nprintLevelCount\n"},
    {"count-on-first-line",
     "the count is read from the first line: blank lines before it give "
     "no count",
     "1. The input", "The count line", 1, with(&Policy::countOnFirstLine),
     "\n1\nprintLevelCount\n"},
    {"keep-cr", "a CR before the line feed stays part of the line",
     "1. The input", "Command lines", 2, with(&Policy::keepCr),
     "1\r\nprintLevelCount\r\n"},
    {"repeat-last-line",
     "a command without a line performs the last line again, when that "
     "line has no line feed",
     "1. The input", "End of input", 1, with(&Policy::repeatLastLine),
     "2\nprintLevelCount"},
    {"tab-ends-word", "a tab ends a command word, as a space does",
     "2. Reading a command line", "The command word", 1,
     with(&Policy::tabEndsWord), "1\ninsert\t\"Al\" 12345678\n"},
    {"words-ignore-case", "command words match in any letter case",
     "2. Reading a command line", "The command word", 2,
     with(&Policy::wordsIgnoreCase), "1\nInsert \"Al\" 12345678\n"},
    {"trimmed-id", "spaces before and after an ID are trimmed",
     "2. Reading a command line", "An ID", 2, with(&Policy::trimmedId),
     "1\ninsert \"Al\" 12345678 \n"},
    {"strict-after-quote",
     "insert refuses anything between the name's closing quote and the "
     "space before the ID, instead of skipping it",
     "2. Reading a command line", "insert", 1, with(&Policy::strictAfterQuote),
     "1\ninsert \"Al\"x 12345678\n"},
    {"strict-position",
     "removeInorder takes only a sign and digits, refusing white space "
     "before them and text after them",
     "2. Reading a command line", "removeInorder", 1,
     with(&Policy::strictPosition),
     "2\ninsert \"Al\" 12345678\nremoveInorder 0x\n"},
    {"positions-from-1",
     "removeInorder counts positions from 1, so that 1 is the smallest ID",
     "2. Reading a command line", "removeInorder", 2,
     with(&Policy::positionsFrom1),
     "2\ninsert \"Al\" 12345678\nremoveInorder 0\n"},
    {"lazy-duplicate",
     "a refused duplicate leaves the path above it as it was: nothing is "
     "recomputed and nothing rotates",
     "3. The tree and insertion", "Inserting", 1, with(&Policy::lazyDuplicate),
     "7\ninsert \"C\" 20000000\ninsert \"B\" 50000000\ninsert \"A\" "
     "10000000\ninsert \"A\" 70000000\nremove 10000000\ninsert \"B\" "
     "70000000\nprintLevelCount\n"},
    {"duplicate-renames",
     "a refused duplicate still stores its name in the record that holds "
     "the ID",
     "3. The tree and insertion", "Inserting", 1,
     with(&Policy::duplicateRenames),
     "3\ninsert \"A\" 40000000\ninsert \"C\" 40000000\nsearch \"A\"\n"},
    {"single-on-balanced-child",
     "a child whose balance factor is 0 gets a single rotation, not a "
     "double one",
     "3. The tree and insertion", "Rebalancing", 1,
     with(&Policy::singleOnBalancedChild),
     "7\ninsert \"B\" 30000000\ninsert \"B\" 50000000\ninsert \"B\" "
     "70000000\ninsert \"A\" 10000000\nremove 50000000\ninsert \"A\" "
     "40000000\nsearch \"A\"\n"},
    {"skip-missing-grandchild",
     "a double rotation whose inner grandchild is missing is not done at "
     "all, instead of the single rotation",
     "3. The tree and insertion", "Rebalancing", 1,
     with(&Policy::skipMissingGrandchild),
     "8\ninsert \"A\" 50000000\ninsert \"B\" 30000000\ninsert \"C\" "
     "70000000\ninsert \"A\" 40000000\nremove 70000000\nremove "
     "40000000\ninsert \"B\" 30000000\nprintLevelCount\n"},
    {"textbook",
     "removals retrace, as in a textbook AVL tree: every node from the "
     "lowest whose children changed up to the root is recomputed and "
     "rebalanced, and a child that leans not at all gets a single rotation",
     "4. Removal", "remove ID", 3, retracing(Policy::Retrace::rebalance),
     "6\ninsert \"A\" 20000000\ninsert \"B\" 10000000\ninsert \"C\" "
     "30000000\ninsert \"D\" 05000000\nremove 30000000\nprintPreorder\n"},
    {"removal-recomputes-path",
     "removals recompute every node from the lowest whose children changed "
     "up to the root, but rotate nothing",
     "4. Removal", "remove ID", 2, retracing(Policy::Retrace::recompute),
     "4\ninsert \"B\" 40000000\ninsert \"A\" 60000000\nremove "
     "60000000\nprintLevelCount\n"},
    {"stale-successor-parent",
     "the in-order successor's parent is not recomputed after the "
     "successor leaves it",
     "4. Removal", "remove ID", 1, with(&Policy::staleSuccessorParent),
     "6\ninsert \"B\" 30000000\ninsert \"C\" 50000000\ninsert \"C\" "
     "70000000\ninsert \"C\" 60000000\nremove 50000000\nprintLevelCount\n"},
    {"leaf-parent-recomputed", "removing a leaf recomputes its parent",
     "4. Removal", "remove ID", 1, with(&Policy::leafParentRecomputed),
     "4\ninsert \"C\" 70000000\ninsert \"B\" 60000000\nremove "
     "60000000\nprintLevelCount\n"},
    {"predecessor",
     "a node with two children takes its in-order predecessor's record, "
     "not its successor's",
     "4. Removal", "remove ID", 2, with(&Policy::predecessor),
     "5\ninsert \"C\" 60000000\ninsert \"A\" 10000000\ninsert \"C\" "
     "20000000\nremove 20000000\nprintPreorder\n"},
    {"silent-empty-removal",
     "remove and removeInorder on an empty tree write nothing, instead of "
     "unsuccessful",
     "4. Removal", "remove ID", 1, with(&Policy::silentEmptyRemoval),
     "1\nremove 70000000\n"},
    {"names-in-id-order",
     "a name search writes the IDs it finds in ascending order, not in "
     "pre-order",
     "5. Searches, listings and the level count", "search \"NAME\"", 1,
     with(&Policy::namesInIdOrder),
     "3\ninsert \"A\" 70000000\ninsert \"A\" 20000000\nsearch \"A\"\n"},
    {"any-name-findable",
     "a name search also finds a name that is empty or begins with a space",
     "5. Searches, listings and the level count", "search \"NAME\"", 1,
     with(&Policy::anyNameFindable), "2\ninsert \"\" 12345678\nsearch \"\"\n"},
    {"real-level-count",
     "the level count is the number of levels the tree has, not the root's "
     "stored height",
     "5. Searches, listings and the level count", "printLevelCount", 2,
     with(&Policy::realLevelCount),
     "4\ninsert \"C\" 70000000\ninsert \"A\" 50000000\nremove "
     "50000000\nprintLevelCount\n"},
    {"silent-empty-listing",
     "a listing of an empty tree writes nothing, instead of an empty line",
     "5. Searches, listings and the level count",
     "printInorder, printPreorder, printPostorder", 1,
     with(&Policy::silentEmptyListing), "1\nprintPreorder\n"},
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

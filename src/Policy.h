// The rules that can be read another way, for the tools that play a
// misreading of them against the program, or the textbook tree beside it
// (tools/variants/). Each field is one rule, its default the program's own
// reading; a variant sets one. The reader of the script, the parser and the
// tree ask their policy where such a rule applies. The program has none:
// there each of those places costs one test of a null pointer.
#ifndef MORVAVL_POLICY_H
#define MORVAVL_POLICY_H

#include <cstdint>

struct Policy {
  // The input (docs/behaviour.md, section 1).
  bool negativeCountWraps = false; // "-1" counts 4294967295, as C++ reads it
  bool countOnFirstLine = false;   // blank lines before the count give none
  bool keepCr = false;             // a CR before the line feed stays
  bool repeatLastLine = false;     // a missing command repeats the last line

  // Reading a command line (section 2).
  bool tabEndsWord = false;      // a tab ends a command word as a space does
  bool trimmedId = false;        // spaces around an ID are trimmed
  bool wordsIgnoreCase = false;  // command words match in any letter case
  bool strictAfterQuote = false; // insert refuses text after the quote
  bool strictPosition = false;   // removeInorder takes only a whole number
  bool positionsFrom1 = false;   // removeInorder counts from 1

  // Insertion and rebalancing (section 3).
  bool lazyDuplicate = false;         // a refused duplicate recomputes nothing
  bool duplicateRenames = false;      // a refused duplicate stores its name
  bool singleOnBalancedChild = false; // a child factor of 0: single rotation
  bool skipMissingGrandchild = false; // no rotation for a missing grandchild

  // Removal (section 4).
  enum class Retrace : std::uint8_t {
    none,      // only the nodes named in the rules are recomputed
    recompute, // every node up to the root is recomputed
    rebalance, // ... and rebalanced, as a textbook tree does
  };
  Retrace retrace = Retrace::none;
  bool staleSuccessorParent = false; // the successor's parent keeps its values
  bool leafParentRecomputed = false; // a removed leaf's parent is recomputed
  bool predecessor = false;          // two children: the predecessor moves up
  bool silentEmptyRemoval = false;   // no answer for a removal on no tree

  // Searches, listings and the level count (section 5).
  bool namesInIdOrder = false;     // a name search lists IDs in ID order
  bool anyNameFindable = false;    // names that start with no letter are found
  bool realLevelCount = false;     // the level count is the real height
  bool silentEmptyListing = false; // a listing of no tree writes no line
};

#endif

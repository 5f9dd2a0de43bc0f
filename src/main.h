// The command front end: cuts each line of the script into a command word
// and its arguments, checks them, and performs one operation of the tree per
// command. Parsing and performing are separate steps, so that the tools see
// each command exactly as the program reads it.
#ifndef MORVAVL_MAIN_H
#define MORVAVL_MAIN_H

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string_view>

class MorvAVLTree;
class ScriptReader;

// One command line, read like a string stream over it with getline() and
// peek(), but without copying the line. Once a read has run into the end of
// the line, every later read fails and leaves its target unchanged.
class LineStream {
public:
  explicit LineStream(std::string_view text) : text_(text) {}

  // Takes the text up to the next delimiter and consumes the delimiter; takes
  // the rest of the line when there is none.
  bool readUpTo(char delimiter, std::string_view &target);
  bool readRest(std::string_view &target);
  // The next byte, or -1 at the end of the line.
  int peek();
  // What no read has taken yet; reads nothing.
  std::string_view unread() const { return text_.substr(pos_); }

private:
  std::string_view text_;
  std::size_t pos_ = 0;
  bool ended_ = false;
};

// The rule a refused line breaks: the first one its parse runs into.
enum class Rule : std::uint8_t {
  emptyLine,          // the line is empty
  leadingSpace,       // the line begins with a space, not a command word
  unknownWord,        // no command has this word
  wordCase,           // a command word in other letter case
  printNotAlone,      // a print command word followed by more text
  missingArguments,   // a command word with nothing after it
  quoteNotFirst,      // something stands before the name's opening quote
  nameCharacter,      // a name byte that is neither a letter nor a space
  idLength,           // an ID that is not 8 bytes long
  idCharacter,        // an ID byte that is not a digit
  positionNotNumber,  // a removeInorder argument without digits
  positionOutOfRange, // a removeInorder argument outside int32_t
};

// A command line, parsed. The views point into the line.
struct Command {
  enum class Kind : std::uint8_t {
    refused,
    insert,
    remove,
    removeInOrder,
    searchId,
    searchName,
    printInOrder,
    printPreOrder,
    printPostOrder,
    printLevelCount,
  };

  Kind kind = Kind::refused;
  std::string_view word;     // the command word as read
  std::string_view name;     // insert, search by name, or the refused name
  std::string_view id;       // insert, remove, search by ID, or the refused ID
  std::int32_t position = 0; // removeInorder, before it wraps to unsigned
  // Text the command passes over: for insert what stands between the
  // name's closing quote and the next space, for a name search what follows
  // the closing quote.
  std::string_view skipped;

  // A refused line: the broken rule and the text that breaks it (for a name
  // or an ID byte, that byte alone). For wordCase and printNotAlone, meant
  // is the command word the line seems to mean.
  Rule rule = Rule::emptyLine;
  std::string_view offending;
  std::string_view meant;
};

// Parses one command line. Reads only the line; consults no tree.
Command parseCommand(LineStream &line);

// Performs a parsed command: calls its one tree operation, or answers a
// refused line "unsuccessful".
void performCommand(const Command &command, MorvAVLTree &tree);

// Parses and performs one command line. Every line gets its answers: those
// of the tree operation, or "unsuccessful" when the line is refused.
void parseAndPerform(LineStream &line, MorvAVLTree &tree);

// Answers commands that have no line because the input ended: each one
// "unsuccessful", as an empty line would be.
void answerMissingLines(MorvAVLTree &tree, std::uint64_t commands);

// Performs count command lines of the script, each as soon as its line feed
// has been read: it never waits for input beyond the line it performs.
void runCommands(ScriptReader &script, MorvAVLTree &tree, std::uint32_t count);

#endif

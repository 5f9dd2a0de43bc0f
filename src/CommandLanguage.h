// The command language: reading one command line, the rules a line can
// break, the parsed command, and the way back from a parsed command to a
// plain line. Parsing reads only the line and consults no tree, so every
// tool sees a command exactly as the program reads it.
#ifndef MORVAVL_COMMANDLANGUAGE_H
#define MORVAVL_COMMANDLANGUAGE_H

#include "Policy.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
  // Only in a variant that reads the line more strictly (Policy.h):
  textAfterQuote,   // insert: something between the closing quote and space
  positionNotWhole, // removeInorder: more than a sign and digits
};

// A command line, parsed. The views point into the line, or, for a command
// made by one of the functions below, into their arguments.
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

  // A variant's reading of the line (Policy.h) made the command what it is.
  bool varied = false;

  // Commands as a script would state them; the arguments must outlive the
  // command.
  static Command insert(std::string_view name, std::string_view id);
  static Command remove(std::string_view id);
  static Command removeInOrder(std::int32_t position);
  static Command searchId(std::string_view id);
  static Command searchName(std::string_view name);
  static Command print(Kind kind); // one of the four print kinds
};

// The command word of each kind but refused.
std::string_view commandWord(Command::Kind kind);

// Parses one command line; with a policy, as that variant reads it.
Command parseCommand(LineStream &line, const Policy *policy = nullptr);

// Appends the command as a plain line, without its line feed: the word,
// one space, and the arguments with nothing skipped. A refused command has
// no plain form: nothing is appended and the answer is false.
bool printCommand(const Command &command, std::string &line);

#endif

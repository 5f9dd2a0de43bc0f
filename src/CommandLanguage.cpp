// The parse walks the line once, left to right, with the reads a string
// stream offers; the first rule it runs into refuses the line. The printer
// is its inverse for every command that is not refused.
#include "CommandLanguage.h"

#include "Ascii.h"

#include <cstring>
#include <limits>

namespace {

using Kind = Command::Kind;

// The command table, in the order the words are tried.
struct CommandWord {
  std::string_view word;
  Kind kind;
};
constexpr CommandWord commandWords[] = {
    {"insert", Kind::insert},
    {"remove", Kind::remove},
    {"search", Kind::searchId},
    {"printInorder", Kind::printInOrder},
    {"printPreorder", Kind::printPreOrder},
    {"printPostorder", Kind::printPostOrder},
    {"printLevelCount", Kind::printLevelCount},
    {"removeInorder", Kind::removeInOrder},
};

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) {
      return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (lower(a[i]) != lower(b[i])) {
      return false;
    }
  }
  return true;
}

// Refusals change only these fields: the command stays as far as it was
// read.
void refuse(Command &command, Rule rule, std::string_view offending) {
  command.kind = Kind::refused;
  command.rule = rule;
  command.offending = offending;
}

// A word that is in no row of the table: says which rule that breaks.
void refuseWord(Command &command, std::string_view line) {
  if (line.empty()) {
    refuse(command, Rule::emptyLine, line);
    return;
  }
  if (command.word.empty()) {
    refuse(command, Rule::leadingSpace, line);
    return;
  }
  for (const CommandWord &entry : commandWords) {
    if (sameIgnoringCase(command.word, entry.word)) {
      command.meant = entry.word;
      refuse(command, Rule::wordCase, command.word);
      return;
    }
    if (entry.word[0] == 'p' &&
        command.word.substr(0, entry.word.size()) == entry.word) {
      command.meant = entry.word;
      refuse(command, Rule::printNotAlone,
             command.word.substr(entry.word.size()));
      return;
    }
  }
  refuse(command, Rule::unknownWord, command.word);
}

// The first byte of a name that is neither an ASCII letter nor a space.
inline std::size_t firstNonNameByte(std::string_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c != ' ' && !isAsciiLetter(c)) {
      return i;
    }
  }
  return std::string_view::npos;
}

// The name must hold letters and spaces only.
inline bool checkName(Command &command) {
  const std::string_view name = command.name;
  const std::size_t bad = firstNonNameByte(name);
  if (bad == std::string_view::npos) {
    return true;
  }
  refuse(command, Rule::nameCharacter, name.substr(bad, 1));
  return false;
}

// An ID is exactly 8 ASCII digits; nothing is trimmed, but by a variant.
inline bool checkId(Command &command, const Policy *policy) {
  if (policy && policy->trimmedId) {
    const std::size_t from = command.id.find_first_not_of(' ');
    const std::size_t to = command.id.find_last_not_of(' ');
    const std::string_view trimmed =
        from == std::string_view::npos ? std::string_view()
                                       : command.id.substr(from, to - from + 1);
    command.varied = command.varied || trimmed.size() != command.id.size();
    command.id = trimmed;
  }
  const std::string_view id = command.id;
  if (id.size() != 8) {
    refuse(command, Rule::idLength, id);
    return false;
  }
  for (std::size_t i = 0; i < 8; ++i) {
    if (!isAsciiDigit(static_cast<unsigned char>(id[i]))) {
      refuse(command, Rule::idCharacter, id.substr(i, 1));
      return false;
    }
  }
  return true;
}

// The name must open with a double quote right where the reader stands and
// runs to the closing quote, or to the end of the line if there is none.
// What follows the closing quote is left to the caller.
bool readQuotedName(LineStream &line, Command &command) {
  std::string_view before;
  if (!line.readUpTo('"', before)) {
    refuse(command, Rule::missingArguments, command.word);
    return false;
  }
  if (!before.empty()) {
    refuse(command, Rule::quoteNotFirst, before);
    return false;
  }
  line.readUpTo('"', command.name);
  return true;
}

// Converts like std::stoi: white space, an optional sign, then decimal digits
// up to the first other byte; fails without a digit or outside int's range.
bool parsePosition(std::string_view text, Command &command,
                   const Policy *policy) {
  if (policy && policy->strictPosition) {
    const std::size_t digits = text.find_first_not_of("+-") == 1 ? 1 : 0;
    if (text.size() <= digits || text.find_first_not_of("0123456789", digits) !=
                                     std::string_view::npos) {
      command.varied = true;
      refuse(command, Rule::positionNotWhole, text);
      return false;
    }
  }
  constexpr std::uint64_t beyond =
      std::uint64_t{std::numeric_limits<std::int32_t>::max()} + 2;
  const DecimalNumber number = readDecimal(text, beyond);
  if (!number.hasDigits) {
    refuse(command, Rule::positionNotNumber, text);
    return false;
  }
  const std::uint64_t limit =
      std::uint64_t{std::numeric_limits<std::int32_t>::max()} +
      (number.negative ? 1 : 0);
  if (number.magnitude > limit) {
    refuse(command, Rule::positionOutOfRange, text);
    return false;
  }
  const auto magnitude = static_cast<std::int64_t>(number.magnitude);
  command.position =
      static_cast<std::int32_t>(number.negative ? -magnitude : magnitude);
  if (policy && policy->positionsFrom1) {
    // Position N is the one before; from 0 that wraps past any tree.
    command.position =
        command.position == INT32_MIN ? INT32_MAX : command.position - 1;
    command.varied = true;
  }
  return true;
}

void parseInsert(LineStream &line, Command &command, const Policy *policy) {
  if (!readQuotedName(line, command)) {
    return;
  }
  // Whatever stands between the closing quote and the next space is skipped.
  line.readUpTo(' ', command.skipped);
  line.readRest(command.id);
  if (policy && policy->strictAfterQuote && !command.skipped.empty()) {
    command.varied = true;
    refuse(command, Rule::textAfterQuote, command.skipped);
    return;
  }
  if (checkName(command) && checkId(command, policy)) {
    command.kind = Kind::insert;
  }
}

void parseRemove(LineStream &line, Command &command, const Policy *policy) {
  if (!line.readRest(command.id)) {
    refuse(command, Rule::missingArguments, command.word);
    return;
  }
  if (checkId(command, policy)) {
    command.kind = Kind::remove;
  }
}

void parseSearch(LineStream &line, Command &command, const Policy *policy) {
  const int next = line.peek();
  if (next >= 0 && isAsciiDigit(static_cast<unsigned char>(next))) {
    line.readRest(command.id);
    if (checkId(command, policy)) {
      command.kind = Kind::searchId;
    }
    return;
  }
  // The name form ignores whatever follows the closing quote.
  if (readQuotedName(line, command) && checkName(command)) {
    command.skipped = line.unread();
    command.kind = Kind::searchName;
  }
}

void parseRemoveInOrder(LineStream &line, Command &command,
                        const Policy *policy) {
  std::string_view text;
  if (!line.readRest(text)) {
    refuse(command, Rule::missingArguments, command.word);
    return;
  }
  // The number is converted before the tree is consulted.
  if (parsePosition(text, command, policy)) {
    command.kind = Kind::removeInOrder;
  }
}

} // namespace

bool LineStream::readUpTo(char delimiter, std::string_view &target) {
  if (ended_) {
    return false;
  }
  const std::size_t left = text_.size() - pos_;
  if (left == 0) {
    ended_ = true;
    return false;
  }
  const char *from = text_.data() + pos_;
  const auto *found =
      static_cast<const char *>(std::memchr(from, delimiter, left));
  if (!found) {
    target = std::string_view(from, left);
    pos_ = text_.size();
    ended_ = true;
    return true;
  }
  target = std::string_view(from, static_cast<std::size_t>(found - from));
  pos_ += target.size() + 1;
  return true;
}

bool LineStream::readRest(std::string_view &target) {
  if (ended_) {
    return false;
  }
  ended_ = true;
  if (pos_ == text_.size()) {
    return false;
  }
  target = std::string_view(text_.data() + pos_, text_.size() - pos_);
  pos_ = text_.size();
  return true;
}

int LineStream::peek() {
  if (ended_ || pos_ == text_.size()) {
    ended_ = true;
    return -1;
  }
  return static_cast<unsigned char>(text_[pos_]);
}

// A variant's reading of the command word: ended by a tab as by a space,
// or matched whatever its letter case.
void readVariantWord(LineStream &line, Command &command, const Policy &policy) {
  const std::string_view rest = line.unread();
  const std::size_t space = rest.find(' ');
  const std::size_t tab = policy.tabEndsWord ? rest.find('\t') : rest.npos;
  if (tab < space) {
    line.readUpTo('\t', command.word);
    command.varied = true;
  } else if (rest.substr(0, 1) == "p") {
    line.readRest(command.word);
  } else {
    line.readUpTo(' ', command.word);
  }
  if (!policy.wordsIgnoreCase) {
    return;
  }
  for (const CommandWord &entry : commandWords) {
    if (command.word != entry.word &&
        sameIgnoringCase(command.word, entry.word)) {
      command.word = entry.word;
      command.varied = true;
    }
  }
}

Command parseCommand(LineStream &line, const Policy *policy) {
  const std::string_view text = line.unread();
  Command command;
  // A line starting with p is a print command and nothing else.
  if (policy) {
    readVariantWord(line, command, *policy);
  } else if (line.peek() == 'p') {
    line.readRest(command.word);
  } else {
    line.readUpTo(' ', command.word);
  }

  for (const CommandWord &entry : commandWords) {
    if (command.word != entry.word) {
      continue;
    }
    switch (entry.kind) {
    case Kind::insert:
      parseInsert(line, command, policy);
      break;
    case Kind::remove:
      parseRemove(line, command, policy);
      break;
    case Kind::searchId:
      parseSearch(line, command, policy);
      break;
    case Kind::removeInOrder:
      parseRemoveInOrder(line, command, policy);
      break;
    default: // a print command: the whole line is its word
      command.kind = entry.kind;
      break;
    }
    return command;
  }
  refuseWord(command, text);
  return command;
}

std::string_view commandWord(Command::Kind kind) {
  // Both search forms share one word.
  const Kind wordKind = kind == Kind::searchName ? Kind::searchId : kind;
  for (const CommandWord &entry : commandWords) {
    if (entry.kind == wordKind) {
      return entry.word;
    }
  }
  return {};
}

bool printCommand(const Command &command, std::string &line) {
  if (command.kind == Kind::refused) {
    return false;
  }
  line += commandWord(command.kind);
  switch (command.kind) {
  case Kind::insert:
    line.append(" \"").append(command.name).append("\" ").append(command.id);
    break;
  case Kind::remove:
  case Kind::searchId:
    line.append(" ").append(command.id);
    break;
  case Kind::searchName:
    line.append(" \"").append(command.name).append("\"");
    break;
  case Kind::removeInOrder:
    line.append(" ").append(std::to_string(command.position));
    break;
  default: // a print command is its word alone
    break;
  }
  return true;
}

namespace {

Command commandOf(Kind kind) {
  Command command;
  command.kind = kind;
  command.word = commandWord(kind);
  return command;
}

} // namespace

Command Command::insert(std::string_view name, std::string_view id) {
  Command command = commandOf(Kind::insert);
  command.name = name;
  command.id = id;
  return command;
}

Command Command::remove(std::string_view id) {
  Command command = commandOf(Kind::remove);
  command.id = id;
  return command;
}

Command Command::removeInOrder(std::int32_t position) {
  Command command = commandOf(Kind::removeInOrder);
  command.position = position;
  return command;
}

Command Command::searchId(std::string_view id) {
  Command command = commandOf(Kind::searchId);
  command.id = id;
  return command;
}

Command Command::searchName(std::string_view name) {
  Command command = commandOf(Kind::searchName);
  command.name = name;
  return command;
}

Command Command::print(Kind kind) { return commandOf(kind); }

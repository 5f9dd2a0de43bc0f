// One note per refusal rule: the rule in plain words and the text that
// breaks it.
#include "Narrator.h"

#include "Text.h"

namespace narrator {

namespace {

// What a command word needs after its single space.
const char *argumentsOf(std::string_view word) {
  if (word == "insert") {
    return "a quoted name and an ID";
  }
  if (word == "search") {
    return "an ID or a quoted name";
  }
  if (word == "removeInorder") {
    return "a position";
  }
  return "an ID";
}

} // namespace

bool unclosed(std::string_view name, std::string_view line) {
  return !line.empty() &&
         name.data() + name.size() == line.data() + line.size();
}

std::string refusalNote(const ScriptSession::Step &step) {
  const Command &command = step.command;
  std::string note;
  const std::string_view offending = command.offending;
  switch (command.rule) {
  case Rule::emptyLine:
    note = "the line is empty, and every line must hold a command";
    return note;
  case Rule::leadingSpace:
    note = "the line begins with a space: its command word must come first";
    return note;
  case Rule::unknownWord:
    text::appendQuoted(note, offending);
    note += " is not a command word";
    if (offending.find('\t') != std::string_view::npos) {
      note += "; only a space ends a command word";
    }
    return note;
  case Rule::wordCase:
    text::appendQuoted(note, offending);
    note += " is not a command word, and command words are case-sensitive: ";
    text::appendQuoted(note, command.meant);
    note += " is one";
    return note;
  case Rule::printNotAlone:
    text::appendQuoted(note, command.meant);
    note += " must stand alone on its line, but ";
    text::appendQuoted(note, offending);
    note += " follows it";
    return note;
  case Rule::missingArguments:
    text::appendQuoted(note, offending);
    note += " needs ";
    note += argumentsOf(offending);
    note += " after a single space, and nothing follows it";
    return note;
  case Rule::quoteNotFirst:
    if (step.text.find('"') == std::string_view::npos) {
      note = "the name must stand in double quotes, and the line has none";
      return note;
    }
    note = "the name's opening quote must follow the single space after the "
           "command word, but ";
    text::appendQuoted(note, offending);
    note += " stands before it";
    return note;
  case Rule::nameCharacter:
    note = "the name ";
    text::appendQuoted(note, command.name);
    note += " holds ";
    text::appendQuoted(note, offending);
    note += ", and names hold letters and spaces only";
    if (unclosed(command.name, step.text)) {
      note += "; its closing quote is missing, so the name runs to the end "
              "of the line";
    }
    return note;
  case Rule::idLength:
    if (offending.empty()) {
      note = "the ID is missing: an ID of exactly 8 digits must end the line";
      if (!command.skipped.empty()) {
        note += ", but ";
        text::appendQuoted(note, command.skipped);
        note += " after the closing quote is skipped up to a space, and "
                "nothing follows";
      }
      return note;
    }
    note = "the ID ";
    text::appendQuoted(note, offending);
    note += " has " +
            text::counted(offending.size(), "character", "characters") +
            ", while an ID is exactly 8 digits";
    return note;
  case Rule::idCharacter:
    note = "the ID ";
    text::appendQuoted(note, command.id);
    note += " holds ";
    text::appendQuoted(note, offending);
    note += ", while an ID is exactly 8 digits";
    return note;
  case Rule::positionNotNumber:
    text::appendQuoted(note, offending);
    note += " is not a number: a position is a decimal integer, after "
            "optional white space and a sign";
    return note;
  case Rule::positionOutOfRange:
    text::appendQuoted(note, offending);
    note += " lies outside the signed 32-bit range, -2147483648 to "
            "2147483647";
    return note;
  case Rule::textAfterQuote:
    text::appendQuoted(note, offending);
    note += " stands between the closing quote and the space before the ID, "
            "and this variant skips nothing there";
    return note;
  case Rule::positionNotWhole:
    text::appendQuoted(note, offending);
    note += " is not a whole number, and this variant takes a position only "
            "as a sign and digits, with nothing before or after";
    return note;
  }
  return note;
}

} // namespace narrator

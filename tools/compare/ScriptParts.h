// A script taken apart for editing: its command lines, and how to put the
// count line back in front of them. The reducer's passes change the parts
// and assemble a candidate script from them.
#ifndef MORVAVL_TOOLS_SCRIPTPARTS_H
#define MORVAVL_TOOLS_SCRIPTPARTS_H

#include "CommandLanguage.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A command line as the reader hands it out, and whether a CR ended it.
struct Line {
  std::string text;
  bool cr = false;
  bool operator==(const Line &other) const {
    return text == other.text && cr == other.cr;
  }
  bool operator!=(const Line &other) const { return !(*this == other); }
};

struct Parts {
  std::vector<Line> lines; // the commands' lines, then any after them
  std::string header;      // a verbatim count line and what precedes it
  std::int64_t extra = 0;  // commands announced beyond the lines
  bool verbatim = false;   // the header as it was, count and all
  bool lastLineFeed = true;
};

// The parts of a script: every line after the count line, the last one
// even without a line feed, each with a CR before its line feed dropped
// and noted.
Parts split(std::string_view script);

// The script again: a count of the lines plus extra (or the verbatim
// header), then the lines.
std::string assemble(const Parts &parts);

// The command a line states.
Command parsed(const Line &line);

// The line in its plain form, with another name or ID if given: the
// printed command, so no skipped text, one space and no CR. A refused line,
// which has no other form, stays as it is.
Line plainLine(const Line &line, std::optional<std::string_view> name = {},
               std::optional<std::string_view> id = {});

// A plain line for a command.
Line lineOf(const Command &command);

#endif

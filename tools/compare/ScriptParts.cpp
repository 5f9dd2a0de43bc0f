// Lines are taken through the program's own session, so that the count
// line, the CRs and a missing last line feed are read exactly as morvavl
// reads them; they are read, never performed.
#include "ScriptParts.h"

#include "ScriptSession.h"

#include <algorithm>
#include <sstream>

Parts split(std::string_view script) {
  Parts parts;
  std::istringstream in{std::string(script)};
  ScriptSession session(in);
  // The header is everything up to the count line's end.
  std::size_t at = 0;
  for (std::uint64_t i = 0; i < session.script().countLine().number; ++i) {
    const std::size_t end = script.find('\n', at);
    at = end == std::string_view::npos ? script.size() : end + 1;
  }
  parts.header = std::string(script.substr(0, at));
  ScriptSession::Step step;
  while (session.read(step) && !step.missing) {
    parts.lines.push_back({std::string(step.text), step.droppedCr});
  }
  for (ScriptLine line; session.lineAfterEnd(line);) {
    parts.lines.push_back({std::string(line.text), line.droppedCr});
  }
  parts.lastLineFeed = script.empty() || script.back() == '\n';
  parts.extra = static_cast<std::int64_t>(session.count()) -
                static_cast<std::int64_t>(parts.lines.size());
  return parts;
}

std::string assemble(const Parts &parts) {
  std::string script;
  if (parts.verbatim) {
    script = parts.header;
  } else {
    const std::int64_t count =
        static_cast<std::int64_t>(parts.lines.size()) + parts.extra;
    script = std::to_string(std::max<std::int64_t>(count, 0)) + "\n";
  }
  for (std::size_t i = 0; i < parts.lines.size(); ++i) {
    script += parts.lines[i].text;
    script += parts.lines[i].cr ? "\r" : "";
    if (i + 1 < parts.lines.size() || parts.lastLineFeed) {
      script += '\n';
    }
  }
  return script;
}

Command parsed(const Line &line) {
  LineStream stream(line.text);
  return parseCommand(stream);
}

Line plainLine(const Line &line, std::optional<std::string_view> name,
               std::optional<std::string_view> id) {
  Command command = parsed(line);
  if (command.kind == Command::Kind::refused) {
    return line;
  }
  command.name = name.value_or(command.name);
  command.id = id.value_or(command.id);
  return lineOf(command);
}

Line lineOf(const Command &command) {
  Line line;
  printCommand(command, line.text);
  return line;
}

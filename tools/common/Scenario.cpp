// A scenario file is read line by line, in the order of its parts; the
// first line that breaks the format stops the reading with its number.
#include "Scenario.h"

#include "Text.h"

#include <cstdio>

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// The bytes of one line of a part; empty error when it is well formed.
std::string unescapeLine(std::string_view line, std::string &error) {
  std::string bytes;
  bool lineFeed = true;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto byte = static_cast<unsigned char>(line[i]);
    if (byte != '\\') {
      if ((byte < 0x20 && byte != '\t') || byte == 0x7F) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", byte);
        error = std::string("a raw control byte, ") + hex +
                ", where an escape belongs";
        return "";
      }
      bytes += line[i];
      continue;
    }
    if (i + 1 == line.size()) {
      error = "a backslash ends the line; write \\\\ for one";
      return "";
    }
    const char e = line[++i];
    if (e == 'c' && i + 1 == line.size()) {
      lineFeed = false;
    } else if (e == '\\') {
      bytes += '\\';
    } else if (e == 'r') {
      bytes += '\r';
    } else if (e == 't') {
      bytes += '\t';
    } else if (e == '0') {
      bytes += '\0';
    } else if (e == 'x') {
      const int high = i + 1 < line.size() ? hexValue(line[i + 1]) : -1;
      const int low = i + 2 < line.size() ? hexValue(line[i + 2]) : -1;
      if (high < 0 || low < 0) {
        error = "\\x needs two hex digits";
        return "";
      }
      bytes += static_cast<char>(high * 16 + low);
      i += 2;
    } else if (e == 'c') {
      error = "\\c may only end a line";
      return "";
    } else {
      error = "unknown escape \\" + text::escaped(std::string_view(&e, 1));
      return "";
    }
  }
  return lineFeed ? bytes + '\n' : bytes;
}

} // namespace

bool parseScenario(std::string_view file, Scenario &scenario,
                   std::string &error) {
  constexpr std::string_view tracePrefix = ">>> morvavl-trace";
  enum { comments, script, answers, trace } part = comments;
  scenario = Scenario();
  std::uint64_t number = 0;
  while (!file.empty()) {
    const std::size_t end = file.find('\n');
    const std::string_view line = file.substr(0, end);
    file.remove_prefix(end == std::string_view::npos ? file.size() : end + 1);
    ++number;
    const auto fail = [&](const std::string &why) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    };
    if (line == "<<<") {
      if (part != comments) {
        return fail("a second <<< line");
      }
      part = script;
    } else if (line == ">>>") {
      if (part != script) {
        return fail(part == comments ? ">>> before the <<< line"
                                     : "a second >>> line");
      }
      part = answers;
    } else if (line.substr(0, tracePrefix.size()) == tracePrefix) {
      if (part != answers && part != trace) {
        return fail("a trace part before the answers");
      }
      part = trace;
      scenario.traces.push_back(
          {std::string(line.substr(tracePrefix.size())), ""});
    } else if (part == comments) {
      if (!line.empty() && line[0] != '#') {
        return fail("only lines that begin with # may stand before <<<");
      }
    } else {
      std::string why;
      const std::string bytes = unescapeLine(line, why);
      if (!why.empty()) {
        return fail(why);
      }
      (part == script    ? scenario.input
       : part == answers ? scenario.expected
                         : scenario.traces.back().expected) += bytes;
    }
  }
  if (part == comments || part == script) {
    error = part == comments ? "no <<< line before the script"
                             : "no >>> line before the answers";
    return false;
  }
  return true;
}

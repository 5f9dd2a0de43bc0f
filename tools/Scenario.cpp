// Scenario files are read line by line; escapes are undone per line.
#include "Scenario.h"

namespace {

std::string unescapeLine(std::string_view line) {
  std::string bytes;
  bool lineFeed = true;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '\\' || i + 1 == line.size()) {
      bytes += line[i];
      continue;
    }
    const char e = line[++i];
    if (e == 'c' && i + 1 == line.size()) {
      lineFeed = false;
    } else if (e == 'r') {
      bytes += '\r';
    } else if (e == 't') {
      bytes += '\t';
    } else if (e == '0') {
      bytes += '\0';
    } else if (e == 'x' && i + 2 < line.size()) {
      bytes += static_cast<char>(
          std::stoi(std::string(line.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      bytes += e;
    }
  }
  return lineFeed ? bytes + '\n' : bytes;
}

} // namespace

Scenario parseScenario(std::string_view file) {
  constexpr std::string_view tracePrefix = ">>> morvavl-trace";
  Scenario scenario;
  std::string *part = nullptr;
  while (!file.empty()) {
    const std::size_t end = file.find('\n');
    const std::string_view line = file.substr(0, end);
    file = end == std::string_view::npos ? "" : file.substr(end + 1);
    if (line == "<<<") {
      part = &scenario.input;
    } else if (line == ">>>") {
      part = &scenario.expected;
      scenario.complete = true;
    } else if (line.substr(0, tracePrefix.size()) == tracePrefix) {
      scenario.traces.push_back(
          {std::string(line.substr(tracePrefix.size())), ""});
      part = &scenario.traces.back().expected;
    } else if (part) {
      *part += unescapeLine(line);
    }
  }
  return scenario;
}

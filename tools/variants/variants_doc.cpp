// Writes docs/variants.md from the catalogue: each variant with its example
// run on morvavl and on the variant, so that the page cannot say what the
// engine does not. CI compares the committed page with this output.
#include "ScriptSession.h"
#include "Text.h"
#include "Variants.h"

#include <cstdio>
#include <sstream>
#include <string>

namespace {

constexpr std::string_view header =
    R"(# The variants: misreadings that morvavl-compare can name

When another program differs from morvavl, `morvavl-compare` tries each of
the variants below on every script that differed, and on those that agreed:
a variant is named in its `diagnosis:` line only when it gives exactly the
program's answers on every script that differed and morvavl's on every
other. Each variant is morvavl's own engine with one rule of
[behaviour.md](behaviour.md) read another way; `morvavl-compare --reference
NAME` checks a program against one of them, and `morvavl-trace --variant
NAME` traces a script on it, with a note where its rule applied.

This page is written by `build/tools/variants-doc` from the catalogue
(`tools/variants/Variants.cpp`); each example's answers are those the two
engines give. In the scripts, `\r` and `\t` stand for a CR and a tab.

| variant | what it does | the rule it reads another way |
|---|---|---|
)";

// The answer lines of a script on the engine, the first of the commands
// without a line standing for all of them.
std::string answersOf(std::string_view script, const Policy *policy) {
  std::istringstream in{std::string(script)};
  ScriptSession session(in, nullptr, policy);
  std::string answers;
  for (ScriptSession::Step step; session.step(step);) {
    for (std::size_t from = 0; from < step.answers.size();) {
      const std::size_t end = step.answers.find('\n', from);
      const std::string_view line = step.answers.substr(from, end - from);
      answers +=
          "    " + (line.empty() ? "(empty line)" : text::escaped(line)) + "\n";
      from = end + 1;
    }
    if (step.missing) {
      if (step.missingAfter > 0) {
        answers +=
            "    (the same for " +
            text::counted(step.missingAfter, "more command", "more commands") +
            " without a line)\n";
      }
      break;
    }
  }
  return answers.empty() ? "    (nothing)\n" : answers;
}

std::string scriptOf(std::string_view script) {
  std::string shown;
  while (!script.empty()) {
    const std::size_t end = script.find('\n');
    shown += "    " + text::escaped(script.substr(0, end)) +
             (end == std::string_view::npos ? "  (no line feed)" : "") + "\n";
    script.remove_prefix(end == std::string_view::npos ? script.size()
                                                       : end + 1);
  }
  return shown;
}

std::string anchorOf(std::string_view section) {
  std::string anchor;
  for (const char c : section) {
    if (c == ' ') {
      anchor += '-';
    } else if (c != '.' && c != ',') {
      anchor += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
  }
  return anchor;
}

} // namespace

int main() {
  std::string page(header);
  for (const Variant &variant : variants()) {
    page +=
        "| [`" + std::string(variant.name) + "`](#" +
        std::string(variant.name) + ") | " + std::string(variant.description) +
        " | [" + std::string(variant.section) + "](behaviour.md#" +
        anchorOf(variant.section) + "): " + std::string(variant.rule) + " |\n";
  }
  for (const Variant &variant : variants()) {
    page +=
        "\n## " + std::string(variant.name) + "\n\n" +
        std::string(1, static_cast<char>(variant.description[0] - 'a' + 'A')) +
        std::string(variant.description.substr(1)) +
        ". The rule: " + sectionOf(variant) + ".\n\nScript:\n\n" +
        scriptOf(variant.example) + "\nmorvavl answers:\n\n" +
        answersOf(variant.example, nullptr) + "\n`" +
        std::string(variant.name) + "` answers:\n\n" +
        answersOf(variant.example, &variant.policy);
  }
  std::fwrite(page.data(), 1, page.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

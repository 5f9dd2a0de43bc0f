// A tool's options, declared once: each row says how --help shows the
// option and what reading it does, so that the usage text and the parser
// cannot drift apart. The manual pages are written by hand; CI checks that
// they name every option --help names, and no other.
#ifndef MORVAVL_TOOLS_OPTIONS_H
#define MORVAVL_TOOLS_OPTIONS_H

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tool {

class Arguments;

struct Option {
  enum class Value {
    none,     // a flag: --tsv
    required, // --seed S, or --seed=S
    optional, // --draw, --draw=LINES, or --draw LINES when isValue says so
  };
  std::string_view name; // "--seed"
  Value value = Value::none;
  std::string_view placeholder; // "S", shown in --help
  std::string_view help;        // folded to fit 79 columns
  // Reads the option; the value is empty for a flag, or for an optional
  // value not given.
  std::function<void(const std::string &value)> read;
  // For an optional value: whether the next argument is one.
  std::function<bool(std::string_view next)> isValue = nullptr;
  // The message when a required value is missing or empty; by default
  // "NAME needs a value (see --help)".
  std::string_view whenMissing = {};
};

// The usage a tool's --help writes: the header, then "Options:" and one
// entry per option (--help last), then the footer.
std::string usageOf(std::string_view header, const std::vector<Option> &options,
                    std::string_view footer);

// Reads the options in args. An argument that is not one ("-", anything
// without a leading dash, and whatever follows "--") is an operand: it is
// offered to `operand`, and reading goes on if it takes it; reading stops
// at the first operand not taken, which stays in args. An unknown option
// fails the tool, as does a value missing or given to a flag.
void readOptions(
    Arguments &args, const std::vector<Option> &options,
    const std::function<bool(const std::string &)> &operand = nullptr);

// Words after a hanging indent, folded to fit 79 columns; the first line
// continues a line already `indent` columns wide.
std::string folded(std::string_view words, std::size_t indent);

} // namespace tool

#endif

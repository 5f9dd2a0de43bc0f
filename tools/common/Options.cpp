// --help is put together from the rows; the reader finds each argument's
// row by its name, with the value attached after "=" or in the next
// argument.
#include "Options.h"

#include "Tool.h"

#include <algorithm>

namespace tool {

namespace {

constexpr std::size_t helpColumn = 21;

std::string entry(const Option &option) {
  std::string left = "  " + std::string(option.name);
  if (option.value == Option::Value::required) {
    left += " " + std::string(option.placeholder);
  } else if (option.value == Option::Value::optional) {
    left += "[=" + std::string(option.placeholder) + "]";
  }
  std::string out = left;
  if (left.size() + 2 > helpColumn) {
    out += "\n" + std::string(helpColumn, ' ');
  } else {
    out.resize(helpColumn, ' ');
  }
  return out + folded(option.help, helpColumn) + "\n";
}

const Option *find(const std::vector<Option> &options, std::string_view arg) {
  for (const Option &option : options) {
    if (arg == option.name ||
        (arg.size() > option.name.size() &&
         arg.substr(0, option.name.size()) == option.name &&
         arg[option.name.size()] == '=')) {
      return &option;
    }
  }
  return nullptr;
}

} // namespace

std::string folded(std::string_view words, std::size_t indent) {
  constexpr std::size_t width = 79;
  std::string out;
  std::size_t column = indent;
  while (!words.empty()) {
    const std::size_t space = words.find(' ');
    const std::string_view word = words.substr(0, space);
    words.remove_prefix(space == std::string_view::npos ? words.size()
                                                        : space + 1);
    if (column > indent && column + 1 + word.size() > width) {
      out += "\n" + std::string(indent, ' ');
      column = indent;
    } else if (column > indent) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
  }
  return out;
}

std::string usageOf(std::string_view header, const std::vector<Option> &options,
                    std::string_view footer) {
  std::string usage(header);
  usage += "\nOptions:\n";
  for (const Option &option : options) {
    usage += entry(option);
  }
  usage += entry({"--help", Option::Value::none, "", "show this text", {}});
  return usage + "\n" + std::string(footer);
}

void readOptions(Arguments &args, const std::vector<Option> &options,
                 const std::function<bool(const std::string &)> &operand) {
  bool optionsEnded = false;
  while (!args.done()) {
    const std::string arg = args.peek();
    const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
    if (!isOption) {
      if (!operand || !operand(arg)) {
        return;
      }
      args.next();
      continue;
    }
    if (arg == "--") {
      args.next();
      optionsEnded = true;
      continue;
    }
    const Option *option = find(options, arg);
    if (!option || !args.take(option->name)) {
      fail("unknown option " + arg + " (see --help)");
    }
    std::string value;
    switch (option->value) {
    case Option::Value::none:
      if (args.hasAttached()) {
        fail(std::string(option->name) + " takes no value (see --help)");
      }
      break;
    case Option::Value::required:
      if (!args.value(value) || value.empty()) {
        fail(option->whenMissing.empty()
                 ? std::string(option->name) + " needs a value (see --help)"
                 : std::string(option->whenMissing));
      }
      break;
    case Option::Value::optional:
      if (args.hasAttached() ||
          (!args.done() && option->isValue && option->isValue(args.peek()))) {
        args.value(value);
      }
      break;
    }
    option->read(value);
  }
}

} // namespace tool

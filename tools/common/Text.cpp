// Byte escapes, records and numbers as the tools show them.
#include "Text.h"

#include <algorithm>

namespace text {

void appendEscaped(std::string &out, std::string_view bytes) {
  static constexpr char hex[] = "0123456789ABCDEF";
  const auto plain = [](unsigned char byte) {
    return byte >= 0x20 && byte <= 0x7E && byte != '\\';
  };
  for (std::size_t at = 0; at < bytes.size();) {
    // Runs of printable bytes go in whole.
    std::size_t end = at;
    while (end < bytes.size() &&
           plain(static_cast<unsigned char>(bytes[end]))) {
      ++end;
    }
    out.append(bytes.data() + at, end - at);
    if (end == bytes.size()) {
      return;
    }
    const char c = bytes[end];
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += "\\x";
      out += hex[byte >> 4];
      out += hex[byte & 15];
    }
    at = end + 1;
  }
}

std::string escaped(std::string_view bytes) {
  std::string out;
  appendEscaped(out, bytes);
  return out;
}

void appendQuoted(std::string &out, std::string_view bytes) {
  out += '"';
  appendEscaped(out, bytes);
  out += '"';
}

void appendJsonField(std::string &out, std::string_view name,
                     std::int64_t value) {
  out.append(",\"").append(name).append("\":").append(std::to_string(value));
}

void appendJsonFlag(std::string &out, std::string_view name, bool value) {
  out.append(",\"").append(name).append(value ? "\":true" : "\":false");
}

void appendJson(std::string &out, std::string_view bytes) {
  static constexpr char hex[] = "0123456789abcdef";
  out += '"';
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte > 0x7E) {
      out += "\\u00";
      out += hex[byte >> 4];
      out += hex[byte & 15];
    } else {
      out += c;
    }
  }
  out += '"';
}

void appendRecord(std::string &out, const PelixNode &node) {
  out += node.idText();
  out += ' ';
  appendQuoted(out, node.name);
}

std::string grouped(std::uint64_t number) {
  std::string digits = std::to_string(number);
  for (std::size_t i = digits.size(); i > 3; i -= 3) {
    digits.insert(i - 3, ",");
  }
  return digits;
}

std::string signedNumber(std::int64_t number) {
  return number > 0 ? "+" + std::to_string(number) : std::to_string(number);
}

std::string counted(std::uint64_t number, std::string_view singular,
                    std::string_view plural) {
  return grouped(number) + " " + std::string(number == 1 ? singular : plural);
}

namespace {

// A cut at `at` moved back before an escape it would split.
std::size_t besideEscape(std::string_view line, std::size_t at) {
  const std::size_t back =
      line.substr(at > 3 ? at - 3 : 0, at > 3 ? 3 : at).rfind('\\');
  return back == std::string_view::npos ? at : (at > 3 ? at - 3 : 0) + back;
}

} // namespace

std::string cutLongLines(std::string_view text, std::size_t most) {
  const std::size_t head = most * 3 / 5;
  const std::size_t tail = most / 5;
  std::string out;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find('\n'), text.size());
    const std::string_view line = text.substr(0, end);
    if (line.size() <= most) {
      out.append(line);
    } else {
      const std::size_t start = besideEscape(line, head);
      const std::size_t finish = besideEscape(line, line.size() - tail);
      out.append(line.substr(0, start));
      out +=
          " … [" + counted(finish - start, "byte", "bytes") + " left out] … ";
      out.append(line.substr(finish));
    }
    if (end < text.size()) {
      out += '\n';
    }
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return out;
}

} // namespace text

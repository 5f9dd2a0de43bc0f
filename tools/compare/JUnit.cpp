// Text goes into the document escaped for XML 1.0, which has no way to
// write most control bytes: those become U+FFFD, as does every byte that
// is not part of well-formed UTF-8, so that a parser never rejects the
// document. A report is cut to a size a viewer can show, between
// characters.
#include "JUnit.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t mostReportBytes = 1 << 16;

constexpr char replacement[] = "\xEF\xBF\xBD";

// The length of the well-formed UTF-8 character at the start of text, or 0.
std::size_t characterSize(std::string_view text) {
  const auto byte = [&text](std::size_t i) {
    return static_cast<unsigned char>(text[i]);
  };
  const unsigned char lead = byte(0);
  const std::size_t size = lead < 0x80                    ? 1
                           : lead >= 0xC2 && lead <= 0xDF ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 0;
  if (size == 0 || size > text.size()) {
    return 0;
  }
  for (std::size_t i = 1; i < size; ++i) {
    if ((byte(i) & 0xC0) != 0x80) {
      return 0;
    }
  }
  // No overlong form, no surrogate, nothing past U+10FFFF, and neither
  // U+FFFE nor U+FFFF, which XML does not allow.
  const bool bad =
      (lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0) ||
      (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90) ||
      (lead == 0xEF && byte(1) == 0xBF && byte(2) >= 0xBE);
  return bad ? 0 : size;
}

std::string escaped(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const char c = text[at];
    if (static_cast<unsigned char>(c) >= 0x80) {
      const std::size_t size = characterSize(text.substr(at));
      out.append(size ? text.substr(at, size) : replacement);
      at += size ? size : 1;
      continue;
    }
    ++at;
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    default:
      if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') {
        out += replacement;
      } else {
        out += c;
      }
    }
  }
  return out;
}

std::string seconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

} // namespace

void JUnitReport::passed(std::string_view name, double seconds) {
  cases_.push_back({std::string(name), seconds, false, false, "", ""});
}

void JUnitReport::skipped(std::string_view name, std::string_view why) {
  cases_.push_back({std::string(name), 0, false, true, std::string(why), ""});
}

void JUnitReport::failed(std::string_view name, double seconds,
                         std::string_view message, std::string_view report) {
  std::size_t cut = std::min(report.size(), mostReportBytes);
  while (cut > 0 && cut < report.size() &&
         (static_cast<unsigned char>(report[cut]) & 0xC0) == 0x80) {
    --cut; // not inside a character
  }
  std::string kept(report.substr(0, cut));
  if (report.size() > kept.size()) {
    kept += "\n[the report goes on for " +
            std::to_string(report.size() - kept.size()) + " more bytes]\n";
  }
  cases_.push_back(
      {std::string(name), seconds, true, false, std::string(message), kept});
}

void JUnitReport::addToFailures(std::string_view note) {
  for (Case &testCase : cases_) {
    if (testCase.failed) {
      testCase.message += note;
    }
  }
}

std::string JUnitReport::xml() const {
  std::size_t failures = 0;
  std::size_t skips = 0;
  double total = 0;
  for (const Case &testCase : cases_) {
    failures += testCase.failed ? 1 : 0;
    skips += testCase.skipped ? 1 : 0;
    total += testCase.seconds;
  }
  const std::string counts =
      " tests=\"" + std::to_string(cases_.size()) + "\" failures=\"" +
      std::to_string(failures) + "\" errors=\"0\" skipped=\"" +
      std::to_string(skips) + "\" time=\"" + seconds(total) + "\"";
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<testsuites name=\"morvavl-compare\"" +
                    counts + ">\n  <testsuite name=\"" + escaped(suite_) +
                    "\"" + counts + ">\n";
  for (const Case &testCase : cases_) {
    xml += "    <testcase classname=\"morvavl-compare\" name=\"" +
           escaped(testCase.name) + "\" time=\"" + seconds(testCase.seconds) +
           "\"";
    if (testCase.skipped) {
      xml += ">\n      <skipped message=\"" + escaped(testCase.message) +
             "\"/>\n    </testcase>\n";
      continue;
    }
    if (!testCase.failed) {
      xml += "/>\n";
      continue;
    }
    xml += ">\n      <failure type=\"differs\" message=\"" +
           escaped(testCase.message) + "\">" + escaped(testCase.report) +
           "</failure>\n    </testcase>\n";
  }
  return xml + "  </testsuite>\n</testsuites>\n";
}

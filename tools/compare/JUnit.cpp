// Text goes into the document escaped for XML 1.0, which has no way to
// write most control bytes: those become U+FFFD. A report is cut to a size
// a viewer can show.
#include "JUnit.h"

#include <cstdio>

namespace {

constexpr std::size_t mostReportBytes = 1 << 16;

std::string escaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
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
        out += "\xEF\xBF\xBD";
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
  cases_.push_back({std::string(name), seconds, false, "", ""});
}

void JUnitReport::failed(std::string_view name, double seconds,
                         std::string_view message, std::string_view report) {
  std::string kept(report.substr(0, mostReportBytes));
  if (report.size() > kept.size()) {
    kept += "\n[the report goes on for " +
            std::to_string(report.size() - kept.size()) + " more bytes]\n";
  }
  cases_.push_back(
      {std::string(name), seconds, true, std::string(message), kept});
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
  double total = 0;
  for (const Case &testCase : cases_) {
    failures += testCase.failed ? 1 : 0;
    total += testCase.seconds;
  }
  const std::string counts = " tests=\"" + std::to_string(cases_.size()) +
                             "\" failures=\"" + std::to_string(failures) +
                             "\" errors=\"0\" skipped=\"0\" time=\"" +
                             seconds(total) + "\"";
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<testsuites name=\"morvavl-compare\"" +
                    counts + ">\n  <testsuite name=\"" + escaped(suite_) +
                    "\"" + counts + ">\n";
  for (const Case &testCase : cases_) {
    xml += "    <testcase classname=\"morvavl-compare\" name=\"" +
           escaped(testCase.name) + "\" time=\"" + seconds(testCase.seconds) +
           "\"";
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

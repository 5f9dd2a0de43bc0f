// A JUnit XML report of a comparison, so that a continuous integration
// system shows each script as a test: one test case per script, and for a
// script that differs, a failure whose message is the first difference and
// whose text is the whole report.
#ifndef MORVAVL_TOOLS_JUNIT_H
#define MORVAVL_TOOLS_JUNIT_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class JUnitReport {
public:
  explicit JUnitReport(std::string suite) : suite_(std::move(suite)) {}

  void passed(std::string_view name, double seconds);
  void failed(std::string_view name, double seconds, std::string_view message,
              std::string_view report);
  // A script that was not run, and why.
  void skipped(std::string_view name, std::string_view why);

  // Adds this to the message of every failure so far.
  void addToFailures(std::string_view note);

  // The whole document.
  std::string xml() const;

private:
  struct Case {
    std::string name;
    double seconds;
    bool failed;
    bool skipped;
    std::string message;
    std::string report;
  };
  std::string suite_;
  std::vector<Case> cases_;
};

#endif

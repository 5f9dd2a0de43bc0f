// The frame every tool's main runs in, and the parsing of options and
// numbers they share.
#include "Tool.h"

#include "Text.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace tool {

namespace {

int error(std::string_view name, const std::string &message) {
  std::fprintf(stderr, "%.*s: error: %s\n", static_cast<int>(name.size()),
               name.data(), message.c_str());
  return usageError;
}

// A standard descriptor that is closed gets a /dev/null of its own, so that
// no file or pipe the tool opens can land on it and be taken for one.
void fillStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) < 0 && errno == EBADF) {
      ::open("/dev/null", O_RDWR); // the lowest free descriptor: this one
    }
  }
}

bool asksForHelp(const Description &tool, int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      return true;
    }
    if (arg == "--" ||
        (tool.optionsEndAtOperand && (arg.empty() || arg[0] != '-'))) {
      return false;
    }
  }
  return false;
}

} // namespace

void fail(std::string message) { throw Failure{std::move(message)}; }

void outputFailed(std::string_view what) {
  if (errno == EPIPE) {
    std::signal(SIGPIPE, SIG_DFL);
    std::raise(SIGPIPE);
  }
  fail(cannotWrite(what));
}

std::string cannotWrite(std::string_view what) {
  return "cannot write " + std::string(what) + ": " + std::strerror(errno);
}

std::string cannotRead(std::string_view what) {
  return "cannot read " + std::string(what) + ": " + std::strerror(errno);
}

int run(const Description &tool, int argc, char **argv,
        int (*body)(Arguments &args)) {
  fillStandardDescriptors();
  if (asksForHelp(tool, argc, argv)) {
    return writeAll(STDOUT_FILENO, tool.usage)
               ? 0
               : error(tool.name, cannotWrite("the help"));
  }
  int status = 0;
  try {
    Arguments args(argc, argv);
    status = body(args);
  } catch (const Failure &failure) {
    std::fflush(stdout);
    return error(tool.name, failure.message);
  } catch (const std::bad_alloc &) {
    std::fflush(stdout);
    return error(tool.name, "out of memory");
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    try {
      outputFailed("standard output");
    } catch (const Failure &failure) {
      return error(tool.name, failure.message);
    }
  }
  return status;
}

int unlinkedTemporaryFile(std::string_view stem) {
  const char *dir = std::getenv("TMPDIR");
  std::string path = std::string(dir && *dir ? dir : "/tmp") + "/" +
                     std::string(stem) + ".XXXXXX";
  const int fd = ::mkostemp(path.data(), O_CLOEXEC);
  if (fd < 0) {
    fail(cannotWrite(path));
  }
  ::unlink(path.c_str());
  return fd;
}

bool writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
    if (wrote > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(wrote));
      continue;
    }
    if (wrote < 0 && errno == EINTR) {
      continue;
    }
    if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd output{fd, POLLOUT, 0};
      if (::poll(&output, 1, -1) >= 0 || errno == EINTR) {
        continue;
      }
    }
    return false;
  }
  return true;
}

void Output::flush() {
  if (!buffer_.empty() && !failed_) {
    failed_ = !writeAll(fd_, buffer_);
  }
  buffer_.clear();
}

namespace {

enum class Digits { number, notNumber, tooBig };

Digits readDigits(std::string_view text, std::uint64_t &value) {
  if (text.empty()) {
    return Digits::notNumber;
  }
  value = 0;
  bool tooBig = false;
  for (const char c : text) {
    if (c < '0' || c > '9') {
      return Digits::notNumber;
    }
    const auto digit = static_cast<std::uint64_t>(c - '0');
    tooBig = tooBig || value > (~std::uint64_t{0} - digit) / 10;
    value = value * 10 + digit;
  }
  return tooBig ? Digits::tooBig : Digits::number;
}

} // namespace

bool parseNumber(std::string_view text, std::uint64_t &value) {
  return readDigits(text, value) == Digits::number;
}

std::uint64_t number(std::string_view what, std::string_view text,
                     std::uint64_t least, std::uint64_t most) {
  std::uint64_t value = 0;
  const Digits digits = readDigits(text, value);
  if (digits == Digits::notNumber) {
    fail(std::string(what) + " must be a whole number, not " +
         text::escaped(text));
  }
  if (digits == Digits::tooBig || value > most) {
    fail(std::string(what) + " " + std::string(text) + " is too big: at most " +
         text::grouped(most));
  }
  if (value < least) {
    fail(std::string(what) + " " + std::string(text) +
         " is too small: at least " + text::grouped(least));
  }
  return value;
}

bool LineSet::parse(std::string_view text) {
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view item = text.substr(0, comma);
    const std::size_t dash = item.find('-');
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    if (!parseNumber(item.substr(0, dash), first) ||
        !parseNumber(dash == std::string_view::npos ? item.substr(0, dash)
                                                    : item.substr(dash + 1),
                     last) ||
        last < first) {
      return false;
    }
    ranges_.emplace_back(first, last);
    text = comma == std::string_view::npos ? "" : text.substr(comma + 1);
    if (comma != std::string_view::npos && text.empty()) {
      return false;
    }
  }
  return !ranges_.empty();
}

bool LineSet::contains(std::uint64_t line) const {
  for (const auto &range : ranges_) {
    if (line >= range.first && line <= range.second) {
      return true;
    }
  }
  return false;
}

bool Arguments::take(std::string_view option) {
  if (done()) {
    return false;
  }
  const std::string_view arg = args_[next_];
  if (arg == option) {
    hasAttached_ = false;
    ++next_;
    return true;
  }
  if (arg.size() > option.size() && arg.substr(0, option.size()) == option &&
      arg[option.size()] == '=') {
    hasAttached_ = true;
    attached_ = std::string(arg.substr(option.size() + 1));
    ++next_;
    return true;
  }
  return false;
}

bool Arguments::value(std::string &value) {
  if (hasAttached_) {
    value = attached_;
    hasAttached_ = false;
    return true;
  }
  if (done()) {
    return false;
  }
  value = args_[next_++];
  return true;
}

} // namespace tool

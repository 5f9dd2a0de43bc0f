// The sink's framing and its batching of repeated lines, and standard
// output written with one write(2) per delivery.
#include "AnswerSink.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

// Where the platform offers it, a delivery is one write(2) call; the
// standard library's unbuffered stdout is the portable fallback.
#if __has_include(<unistd.h>)
#include <poll.h>
#include <unistd.h>
#define MORVAVL_POSIX_WRITE 1
#else
#define MORVAVL_POSIX_WRITE 0
#endif

void AnswerSink::line(std::string_view text) {
  // Most answers are short: they are framed on the stack, not in pending_.
  char frame[64];
  if (text.size() < sizeof frame) {
    std::memcpy(frame, text.data(), text.size());
    frame[text.size()] = '\n';
    send({frame, text.size() + 1});
    return;
  }
  pending_.assign(text.data(), text.size());
  endLine();
}

void AnswerSink::endLine() {
  pending_.push_back('\n');
  send(pending_);
  pending_.clear();
}

void AnswerSink::repeatLine(std::string_view text, std::uint64_t times) {
  constexpr std::uint64_t batchBytes = 1 << 16;
  const std::uint64_t perBatch =
      std::max<std::uint64_t>(1, batchBytes / (text.size() + 1));
  pending_.clear();
  for (std::uint64_t i = 0; i < std::min(times, perBatch); ++i) {
    pending_.append(text.data(), text.size()).push_back('\n');
  }
  while (times > 0 && delivering_) {
    const std::uint64_t batch = std::min(times, perBatch);
    send(std::string_view(pending_).substr(0, batch * (text.size() + 1)));
    times -= batch;
  }
  pending_.clear();
}

bool StdoutAnswers::deliver(std::string_view lines) {
#if MORVAVL_POSIX_WRITE
  while (!lines.empty()) {
    const ssize_t wrote = ::write(STDOUT_FILENO, lines.data(), lines.size());
    if (wrote < 0 && errno == EINTR) {
      continue;
    }
    // A non-blocking output that is full: wait until it takes more, as a
    // blocking one would, rather than lose the answers.
    if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd output{STDOUT_FILENO, POLLOUT, 0};
      if (::poll(&output, 1, -1) >= 0 || errno == EINTR) {
        continue;
      }
      return false;
    }
    if (wrote <= 0) {
      return false;
    }
    lines.remove_prefix(static_cast<std::size_t>(wrote));
  }
  return true;
#else
  return std::fwrite(lines.data(), 1, lines.size(), stdout) == lines.size() &&
         std::fflush(stdout) == 0;
#endif
}

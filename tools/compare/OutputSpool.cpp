// One file, made close-on-exec and unlinked at once, so that nothing is
// left behind and no program under test can read it.
#include "OutputSpool.h"

#include "Tool.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

OutputSpool::OutputSpool()
    : fd_(tool::unlinkedTemporaryFile("morvavl-compare")) {}

OutputSpool::~OutputSpool() { ::close(fd_); }

void OutputSpool::clear() {
  size_ = 0;
  before_ = 0;
  started_ = false;
  complete_ = ::ftruncate(fd_, 0) == 0;
}

void OutputSpool::start(std::uint64_t before) {
  started_ = true;
  before_ = before;
}

void OutputSpool::add(std::string_view chunk) {
  if (!complete_ || size_ + chunk.size() > mostBytes) {
    complete_ = false;
    return;
  }
  for (std::size_t at = 0; at < chunk.size();) {
    const ssize_t wrote = ::pwrite(fd_, chunk.data() + at, chunk.size() - at,
                                   static_cast<off_t>(size_ + at));
    if (wrote < 0 && errno == EINTR) {
      continue;
    }
    if (wrote <= 0) {
      complete_ = false; // a full disk: the diagnosis leaves this run out
      return;
    }
    at += static_cast<std::size_t>(wrote);
  }
  size_ += chunk.size();
}

void OutputSpool::replay(
    const std::function<bool(std::string_view)> &use) const {
  char block[1 << 16];
  for (std::uint64_t at = 0; at < size_;) {
    const ssize_t got =
        ::pread(fd_, block, sizeof block, static_cast<off_t>(at));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0 ||
        !use(std::string_view(block, static_cast<std::size_t>(got)))) {
      return;
    }
    at += static_cast<std::uint64_t>(got);
  }
}

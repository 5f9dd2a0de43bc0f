// Kept apart from the trace so that what the tool may do to a file it did
// not create (nothing, until it writes there) is written down once.
#include "DotFile.h"

#include "Tool.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

DotFile::DotFile(std::string path, int scriptFd) : path_(std::move(path)) {
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  created_ = fd_ >= 0;
  if (!created_ && errno == EEXIST) {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
  }
  if (fd_ < 0) {
    tool::fail(tool::cannotWrite(path_));
  }
  struct stat output {};
  struct stat script {};
  if (::fstat(fd_, &output) == 0 && ::fstat(scriptFd, &script) == 0 &&
      output.st_dev == script.st_dev && output.st_ino == script.st_ino) {
    tool::fail("--dot " + path_ + ": it is the script being read");
  }
}

DotFile::~DotFile() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

void DotFile::write(std::string_view graph) {
  struct stat output {};
  // Emptied only now, and only a regular file: a device or a FIFO is
  // written to as it is.
  if (!written_ && ::fstat(fd_, &output) == 0 && S_ISREG(output.st_mode) &&
      ::ftruncate(fd_, 0) != 0) {
    tool::fail(tool::cannotWrite(path_));
  }
  written_ = true;
  if (!tool::writeAll(fd_, graph)) {
    tool::fail(tool::cannotWrite(path_));
  }
}

void DotFile::abandon() {
  if (created_ && !written_) {
    ::unlink(path_.c_str());
  }
}

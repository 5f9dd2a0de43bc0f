// What a tool may do to a file it did not create (nothing, until it writes
// there), written down once.
#include "OutputFile.h"

#include "Tool.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

OutputFile::OutputFile(std::string option, std::string path, int inputFd)
    : path_(std::move(path)) {
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  created_ = fd_ >= 0;
  if (!created_ && errno == EEXIST) {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
  }
  if (fd_ < 0) {
    tool::fail(tool::cannotWrite(path_));
  }
  struct stat output {};
  struct stat input {};
  if (inputFd >= 0 && ::fstat(fd_, &output) == 0 &&
      ::fstat(inputFd, &input) == 0 && output.st_dev == input.st_dev &&
      output.st_ino == input.st_ino) {
    tool::fail(option + " " + path_ + ": it is the script being read");
  }
}

OutputFile::~OutputFile() {
  abandon();
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

void OutputFile::write(std::string_view bytes) {
  struct stat output {};
  // Emptied only now, and only a regular file: a device or a FIFO is
  // written to as it is.
  if (!written_ && ::fstat(fd_, &output) == 0 && S_ISREG(output.st_mode) &&
      ::ftruncate(fd_, 0) != 0) {
    tool::fail(tool::cannotWrite(path_));
  }
  written_ = true;
  if (!tool::writeAll(fd_, bytes)) {
    tool::fail(tool::cannotWrite(path_));
  }
}

void OutputFile::abandon() {
  if (created_ && !written_) {
    ::unlink(path_.c_str());
  }
  created_ = false; // once: the name may be someone else's by then
}

// A file a tool writes, named by an option. It is opened before any work,
// so that one that cannot be written is told at once (and a FIFO's reader
// is met then), but emptied only when the first bytes go into it. A run
// that writes nothing leaves what was there as it was, and removes only a
// file it created itself. A file that is the tool's input can be refused.
#ifndef MORVAVL_TOOLS_COMMON_OUTPUTFILE_H
#define MORVAVL_TOOLS_COMMON_OUTPUTFILE_H

#include <string>
#include <string_view>

class OutputFile {
public:
  // Opens `path` for `option` (as "--dot"); when inputFd is an open
  // descriptor, refuses a file that is the same. Fails the tool
  // (tool::fail) when it cannot be written.
  OutputFile(std::string option, std::string path, int inputFd = -1);
  ~OutputFile();
  OutputFile(const OutputFile &) = delete;
  OutputFile &operator=(const OutputFile &) = delete;

  // Adds bytes; fails the tool when they cannot be written.
  void write(std::string_view bytes);
  // Nothing came: removes the file if this run created it. Done on
  // destruction too, as when the tool fails.
  void abandon();

private:
  std::string path_;
  int fd_ = -1;
  bool created_ = false;
  bool written_ = false;
};

#endif

// The file that --dot names. It is opened before any work, so that one
// that cannot be written is told at once, but emptied only when the first
// graph goes into it. A run that writes no graph leaves what was there as
// it was, and removes only a file it created itself. A file that is the
// script being read is refused.
#ifndef MORVAVL_TOOLS_TRACE_DOTFILE_H
#define MORVAVL_TOOLS_TRACE_DOTFILE_H

#include <string>
#include <string_view>

class DotFile {
public:
  // Opens `path`; scriptFd is the descriptor the script is read from.
  // Fails the tool (tool::fail) when it cannot be written or is the
  // script.
  DotFile(std::string path, int scriptFd);
  ~DotFile();
  DotFile(const DotFile &) = delete;
  DotFile &operator=(const DotFile &) = delete;

  // Adds a graph; fails the tool when it cannot be written.
  void write(std::string_view graph);
  // No graph came: removes the file if this run created it.
  void abandon();

private:
  std::string path_;
  int fd_ = -1;
  bool created_ = false;
  bool written_ = false;
};

#endif

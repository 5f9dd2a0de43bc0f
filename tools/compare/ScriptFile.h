// A script kept on disk rather than in memory: a generated script, or one
// read from a pipe or a device, which cannot be read again. The file is
// made close-on-exec and unlinked at once, so that nothing is left behind
// and no program under test can read it; it is named through
// /proc/self/fd for as long as a ScriptSource holds it.
#ifndef MORVAVL_TOOLS_COMPARE_SCRIPTFILE_H
#define MORVAVL_TOOLS_COMPARE_SCRIPTFILE_H

#include "Comparison.h"

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

class ScriptFile {
public:
  ScriptFile();
  ~ScriptFile();
  ScriptFile(const ScriptFile &) = delete;
  ScriptFile &operator=(const ScriptFile &) = delete;

  // Adds bytes; fails the tool (tool::fail) when the disk takes no more.
  void append(std::string_view bytes);
  std::uint64_t size() const { return size_; }

  // A source named `name` that reads the file and keeps it.
  static ScriptSource source(std::shared_ptr<ScriptFile> file,
                             std::string name);

private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

// What can be read of a pipe or a device, `path`, copied into a ScriptFile;
// more than `most` bytes fail the tool, with a word on what to do.
ScriptSource streamToDisk(const std::string &path, std::istream &in,
                          std::uint64_t most);

#endif

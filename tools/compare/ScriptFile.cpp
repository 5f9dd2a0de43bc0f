// Written once, read as often as the runs and the report need.
#include "ScriptFile.h"

#include "Tool.h"

#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

ScriptFile::ScriptFile() : fd_(tool::unlinkedTemporaryFile("morvavl-script")) {}

ScriptFile::~ScriptFile() { ::close(fd_); }

void ScriptFile::append(std::string_view bytes) {
  if (!tool::writeAll(fd_, bytes)) {
    tool::fail(tool::cannotWrite("a script to a temporary file"));
  }
  size_ += bytes.size();
}

ScriptSource ScriptFile::source(std::shared_ptr<ScriptFile> file,
                                std::string name) {
  const std::string path = "/proc/self/fd/" + std::to_string(file->fd_);
  return {std::move(name), "", path, std::move(file)};
}

ScriptSource streamToDisk(const std::string &path, std::istream &in,
                          std::uint64_t most) {
  auto file = std::make_shared<ScriptFile>();
  char chunk[1 << 16];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    file->append({chunk, static_cast<std::size_t>(in.gcount())});
    if (file->size() > most) {
      tool::fail("cannot read " + path + ": it is no regular file, and " +
                 "gives more than " + std::to_string(most >> 30) +
                 " GiB; save the script to a file and give that");
    }
  }
  return ScriptFile::source(std::move(file), path);
}

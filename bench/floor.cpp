// The floor of any faithful program: reads the whole script from standard
// input and writes the given answer lines, one write call per line, without
// computing anything. The answers are streamed from their file, so that the
// floor's time does not depend on holding a large answer file in memory.
// Usage: floor ANSWERS < SCRIPT
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

bool writeAll(const char *text, std::size_t size) {
  while (size > 0) {
    const ssize_t wrote = write(1, text, size);
    if (wrote < 0) {
      return false;
    }
    text += wrote;
    size -= static_cast<std::size_t>(wrote);
  }
  return true;
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s ANSWERS < SCRIPT\n", argv[0]);
    return 2;
  }
  std::ifstream answers(argv[1], std::ios::binary);
  char buffer[1 << 16];
  while (read(0, buffer, sizeof buffer) > 0) {
  }
  // A line longer than the block is carried over until its line feed.
  std::string line;
  while (answers.read(buffer, sizeof buffer) || answers.gcount() > 0) {
    const char *from = buffer;
    const char *end = buffer + answers.gcount();
    while (const auto *feed = static_cast<const char *>(
               std::memchr(from, '\n', static_cast<std::size_t>(end - from)))) {
      if (line.empty()) {
        if (!writeAll(from, static_cast<std::size_t>(feed - from) + 1)) {
          return 1;
        }
      } else {
        line.append(from, feed + 1);
        if (!writeAll(line.data(), line.size())) {
          return 1;
        }
        line.clear();
      }
      from = feed + 1;
    }
    line.append(from, end);
  }
  return writeAll(line.data(), line.size()) ? 0 : 1;
}

// The floor of any faithful program: reads the whole script from standard
// input and writes the given answer lines, one write call per line, without
// computing anything. Usage: floor ANSWERS < SCRIPT
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s ANSWERS < SCRIPT\n", argv[0]);
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary | std::ios::ate);
  std::string answers(static_cast<std::size_t>(file.tellg()), '\0');
  file.seekg(0);
  file.read(answers.data(), static_cast<std::streamsize>(answers.size()));
  char buffer[1 << 16];
  while (read(0, buffer, sizeof buffer) > 0) {
  }
  std::size_t start = 0;
  while (start < answers.size()) {
    std::size_t end = answers.find('\n', start);
    end = end == std::string::npos ? answers.size() : end + 1;
    if (write(1, answers.data() + start, end - start) < 0) {
      return 1;
    }
    start = end;
  }
  return 0;
}

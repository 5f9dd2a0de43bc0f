// The command front end: reads the script, cuts each line into a command
// word and its arguments, and calls one operation of the tree per command.
#ifndef MORVAVL_MAIN_H
#define MORVAVL_MAIN_H

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string_view>

class MorvAVLTree;

// One command line, read like a string stream over it with getline() and
// peek(), but without copying the line. Once a read has run into the end of
// the line, every later read fails and leaves its target unchanged.
class LineStream {
public:
  explicit LineStream(std::string_view text) : text_(text) {}

  // Takes the text up to the next delimiter and consumes the delimiter; takes
  // the rest of the line when there is none.
  bool readUpTo(char delimiter, std::string_view &target);
  bool readRest(std::string_view &target);
  // The next byte, or -1 at the end of the line.
  int peek();

private:
  std::string_view text_;
  std::size_t pos_ = 0;
  bool ended_ = false;
};

// Performs one command line on the tree. Every line gets its answers: those
// of the tree operation, or "unsuccessful" when the line is rejected.
void parseAndPerform(LineStream &line, MorvAVLTree &tree);

// Reads the command count from the start of the script and drops the rest of
// its line. A UTF-8 byte order mark as the input's first three bytes is
// skipped. A missing, negative or out-of-range count is 0.
std::uint32_t readCommandCount(std::istream &in);

// Performs count command lines, each as soon as its line feed has been read:
// it never waits for input beyond the line it performs. A line ending in
// CR LF counts as if it ended in LF; a command that has no line because the
// input ended is answered "unsuccessful".
void runCommands(std::istream &in, MorvAVLTree &tree, std::uint32_t count);

#endif

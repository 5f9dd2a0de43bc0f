// The byte classes of the command language, the rule of which names a
// search can find, and reading a decimal number from a line. Only ASCII counts:
// bytes above 0x7F, NUL and control bytes are neither letters nor digits
// anywhere, whatever the locale.
#ifndef MORVAVL_ASCII_H
#define MORVAVL_ASCII_H

#include <cstddef>
#include <cstdint>
#include <string_view>

inline bool isAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }
inline bool isAsciiLetter(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
// Whether a name search can find records of this name: only a name that
// begins with a letter. Records whose name is empty or begins with a space
// are stored and listed like any other, but never found by name.
inline bool isFindableName(std::string_view name) {
  return !name.empty() && isAsciiLetter(static_cast<unsigned char>(name[0]));
}

// White space as the "C" locale's isspace() defines it.
inline bool isCSpace(unsigned char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// A decimal number at the start of a text, read as C's conversions read
// one: white space, an optional sign, then digits up to the first other
// byte. The magnitude stops growing at `ceiling`, so that any number of
// digits can be read.
struct DecimalNumber {
  bool negative = false;
  bool hasDigits = false;
  std::uint64_t magnitude = 0; // at most ceiling
  std::size_t end = 0;         // just past the digits
};

inline DecimalNumber readDecimal(std::string_view text, std::uint64_t ceiling) {
  DecimalNumber number;
  std::size_t i = 0;
  while (i < text.size() && isCSpace(static_cast<unsigned char>(text[i]))) {
    ++i;
  }
  number.negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    ++i;
  }
  const std::size_t digitsFrom = i;
  for (; i < text.size() && isAsciiDigit(static_cast<unsigned char>(text[i]));
       ++i) {
    const std::uint64_t digit = static_cast<std::uint64_t>(text[i] - '0');
    number.magnitude = number.magnitude > (ceiling - digit) / 10
                           ? ceiling
                           : number.magnitude * 10 + digit;
  }
  number.hasDigits = i > digitsFrom;
  number.end = i;
  return number;
}

#endif

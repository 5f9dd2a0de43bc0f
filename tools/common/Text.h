// Text helpers shared by the tools: showing input bytes, records and
// numbers to people.
#ifndef MORVAVL_TOOLS_TEXT_H
#define MORVAVL_TOOLS_TEXT_H

#include "PelixNode.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace text {

// Appends the bytes with those outside printable ASCII escaped: \t, \r,
// \\ and \xHH.
void appendEscaped(std::string &out, std::string_view bytes);
std::string escaped(std::string_view bytes);

// Appends "bytes" in double quotes, escaped.
void appendQuoted(std::string &out, std::string_view bytes);

// Appends the bytes as a JSON string, in quotes; bytes outside printable
// ASCII as \u00HH.
void appendJson(std::string &out, std::string_view bytes);

// Appends ,"name":value to a JSON object being written.
void appendJsonField(std::string &out, std::string_view name,
                     std::int64_t value);
void appendJsonFlag(std::string &out, std::string_view name, bool value);

// Appends a record as people read it: 20000000 "Bea".
void appendRecord(std::string &out, const PelixNode &node);

// 1204 as "1,204".
std::string grouped(std::uint64_t number);

// +2, 0, -1: a balance factor.
std::string signedNumber(std::int64_t number);

// The text with each line longer than `most` bytes cut in the middle, its
// start and end kept around "… [N bytes left out] …": a name of a million
// bytes makes a report line of a few hundred. No escape (\xHH) is split.
std::string cutLongLines(std::string_view text, std::size_t most = 400);

// "1 record", "2 records".
std::string counted(std::uint64_t number, std::string_view singular,
                    std::string_view plural);

} // namespace text

#endif

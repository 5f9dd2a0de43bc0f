// Seeded command scripts, for finding differences and for benchmarks.
//
// The same kind, size and seed give the same bytes on every machine: the
// numbers come from std::mt19937_64, whose sequence the C++ standard fixes,
// reduced with plain arithmetic rather than the library's distributions,
// whose results may differ between implementations.
#ifndef MORVAVL_TOOLS_GENERATOR_H
#define MORVAVL_TOOLS_GENERATOR_H

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct ScriptKind {
  std::string_view name;
  std::string_view description;
};

// Every kind, the conformance kind first.
const std::vector<ScriptKind> &scriptKinds();
bool isScriptKind(std::string_view kind);

// Why the kind cannot write a script of this size, or "" when it can:
// every kind refuses a size it cannot write in full.
std::string whyNotGenerated(std::string_view kind, std::uint64_t size);

// Writes a script of this kind in pieces, in order, to sink; nothing when
// whyNotGenerated() objects. size is the number of commands, except where
// the kind's description says otherwise.
void generateScript(std::string_view kind, std::uint64_t size,
                    std::uint64_t seed,
                    const std::function<void(std::string_view)> &sink);

// The same, whole.
std::string generateScript(std::string_view kind, std::uint64_t size,
                           std::uint64_t seed);

#endif

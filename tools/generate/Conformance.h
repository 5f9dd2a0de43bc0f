// The conformance kind of script: every rule of the command language on a
// small pool of IDs. It keeps the tree its lines build, performing each
// one in a session of its own, so that it can aim at what the tree holds: a
// leaf, a node with one child, a node whose successor is near or far, the
// missing-grandchild case.
#ifndef MORVAVL_TOOLS_CONFORMANCE_H
#define MORVAVL_TOOLS_CONFORMANCE_H

#include "AnswerSink.h"
#include "CommandLanguage.h"
#include "ScriptSession.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

class Conformance {
public:
  explicit Conformance(std::mt19937_64 &rng);

  // The script's lines, without the count line.
  std::vector<std::string> lines(std::uint64_t count);
  // The count to write before that many lines, drawn after them: now and
  // then it differs from their number.
  std::uint64_t countFor(std::uint64_t lines);

private:
  std::uint64_t below(std::uint64_t n) { return rng_() % n; }
  template <typename T, std::size_t N> const T &pick(const T (&items)[N]) {
    return items[below(N)];
  }

  std::string id(std::uint64_t i) const {
    return std::to_string(10000000 + i * 1000000);
  }
  std::string poolId() { return id(below(pool_)); }
  std::string name();

  void add(std::string line);
  void add(const Command &command);
  void insert();
  void remove();
  void removeInOrder();
  void search();
  void print();
  void refuse();
  void missingGrandchild();

  std::vector<const PelixNode *> nodes() const;
  std::uint32_t records() const;

  std::mt19937_64 &rng_;
  DroppedAnswers answers_; // the tree is kept only to know its state
  ScriptSession session_;
  std::uint64_t pool_;
  std::uint64_t crlfEvery_;
  std::vector<std::string> lines_;
};

#endif

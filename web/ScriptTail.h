// The rest of a script, from the line of one of its commands on, read as a
// script of its own: a count line that asks for the commands left, then the
// original bytes, not copied. A session over it takes up the script where a
// checkpoint stands. Or a whole script, read in place.
#ifndef MORVAVL_WEB_SCRIPTTAIL_H
#define MORVAVL_WEB_SCRIPTTAIL_H

#include <cstdint>
#include <streambuf>
#include <string>
#include <string_view>

class ScriptTail final : public std::streambuf {
public:
  ScriptTail(std::uint64_t commandsLeft, std::string_view rest)
      : countLine_(std::to_string(commandsLeft) + "\n"), rest_(rest) {
    setg(countLine_.data(), countLine_.data(),
         countLine_.data() + countLine_.size());
  }
  // The whole script, as it stands.
  explicit ScriptTail(std::string_view whole) : rest_(whole) {
    setg(countLine_.data(), countLine_.data(), countLine_.data());
  }

protected:
  int_type underflow() override {
    if (onRest_ || rest_.empty()) {
      return traits_type::eof();
    }
    onRest_ = true;
    char *begin = const_cast<char *>(rest_.data()); // read, never written
    setg(begin, begin, begin + rest_.size());
    return traits_type::to_int_type(*begin);
  }

private:
  std::string countLine_;
  std::string_view rest_;
  bool onRest_ = false;
};

#endif

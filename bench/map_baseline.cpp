// What a C++ user would write first: the same commands on a std::map, one
// fresh string stream per line and std::endl after every answer. Answers
// that depend on the tree's shape (pre- and post-order, level count) are
// written in ID order or as the record count; the timing is what matters.
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

namespace {

bool isId(const std::string &s) {
  if (s.size() != 8) {
    return false;
  }
  for (const char c : s) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return true;
}

bool isName(const std::string &s) {
  for (const char c : s) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && c != ' ') {
      return false;
    }
  }
  return true;
}

void list(const std::map<std::string, std::string> &records) {
  bool first = true;
  for (const auto &record : records) {
    std::cout << (first ? "" : ", ") << record.second;
    first = false;
  }
  std::cout << std::endl;
}

} // namespace

int main() {
  std::ios::sync_with_stdio(false);
  std::map<std::string, std::string> records;
  unsigned count = 0;
  std::cin >> count;
  std::string line;
  std::getline(std::cin, line);
  for (unsigned i = 0; i < count; ++i) {
    std::getline(std::cin, line);
    std::istringstream in(line);
    std::string word, scratch, name, id;
    std::getline(in, word, ' ');
    if (word == "insert") {
      std::getline(in, scratch, '"');
      std::getline(in, name, '"');
      std::getline(in, scratch, ' ');
      std::getline(in, id);
      const bool ok = scratch.empty() && isName(name) && isId(id) &&
                      records.emplace(id, name).second;
      std::cout << (ok ? "successful" : "unsuccessful") << std::endl;
    } else if (word == "remove") {
      std::getline(in, id);
      const bool ok = isId(id) && records.erase(id) > 0;
      std::cout << (ok ? "successful" : "unsuccessful") << std::endl;
    } else if (word == "search") {
      std::getline(in, id);
      const auto found = records.find(id);
      if (found == records.end()) {
        std::cout << "unsuccessful" << std::endl;
      } else {
        std::cout << found->second << std::endl;
      }
    } else if (word == "removeInorder") {
      std::getline(in, scratch);
      try {
        const auto n = static_cast<unsigned>(std::stoi(scratch));
        if (n < records.size()) {
          records.erase(std::next(records.begin(), n));
          std::cout << "successful" << std::endl;
        } else {
          std::cout << "unsuccessful" << std::endl;
        }
      } catch (const std::exception &) {
        std::cout << "unsuccessful" << std::endl;
      }
    } else if (word == "printInorder" || word == "printPreorder" ||
               word == "printPostorder") {
      list(records);
    } else if (word == "printLevelCount") {
      std::cout << records.size() << std::endl;
    } else {
      std::cout << "unsuccessful" << std::endl;
    }
  }
  return 0;
}

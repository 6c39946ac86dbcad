// Command-line splitting shared by every platform.
#include <string>
#include <vector>

#include "platform/blank.h"
#include "platform/system.h"

namespace platform {

std::vector<std::string> SplitCommandLine(const std::string& command_line) {
  std::vector<std::string> words;
  size_t i = 0;
  const size_t n = command_line.size();
  while (true) {
    while (i < n && IsBlankChar(command_line[i]))
      ++i;
    if (i >= n)
      break;
    std::string word;
    bool quoted = false;
    while (i < n && (quoted || !IsBlankChar(command_line[i]))) {
      if (command_line[i] == '"') {
        quoted = !quoted;
      } else {
        word += command_line[i];
      }
      ++i;
    }
    words.push_back(word);
  }
  // The first word is the program itself.
  if (!words.empty())
    words.erase(words.begin());
  return words;
}

}  // namespace platform

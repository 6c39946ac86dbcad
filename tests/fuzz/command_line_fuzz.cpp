// SplitCommandLine against a model of the splitting: characters up to 0x20
// separate words outside double quotes; a double quote toggles quoting, is
// removed, and starts a word (so "" is an empty word); the first word, the
// program's name, is dropped. The whole input is the command line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/blank.h"
#include "platform/system.h"

namespace {

std::vector<std::string> ModelSplit(const std::string& command_line) {
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  bool quoted = false;
  for (char c : command_line) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if (platform::IsBlankChar(c) && !quoted) {
      if (in_word)
        words.push_back(word);
      word.clear();
      in_word = false;
    } else {
      word += c;
      in_word = true;
    }
  }
  if (in_word)
    words.push_back(word);
  if (!words.empty())
    words.erase(words.begin());
  return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string command_line = velt_fuzz::AsString(data, size);
  velt_fuzz::ExpectEqual(
      ("SplitCommandLine of \"" + velt_fuzz::Escaped(command_line) + "\"").c_str(),
      platform::SplitCommandLine(command_line), ModelSplit(command_line));
  return 0;
}

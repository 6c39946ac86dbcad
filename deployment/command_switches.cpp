#include "deployment/command_switches.h"

#include "platform/system.h"
#include "platform/text_rules.h"

namespace velt {
namespace {

constexpr char kLogSwitch[] = "/log=";
constexpr char kSuppressSwitch[] = "/suppressmsgboxes";

std::string ParsedLine;
CommandSwitches Parsed;
bool HaveParsed = false;

}  // namespace

CommandSwitches ParseCommandSwitches(const std::string& command_line) {
  CommandSwitches switches;
  for (std::string& word : platform::SplitCommandLine(command_line)) {
    const std::string lowercase = platform::AsciiLowercase(word);
    const bool log_switch = lowercase.compare(0, sizeof(kLogSwitch) - 1, kLogSwitch) == 0;
    if (log_switch && lowercase.size() > sizeof(kLogSwitch) - 1) {
      switches.log_path = word.substr(sizeof(kLogSwitch) - 1);
    } else if (lowercase == kSuppressSwitch) {
      switches.suppress_message_boxes = true;
    } else if (!word.empty() && word[0] == '/') {
      if (switches.refused_word.empty())
        switches.refused_word = word;
    } else {
      switches.words.push_back(std::move(word));
    }
  }
  return switches;
}

const CommandSwitches& ProcessCommandSwitches() {
  std::string line = platform::GetCommandLine();
  if (!HaveParsed || line != ParsedLine) {
    Parsed = ParseCommandSwitches(line);
    ParsedLine = std::move(line);
    HaveParsed = true;
  }
  return Parsed;
}

std::string LowercaseArgument(int index) {
  const std::vector<std::string>& words = ProcessCommandSwitches().words;
  if (index < 1 || static_cast<size_t>(index) > words.size())
    return std::string();
  return platform::AsciiLowercase(words[index - 1]);
}

bool ModestAsked() {
  return LowercaseArgument(1) == "modest";
}

bool RunAppAsked() {
  return LowercaseArgument(2) == "runapp";
}

}  // namespace velt

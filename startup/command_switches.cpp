#include "startup/command_switches.h"

#include "platform/system.h"
#include "startup/startup_settings.h"

namespace velt {
namespace {

constexpr char kLogSwitch[] = "/log=";
constexpr char kSuppressSwitch[] = "/suppressmsgboxes";

}  // namespace

CommandSwitches ParseCommandSwitches(const std::string& command_line) {
  CommandSwitches switches;
  for (std::string& word : platform::SplitCommandLine(command_line)) {
    const std::string lowercase = AsciiLowercase(word);
    if (lowercase.compare(0, sizeof(kLogSwitch) - 1, kLogSwitch) == 0) {
      switches.log_path = word.substr(sizeof(kLogSwitch) - 1);
    } else if (lowercase == kSuppressSwitch) {
      switches.suppress_message_boxes = true;
    } else {
      switches.words.push_back(std::move(word));
    }
  }
  return switches;
}

CommandSwitches ProcessCommandSwitches() {
  return ParseCommandSwitches(platform::GetCommandLine());
}

}  // namespace velt

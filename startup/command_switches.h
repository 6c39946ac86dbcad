// The switches a deployment adds to the command line, "/LOG=<path>" and
// "/SUPPRESSMSGBOXES", in any letter case and at any place. They are taken out
// of the arguments before the words "modest" and "runapp" are read, so those
// keep their places.
#pragma once

#include <string>
#include <vector>

namespace velt {

struct CommandSwitches {
  // The arguments after the program name, switches taken out, as written.
  std::vector<std::string> words;
  // The path after the last "/LOG=" (its quotes removed); empty: no log.
  std::string log_path;
  bool suppress_message_boxes = false;
};

// The switches of `command_line` (program name first), split the usual
// Windows way (platform::SplitCommandLine).
CommandSwitches ParseCommandSwitches(const std::string& command_line);

// The switches of this process's command line.
CommandSwitches ProcessCommandSwitches();

}  // namespace velt

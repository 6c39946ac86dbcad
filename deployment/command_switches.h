// The switches a deployment adds to the command line, "/LOG=<path>" and
// "/SUPPRESSMSGBOXES", in any letter case and at any place. They are taken out
// of the arguments before the words "modest" and "runapp" are read, so those
// keep their places. Any other word that starts with "/" is a mistyped switch:
// the run is refused before anything is done, so that "/S modest" never runs
// as an interactive update nobody can answer.
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
  // The first word that starts with "/" and is no switch ("/S", "/LOG",
  // "/LOG:x", "/LOG=" with no path), as written; empty when there is none.
  std::string refused_word;
};

// The switches of `command_line` (program name first), split the usual
// Windows way (platform::SplitCommandLine).
CommandSwitches ParseCommandSwitches(const std::string& command_line);

// The switches of this process's command line, parsed on first use and again
// only if the command line is another one.
const CommandSwitches& ProcessCommandSwitches();

// The command-line argument at `index` (1 = first after the program name,
// deployment switches not counted), A-Z lowercased; empty when missing.
std::string LowercaseArgument(int index);
// The silent mode: "modest" is the first argument. Read from the command line
// itself, so it holds before the modules start and after they end.
bool ModestAsked();
// "runapp" is the second argument (it counts only after "modest").
bool RunAppAsked();

}  // namespace velt

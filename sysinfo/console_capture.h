// Runs a console command through the system's own command interpreter and
// captures what it prints.
#pragma once

#include <string>

namespace velt {

// Runs "<system folder>\cmd.exe /d /c <command>" in a hidden new console, in
// the system folder as its working directory, with its standard output going
// into a pipe, reads the pipe to its end, waits for
// the interpreter without a time limit, and returns the output converted from
// the OEM to the ANSI code page. No program named by the environment or by the
// registry's AutoRun values is started, and no file is created. Every line of the result ends in
// "\r\n", so a command that printed nothing (or could not start) gives "\r\n". Returns "" and runs
// nothing when the system folder is unknown. `command` is not quoted.
std::string RunConsoleCommand(const std::string& command);

}  // namespace velt

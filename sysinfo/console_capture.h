// Runs a console command through the system's command interpreter and captures
// what it prints.
#pragma once

#include <string>

namespace velt {

// Runs "%ComSpec% /c <command> > "<Temp>\<8 random letters>"" in a hidden new
// console, waits for it without a time limit, and returns the redirected output
// converted from the OEM to the ANSI code page. Every line of the result ends in
// "\r\n", so a command that printed nothing (or could not start) gives "\r\n".
// Returns "" and runs nothing when ComSpec is unset, empty, or 260 characters or
// longer. The temporary file is deleted afterwards. `command` is not quoted.
std::string RunConsoleCommand(const std::string& command);

}  // namespace velt

// The whole run: modules start in order, the update runs once, modules end in
// reverse order. Errors that nothing else catches end in the top-level report.
#pragma once

namespace velt {

// Returns the process exit code (see exit_codes.h).
int RunProgram();

// Starts the modules in their order: the system description, the start-up
// settings, the language, the install environment, the update driver.
void StartModules();
// Ends them in the reverse order.
void EndModules();

}  // namespace velt

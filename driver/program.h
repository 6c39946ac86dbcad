// The whole run: modules start in order, the update runs once, modules end in
// reverse order. Errors that nothing else catches end in the top-level report.
#pragma once

namespace velt {

// Returns the process exit code (see exit_codes.h).
int RunProgram();

}  // namespace velt

// The one update sequence: locate Velt, load its language, check, ask, write the
// package, record the size, report and offer to start Velt.
#pragma once

#include <string>

namespace velt {

extern bool ModestMode;  // silent mode: first argument "modest"

void StartUpdateDriver();
void EndUpdateDriver();

// Runs the whole sequence once and returns the exit code for the way it ended
// (exit_codes.h). Errors it does not handle itself are raised to the caller.
int RunUpdate();

}  // namespace velt

// The start of a deployment's run: a command line with a switch nobody knows,
// another copy already running, the log a deployment asked for with "/LOG="
// and its heading, and the single-copy guard's outcome.
#pragma once

#include "deployment/single_copy_guard.h"

namespace velt {

// A switch on the command line nobody knows: says so in a bilingual box
// naming it, unless "/SUPPRESSMSGBOXES" was given, and returns the exit code.
// Nothing else is done: no guard, no log. Needs the modules started.
int RefuseUnknownSwitch();

// Another copy holds the guard: an interactive run tells the user in a
// bilingual box, a silent one ("modest") stays silent. Returns the exit code.
int EndAsSecondCopy();

// With "/LOG=": makes the log file where its starter could have made it (see
// StarterFile) and logs the updater's version, what the command line asked
// for and the system; then removes what earlier runs left beside it. True
// when no log was asked for or the log is made and written; otherwise it
// shows the bilingual box (unless boxes are suppressed) and the run must end,
// having changed nothing, with kExitLogNotMade. Needs the modules started and
// the build constants set.
bool OpenRequestedRunLog();

// Logs how taking the guard came out.
void ReportSingleCopyGuard(const GuardOutcome& outcome);

}  // namespace velt

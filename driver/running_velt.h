// A running Velt: the probe, the request to quit, and starting Velt.
#pragma once

namespace velt {

void StartRunningVelt();
// Releases the probe's mapping handle, kept while Velt was found running.
void EndRunningVelt();

// Whether Velt runs: it holds the named mapping "velt_memfile". When it does,
// the probe's handle stays open until the module ends; otherwise it is closed
// at once, so the probe never leaves a mapping behind.
bool IsVeltRunning();

// Posts WM_QUIT to the top-level window of class "TVeltMainForm", if any.
// Does not wait.
void AskVeltToQuit();

// Makes ProductFolder the current directory (a failure is ignored) and starts
// ProductFolder + ProductName + ".exe" with no parameters in it; does not wait.
// Whose rights it gets, ChooseVeltLaunchWay (launch_token.h) decides; started
// with a token, it gets that token's user's environment. When it
// may not start, its start fails, or the held folder is no longer at
// ProductFolder, nothing is started and the bilingual box says so (but where
// nobody is logged on at the console to see it).
void LaunchVelt();

}  // namespace velt

// The user's desktop shell in the end-to-end runs. A Windows desktop always
// has one, running with the user's ordinary rights, and so has Wine 10's:
// explorer's desktop window, its process unelevated. Wine 8 has none: there
// the stand-in tools/win/desktop-shell, started with the user's unelevated
// token, makes its window the shell window and lives as long as the test
// process.
#pragma once

namespace velt::e2e {

// Makes sure the fixture's desktop has a shell: the system's own (waited for)
// where there is one, else the stand-in; either runs unelevated. False (after
// a test failure) when it cannot.
bool EnsureDesktopShell();
// For a test that ends or replaces the shell, called first. The system's own
// shell is never ended (Wine 10's explorer cannot be brought back, see the
// .cpp): where there is one, this thread and the programs the fixture starts
// move to a new desktop of their own, which has no shell until the stand-in
// takes it. False (after a test failure) when it cannot.
bool UseStandInShell();
// The desktop the fixture's programs start on ("winsta0\<name>", for
// STARTUPINFO's lpDesktop); null for this process's own.
char* FixtureDesktop();
// Ends what UseStandInShell made and brings this thread back to its desktop.
void LeaveOwnDesktop();
// Ends the stand-in shell (and the program of HijackDesktopShell); true once
// no shell window is left.
bool EndDesktopShell();
// What an unelevated program of the user's can do: ends the shell, then makes
// an elevated program's ordinary window the shell window (the stand-in's
// --window, started with the user's elevated token, claimed by its --claim
// started with the unelevated one). False (after a test failure) when it
// cannot.
bool HijackDesktopShell();

}  // namespace velt::e2e

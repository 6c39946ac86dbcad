// The user's desktop shell in the end-to-end runs. A Windows desktop always
// has one, running with the user's ordinary rights; under Wine there is none,
// and every program runs elevated with a linked, unelevated token. The
// stand-in tools/win/desktop-shell, started with that linked token, makes its
// window the shell window and lives as long as the test process.
#pragma once

namespace velt::e2e {

// Starts the stand-in shell unless a shell window exists, and waits until its
// window is the shell window. False (after a test failure) when it cannot.
bool EnsureDesktopShell();
// Ends the shell started here (and the program of HijackDesktopShell); true
// once no shell window is left.
bool EndDesktopShell();
// What an unelevated program of the user's can do: ends the shell, then makes
// an elevated program's ordinary window the shell window (the stand-in's
// --window, started with this process's elevated token, claimed by its
// --claim started with the linked token). False (after a test failure) when
// it cannot.
bool HijackDesktopShell();

}  // namespace velt::e2e

// Process exit codes. Each failure has its own number; numbers are never reused.
#pragma once

namespace velt {

enum ExitCode : int {
  kExitOk = 0,                // update written, or the user answered No
  kExitUncaughtError = 1,     // the top-level error report was shown
  kExitNoRegistryAccess = 2,  // per-user shell folders unreadable
  kExitNoInstallation = 3,    // no velt.exe in the installation folder
  kExitLanguageFailed = 4,    // language files missing or faulty
  kExitNotAdmin = 5,          // the user is not an administrator
  kExitSelfCheckFailed = 6,   // the installer's own payload is damaged
  kExitPackageLocked = 7,     // installed package file still locked
  kExitInstallFailed = 8,     // the package could not be written
  // Another copy of the updater runs (the Windows Installer's "another
  // installation is in progress", which deployment tools retry).
  kExitAnotherCopyRunning = 1618,
  // The log asked for with "/LOG=" cannot be made (the Windows Installer's
  // "error opening installation log file"); nothing was changed.
  kExitLogNotMade = 1622,
  // A switch on the command line is not known (the Windows Installer's
  // "invalid command line argument"); nothing was done.
  kExitUnknownSwitch = 1639,
};

}  // namespace velt

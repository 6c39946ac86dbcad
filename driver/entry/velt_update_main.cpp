// The program's entry: a GUI executable without a window.
#include "driver/program.h"
#include "platform/dll_search.h"
#include "platform/phase/phase_marks.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  VELT_PHASE_MARK("entry");
  // Before anything can load a DLL: never from the folder the installer was
  // downloaded to, nor from the current directory.
  platform::RestrictDllSearchToSystemFolder();
  const int exit_code = velt::RunProgram();
  VELT_PHASE_SAVE();
  return exit_code;
}

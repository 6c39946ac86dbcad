// The program's entry: a GUI executable without a window.
#include "driver/program.h"
#include "platform/dll_search.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Before anything can load a DLL: never from the folder the installer was
  // downloaded to, nor from the current directory.
  platform::RestrictDllSearchToSystemFolder();
  return velt::RunProgram();
}

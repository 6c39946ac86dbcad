// The program's entry: a GUI executable without a window.
#include "driver/phase/phase_marks.h"
#include "driver/program.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  VELT_PHASE_MARK("entry");
  const int exit_code = velt::RunProgram();
  VELT_PHASE_SAVE();
  return exit_code;
}

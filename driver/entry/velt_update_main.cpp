// The program's entry: a GUI executable without a window.
#include "driver/program.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return velt::RunProgram();
}

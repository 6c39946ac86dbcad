// A stand-in for the user's desktop shell, for the end-to-end tests: it makes
// its window the desktop's shell window (SetShellWindow), so that an elevated
// updater finds "the desktop" in this process and its token. A test starts it
// with the user's unelevated token.
//
//   desktop-shell RECORD_FILE [PARENT_ID]
//
// Writes "shell elevated=<0|1>" to RECORD_FILE once its window is the shell
// window, then runs until it receives WM_CLOSE, or until the process
// PARENT_ID has ended when one is given, else until 120 s have passed.
// Exit code: 0; 2 when the window cannot be made the shell window.
#include <windows.h>

#include "tools/win/common/token_elevation.h"

#include <cstdlib>
#include <string>

extern "C" BOOL WINAPI SetShellWindow(HWND window);

namespace {

LRESULT CALLBACK ShellProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE || message == WM_TIMER) {
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 2)
    return 2;
  WNDCLASSA shell_class = {};
  shell_class.lpfnWndProc = ShellProc;
  shell_class.hInstance = instance;
  shell_class.lpszClassName = "VeltTestDesktopShell";
  RegisterClassA(&shell_class);
  HWND window = CreateWindowExA(0, "VeltTestDesktopShell", "Desktop", WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr, instance, nullptr);
  if (window == nullptr || !SetShellWindow(window) || GetShellWindow() != window)
    return 2;
  HANDLE parent = __argc >= 3 ? OpenProcess(SYNCHRONIZE, FALSE, atoi(__argv[2])) : nullptr;
  if (parent == nullptr)
    SetTimer(window, 1, 120000, nullptr);
  const std::string line = "shell elevated=" + std::to_string(velt::tools::Elevated()) + "\r\n";
  HANDLE record =
      CreateFileA(__argv[1], GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (record != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(record, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(record);
  }
  MSG message;
  for (;;) {
    const DWORD woken =
        MsgWaitForMultipleObjects(parent ? 1 : 0, &parent, FALSE, INFINITE, QS_ALLINPUT);
    if (parent != nullptr && woken == WAIT_OBJECT_0)
      return 0;  // the parent has ended
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT)
        return 0;
      DispatchMessageA(&message);
    }
  }
}

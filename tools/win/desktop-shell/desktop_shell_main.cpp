// A stand-in for the user's desktop shell, for the end-to-end tests: it makes
// its window the desktop's shell window (SetShellWindow), so that an elevated
// updater finds "the desktop" in this process and its token. A test starts it
// with the user's unelevated token.
//
//   desktop-shell RECORD_FILE [PARENT_ID]
//   desktop-shell --window RECORD_FILE PARENT_ID
//   desktop-shell --claim WINDOW RECORD_FILE
//
// Writes "shell elevated=<0|1>" to RECORD_FILE once its window is the shell
// window, then runs until it receives WM_CLOSE, or until the process
// PARENT_ID has ended when one is given, else until 120 s have passed.
// --window: an ordinary program's window, never made the shell's; records
// "window=<handle> elevated=<0|1>" and runs until PARENT_ID has ended.
// --claim: what a program of the user's may do once the shell has ended:
// makes the window WINDOW (another process's) the shell window; records
// "claimed elevated=<0|1>" and ends.
// Exit code: 0; 2 when the window cannot be made (or made the shell window).
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

void Record(const char* path, const std::string& text) {
  const std::string line = text + " elevated=" + std::to_string(velt::tools::Elevated()) + "\r\n";
  HANDLE record =
      CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (record != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(record, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(record);
  }
}

// Serves the window's messages (another process's SetShellWindow on it waits
// for them) until WM_QUIT or until `parent` has ended.
int Serve(HANDLE parent) {
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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::string mode = __argc >= 2 ? __argv[1] : "";
  if (mode == "--claim") {
    if (__argc < 4)
      return 2;
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(strtoul(__argv[2], nullptr, 10)));
    if (!SetShellWindow(window) || GetShellWindow() != window)
      return 2;
    Record(__argv[3], "claimed");
    return 0;
  }
  const bool plain_window = mode == "--window";
  const int first = plain_window ? 2 : 1;
  if (__argc < first + 1 || (plain_window && __argc < 4))
    return 2;
  WNDCLASSA shell_class = {};
  shell_class.lpfnWndProc = ShellProc;
  shell_class.hInstance = instance;
  shell_class.lpszClassName = "VeltTestDesktopShell";
  RegisterClassA(&shell_class);
  HWND window = CreateWindowExA(0, "VeltTestDesktopShell", plain_window ? "Program" : "Desktop",
                                plain_window ? WS_OVERLAPPEDWINDOW : WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr, instance, nullptr);
  if (window == nullptr)
    return 2;
  if (!plain_window && (!SetShellWindow(window) || GetShellWindow() != window))
    return 2;
  HANDLE parent =
      __argc >= first + 2 ? OpenProcess(SYNCHRONIZE, FALSE, atoi(__argv[first + 1])) : nullptr;
  if (parent == nullptr)
    SetTimer(window, 1, 120000, nullptr);
  if (plain_window)
    Record(__argv[first], "window=" + std::to_string(reinterpret_cast<uintptr_t>(window)));
  else
    Record(__argv[first], "shell");
  return Serve(parent);
}

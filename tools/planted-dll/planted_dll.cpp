// A DLL that an attacker might plant next to the updater (in a downloads
// folder) under the name of a system DLL. Loading it runs DllMain, which
// leaves "<its own path>.loaded" next to itself as the mark of having run.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH + 8] = {};
    const DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      lstrcpyA(path + length, ".loaded");
      HANDLE mark = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (mark != INVALID_HANDLE_VALUE)
        CloseHandle(mark);
    }
  }
  return TRUE;
}

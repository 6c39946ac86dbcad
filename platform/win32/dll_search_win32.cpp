#include "platform/dll_search.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_api.h"

namespace platform {

void RestrictDllSearchToSystemFolder() {
  auto set_default_dll_directories =
      LoadedSystemFunction<BOOL(WINAPI*)(DWORD)>("kernel32.dll", "SetDefaultDllDirectories");
  if (set_default_dll_directories && set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return;
  }
  auto set_dll_directory =
      LoadedSystemFunction<BOOL(WINAPI*)(LPCSTR)>("kernel32.dll", "SetDllDirectoryA");
  if (set_dll_directory)
    set_dll_directory("");
}

}  // namespace platform

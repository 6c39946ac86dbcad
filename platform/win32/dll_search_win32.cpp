#include "platform/dll_search.h"
#include "platform/win32/win32_api.h"

namespace platform {
namespace {

template <typename Function>
Function Kernel32Function(const char* name) {
  FARPROC proc = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), name);
  return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(proc));
}

}  // namespace

void RestrictDllSearchToSystemFolder() {
  auto set_default_dll_directories =
      Kernel32Function<BOOL(WINAPI*)(DWORD)>("SetDefaultDllDirectories");
  if (set_default_dll_directories && set_default_dll_directories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return;
  }
  auto set_dll_directory = Kernel32Function<BOOL(WINAPI*)(LPCSTR)>("SetDllDirectoryA");
  if (set_dll_directory)
    set_dll_directory("");
}

}  // namespace platform

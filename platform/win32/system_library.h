// Functions of system DLLs the program does not import, loaded on first use
// from the system folder by full path (never through the DLL search path), and
// kept loaded until the process ends. So a run that shows no box and starts
// nothing never loads user32 or shell32.
#pragma once

#include "platform/win32/win32_api.h"

namespace platform {

// The address of `function` in the system DLL `dll` ("user32.dll"); null when
// the DLL cannot be loaded from the system folder or lacks the function.
FARPROC SystemFunction(const char* dll, const char* function);

// `proc` as a function of type `Function` (null stays null), through void(*)(void):
// the documented way to convert between function types.
template <typename Function>
Function AsFunction(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(proc));
}

// SystemFunction cast to the function's type.
template <typename Function>
Function LoadSystemFunction(const char* dll, const char* function) {
  return AsFunction<Function>(SystemFunction(dll, function));
}

// A function of a system DLL the process has loaded already (kernel32,
// advapi32, ntdll), looked up by name; null where this system lacks it.
template <typename Function>
Function LoadedSystemFunction(const char* dll, const char* function) {
  HMODULE module = ::GetModuleHandleA(dll);
  return module == nullptr ? nullptr : AsFunction<Function>(::GetProcAddress(module, function));
}

}  // namespace platform

// Which Wine a test program runs under, for the tests that name where a Wine
// release differs from Windows: ntdll's wine_get_version, looked up at run
// time (Windows has no such export).
#pragma once

#include <windows.h>

#include <cstdlib>

namespace velt::test {

// Wine's version ("8.0", "10.0"); null on Windows.
inline const char* WineVersion() {
  using Version = const char*(CDECL*)();
  FARPROC proc = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version");
  auto version = reinterpret_cast<Version>(reinterpret_cast<void (*)(void)>(proc));
  return version != nullptr ? version() : nullptr;
}

inline bool UnderWine() {
  return WineVersion() != nullptr;
}

// Wine's major version (8, 10); 0 on Windows.
inline int WineMajor() {
  const char* version = WineVersion();
  return version != nullptr ? std::atoi(version) : 0;
}

// Whether the desktop has a shell window of the system's own: Windows'
// explorer; from Wine 10 on, explorer's desktop window (Wine 8 has none).
inline bool SystemHasDesktopShell() {
  return !UnderWine() || WineMajor() >= 10;
}

}  // namespace velt::test

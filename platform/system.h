// Facts about the user, the machine and this process.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace platform {

// GetUserDefaultLCID.
uint32_t GetUserDefaultLcid();
// QueryPerformanceCounter; false when no counter is available.
bool QueryPerformanceCounter(int64_t* count);
// GetTickCount.
uint32_t GetTickCount();
// Whether this process runs with the Administrators group enabled in its
// token, as shell32's IsUserAnAdmin tells (checked without loading shell32).
bool IsUserAnAdmin();
// Sleep.
void Sleep(uint32_t milliseconds);
// GetCommandLineA: the whole command line, program name included.
std::string GetCommandLine();
// The arguments after the program name, split the usual Windows way: blanks
// separate, double quotes group and are removed.
std::vector<std::string> SplitCommandLine(const std::string& command_line);
// GetSystemDirectoryA: the system folder, without a trailing backslash unless
// it is a drive root; empty on failure.
std::string GetSystemDirectory();
// GetModuleFileNameA for the executable.
std::string GetModuleFileName();
// GetEnvironmentVariableA into a caller buffer of `size` characters: the length
// copied, or the size needed (NUL included) when the buffer is too small, or 0.
uint32_t GetEnvironmentVariable(const std::string& name, char* buffer, uint32_t size);

// The version record of GetVersionExA.
struct OsVersionInfo {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platform_id = 0;
  std::string csd_version;   // up to its first NUL
  uint16_t suite_mask = 0;   // extended record only
  uint8_t product_type = 0;  // extended record only
};
// GetVersionExA with the extended (OSVERSIONINFOEXA) or the plain record.
bool GetVersionEx(bool extended, OsVersionInfo* info);
// Processor architectures as GetNativeSystemInfo and GetSystemInfo report them.
constexpr uint16_t kArchitectureIntel = 0;
constexpr uint16_t kArchitectureIa64 = 6;
constexpr uint16_t kArchitectureAmd64 = 9;

// GetNativeSystemInfo looked up by name in kernel32; false when it is missing.
bool GetNativeProcessorArchitecture(uint16_t* architecture);
// GetSystemInfo.
uint16_t GetProcessorArchitecture();
// GetSystemMetrics.
int GetSystemMetrics(int index);
// OemToCharA over the whole text (same length).
std::string OemToChar(const std::string& text);

}  // namespace platform

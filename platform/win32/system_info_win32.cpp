// The Windows version, the processor, screen metrics and the OEM code page
// (the last two through user32, loaded on first use).
#include <cstring>

#include "platform/system.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_api.h"

static_assert(sizeof(OSVERSIONINFOEXA) == 156 && sizeof(OSVERSIONINFOA) == 148,
              "the version records have their documented sizes");

namespace platform {
namespace {

std::string UpToNul(const char* text, size_t capacity) {
  return std::string(text, strnlen(text, capacity));
}

}  // namespace

bool GetVersionEx(bool extended, OsVersionInfo* info) {
  OSVERSIONINFOEXA raw;
  std::memset(&raw, 0, sizeof(raw));
  // Both records start alike; the plain one is the first part of the extended one.
  raw.dwOSVersionInfoSize = extended ? sizeof(OSVERSIONINFOEXA) : sizeof(OSVERSIONINFOA);
  if (!::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&raw)))
    return false;
  OsVersionInfo result;
  result.major = raw.dwMajorVersion;
  result.minor = raw.dwMinorVersion;
  result.build = raw.dwBuildNumber;
  result.platform_id = raw.dwPlatformId;
  result.csd_version = UpToNul(raw.szCSDVersion, sizeof(raw.szCSDVersion));
  if (extended) {
    result.suite_mask = raw.wSuiteMask;
    result.product_type = raw.wProductType;
  }
  *info = result;
  return true;
}

bool GetNativeProcessorArchitecture(uint16_t* architecture) {
  auto get_native_system_info =
      LoadedSystemFunction<void(WINAPI*)(LPSYSTEM_INFO)>("kernel32.dll", "GetNativeSystemInfo");
  if (!get_native_system_info)
    return false;
  SYSTEM_INFO info;
  std::memset(&info, 0, sizeof(info));
  get_native_system_info(&info);
  *architecture = info.wProcessorArchitecture;
  return true;
}

uint16_t GetProcessorArchitecture() {
  SYSTEM_INFO info;
  std::memset(&info, 0, sizeof(info));
  ::GetSystemInfo(&info);
  return info.wProcessorArchitecture;
}

int GetSystemMetrics(int index) {
  static auto get_system_metrics =
      LoadSystemFunction<int(WINAPI*)(int)>("user32.dll", "GetSystemMetrics");
  return get_system_metrics ? get_system_metrics(index) : 0;
}

std::string OemToChar(const std::string& text) {
  if (text.empty())
    return std::string();
  static auto oem_to_char_buff =
      LoadSystemFunction<BOOL(WINAPI*)(LPCSTR, LPSTR, DWORD)>("user32.dll", "OemToCharBuffA");
  if (!oem_to_char_buff)
    return text;
  // The Buff variant converts exactly text.size() bytes, NULs included.
  std::string converted(text.size(), '\0');
  oem_to_char_buff(text.data(), &converted[0], static_cast<DWORD>(text.size()));
  return converted;
}

}  // namespace platform

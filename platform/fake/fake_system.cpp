// Fake user, process and system facts.
#include <cctype>
#include <cstring>

#include "platform/fake/fake_platform.h"
#include "platform/system.h"
#include "platform/text_rules.h"

namespace platform {

using fake::World;

uint32_t GetUserDefaultLcid() {
  return World().lcid;
}

bool QueryPerformanceCounter(int64_t* count) {
  if (!World().has_performance_counter ||
      fake::NextFault("QueryPerformanceCounter", fake::kFaultError))
    return false;
  *count = World().performance_counter + World().now_ms * World().performance_frequency / 1000;
  return true;
}

uint32_t GetTickCount() {
  return World().tick_count + static_cast<uint32_t>(World().now_ms);
}

bool IsUserAnAdmin() {
  return World().is_admin && !World().thread_without_administrators &&
         !fake::NextFault("CheckTokenMembership", fake::kFaultError);
}

void Sleep(uint32_t milliseconds) {
  World().sleeps.push_back(milliseconds);
  World().now_ms += milliseconds;
}

std::string GetCommandLine() {
  return World().command_line;
}

std::string GetModuleFileName() {
  return fake::NextFault("GetModuleFileName", fake::kFaultError) ? std::string()
                                                                 : World().module_file_name;
}

uint32_t GetEnvironmentVariable(const std::string& name, char* buffer, uint32_t size) {
  const std::string key = platform::AsciiUppercase(name);
  auto it = World().environment.find(key);
  if (it == World().environment.end()) {
    World().last_error = 203;  // ERROR_ENVVAR_NOT_FOUND
    return 0;
  }
  const std::string& value = it->second;
  if (value.size() + 1 > size)
    return static_cast<uint32_t>(value.size() + 1);
  std::memcpy(buffer, value.c_str(), value.size() + 1);
  return static_cast<uint32_t>(value.size());
}

bool GetVersionEx(bool extended, OsVersionInfo* info) {
  if (!(extended ? World().version_ex_works : World().version_plain_works) ||
      fake::NextFault("GetVersionEx", fake::kFaultError)) {
    return false;
  }
  *info = World().version;
  if (!extended) {
    info->suite_mask = 0;
    info->product_type = 0;
  }
  return true;
}

bool GetNativeProcessorArchitecture(uint16_t* architecture) {
  if (!World().has_native_system_info || fake::NextFault("GetNativeSystemInfo", fake::kFaultError))
    return false;
  *architecture = World().native_architecture;
  return true;
}

uint16_t GetProcessorArchitecture() {
  return World().architecture;
}

int GetSystemMetrics(int index) {
  auto it = World().system_metrics.find(index);
  return it == World().system_metrics.end() ? 0 : it->second;
}

std::string OemToChar(const std::string& text) {
  std::string result = text;
  for (char& c : result) {
    auto it = World().oem_to_ansi.find(static_cast<unsigned char>(c));
    if (it != World().oem_to_ansi.end())
      c = static_cast<char>(it->second);
  }
  return result;
}

}  // namespace platform

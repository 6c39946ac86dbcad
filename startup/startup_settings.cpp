#include "startup/startup_settings.h"

#include <memory>
#include <vector>

#include "deployment/command_switches.h"
#include "deployment/error_box.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/ui.h"
#include "startup/update_constants.h"
#include "sysinfo/os_description.h"

namespace velt {

uint32_t UserLcid = 0;
bool CyrillicLocale = false;
std::string FirstArgument;
std::string WindowsDescription;

const char kSettingsKeyPrefix[] = "Software\\Kolm\\";
const char kSystemKeyPrefix[] = "Software\\Microsoft\\Windows\\CurrentVersion\\";

namespace {

constexpr uint32_t kBilingualErrorStyle = platform::kMbIconError | platform::kMbServiceNotification;
constexpr uint16_t kLanguageRussianNeutral = 0x0019;

const uint32_t kCyrillicLocales[] = {1026, 1049, 1058, 1059, 1087, 1092, 2073};

std::unique_ptr<platform::TRegistry> SharedRegistry;
uint32_t RandomSeed = 0;

}  // namespace

bool IsCyrillicLocale(uint32_t lcid) {
  for (uint32_t cyrillic : kCyrillicLocales) {
    if (lcid == cyrillic)
      return true;
  }
  return false;
}

void StartStartupSettings() {
  int64_t counter = 0;
  RandomSeed = platform::QueryPerformanceCounter(&counter) ? static_cast<uint32_t>(counter)
                                                           : platform::GetTickCount();
  UserLcid = platform::GetUserDefaultLcid();
  CyrillicLocale = IsCyrillicLocale(UserLcid);
  WindowsDescription = DescribeWindows();
  SharedRegistry = std::make_unique<platform::TRegistry>(
      Is64BitWindows ? platform::kKeyAllAccess | platform::kKeyWow64_64Key
                     : platform::kKeyAllAccess);
  FirstArgument = LowercaseArgument(1);
}

void EndStartupSettings() {
  SharedRegistry.reset();
  WindowsDescription.clear();
  UserLcid = 0;
  CyrillicLocale = false;
  FirstArgument.clear();
}

platform::TRegistry& Registry() {
  return *SharedRegistry;
}

uint32_t Random(uint32_t range) {
  RandomSeed = RandomSeed * 0x08088405u + 1u;
  return static_cast<uint32_t>((static_cast<uint64_t>(RandomSeed) * range) >> 32);
}

bool OpenSettingsKey() {
  try {
    Registry().OpenKey(platform::HkeyCurrentUser(), kSettingsKeyPrefix + ProductName, true);
    return true;
  } catch (const platform::AppError&) {
    return false;
  }
}

void ShowBilingualError(const std::string& english, const std::string& russian) {
  if (CyrillicLocale) {
    ShowErrorBox(russian, ProgramTitle, kBilingualErrorStyle, true, kLanguageRussianNeutral);
  } else {
    ShowErrorBox(english, ProgramTitleEnglish, kBilingualErrorStyle, false, 0);
  }
}

}  // namespace velt

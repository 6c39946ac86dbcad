// Prints what the start-up code learns about the running system, one fact per
// line ("name=value"), for the Windows-side tests:
//   description=<DescribeWindows()>
//   is64=<0|1>                         Is64BitWindows after start-up
//   registry_access=0x<mask>           the shared registry object's access mask
//   version=<major>.<minor>.<build>    as GetVersionExA reports it to this program
//   product_type=<n>                   1 workstation, 2 domain controller, 3 server
//   version_words=[<words>]            the NT version words (from "ver" on 6.2),
//                                      which NT 6 replaces by the registry's name
//   true_version=<major>.<minor>.<build>  RtlGetVersion, which ignores manifests
#include "platform/win32/win32_api.h"

#include <cstdio>

#include "platform/system.h"
#include "startup/startup_settings.h"
#include "sysinfo/os_description.h"
#include "sysinfo/version_facts.h"

namespace {

using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);

void PrintTrueVersion() {
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  auto rtl_get_version = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (rtl_get_version != nullptr && rtl_get_version(&info) == 0) {
    std::printf("true_version=%lu.%lu.%lu\n", info.dwMajorVersion, info.dwMinorVersion,
                info.dwBuildNumber);
  }
}

}  // namespace

int main() {
  velt::StartSystemDescription();
  velt::StartStartupSettings();
  const bool start_up_flag = velt::Is64BitWindows;
  std::printf("description=%s\n", velt::DescribeWindows().c_str());
  std::printf("is64=%d\n", start_up_flag ? 1 : 0);
  std::printf("registry_access=0x%X\n", static_cast<unsigned>(velt::Registry().Access()));
  velt::VersionFacts facts;
  if (platform::GetVersionEx(true, &facts.version)) {
    facts.extended = true;
    std::printf("version=%u.%u.%u\n", static_cast<unsigned>(facts.version.major),
                static_cast<unsigned>(facts.version.minor),
                static_cast<unsigned>(facts.version.build));
    std::printf("product_type=%u\n", static_cast<unsigned>(facts.version.product_type));
    if (!platform::GetNativeProcessorArchitecture(&facts.architecture)) {
      facts.architecture = platform::GetProcessorArchitecture();
    }
    std::printf("version_words=[%s]\n", velt::NtVersionWords(facts).c_str());
  }
  PrintTrueVersion();
  velt::EndStartupSettings();
  velt::EndSystemDescription();
  return 0;
}

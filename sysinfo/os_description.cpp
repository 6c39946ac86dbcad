#include "sysinfo/os_description.h"

#include <string>

#include "platform/blank.h"
#include "platform/phase/phase_marks.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "sysinfo/version_facts.h"

namespace velt {

bool Is64BitWindows = false;

namespace {

constexpr uint32_t kPlatformWin9x = 1;
constexpr uint32_t kPlatformNt = 2;
constexpr char kHotfixQ246009Key[] =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";

// The version record (extended, else plain) and the native architecture.
bool ReadVersionFacts(VersionFacts* facts) {
  facts->extended = platform::GetVersionEx(true, &facts->version);
  if (!facts->extended) {
    facts->version = platform::OsVersionInfo();
    if (!platform::GetVersionEx(false, &facts->version))
      return false;
    facts->version.suite_mask = 0;
    facts->version.product_type = 0;
  }
  uint16_t architecture = 0;
  if (!platform::GetNativeProcessorArchitecture(&architecture)) {
    architecture = platform::GetProcessorArchitecture();
  }
  facts->architecture = architecture;
  return true;
}

bool HotfixQ246009Installed() {
  return platform::OpenRegKey(platform::HkeyLocalMachine(), kHotfixQ246009Key,
                              platform::kKeyQueryValue)
      .IsValid();
}

}  // namespace

void StartSystemDescription() {
  Is64BitWindows = false;
}

void EndSystemDescription() {
  Is64BitWindows = false;
}

bool ReadWindowsVersion(std::string* product, std::string* service_pack) {
  product->clear();
  service_pack->clear();
  VersionFacts facts;
  if (!ReadVersionFacts(&facts))
    return false;
  const platform::OsVersionInfo& v = facts.version;

  *product = "Microsoft Windows ";
  if (v.platform_id == kPlatformWin9x) {
    *product += Windows9xWords(facts);
    *service_pack = v.csd_version;
    return true;
  }
  if (v.platform_id != kPlatformNt)
    return false;

  if (facts.extended && v.major == 6) {
    // The registry's name, where there is one, replaces the version words.
    ApplyNt6ProductName(facts, product, /*add_version_words=*/true);
  } else {
    *product += NtVersionWords(facts);
    *product += facts.extended ? NtEditionWords(facts) : ProductOptionsWords();
  }

  if (v.major == 4 && v.csd_version == "Service Pack 6" && HotfixQ246009Installed()) {
    *service_pack = "Service Pack 6a";
  } else {
    *service_pack = v.csd_version;
  }
  return true;
}

std::string DescribeWindows() {
  VELT_PHASE_MARK("describe");
  std::string product, service_pack;
  const bool read = ReadWindowsVersion(&product, &service_pack);
  VELT_PHASE_MARK("describe_done");
  if (!read)
    return "unknown";
  std::string description =
      platform::IsBlank(service_pack) ? product : product + " " + service_pack;
  Is64BitWindows = description.find(" 64") != std::string::npos;
  return description;
}

}  // namespace velt

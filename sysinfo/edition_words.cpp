// Edition words for Windows NT: from the extended version record, from the
// registry's product options, or (NT 6) the registry's product name.
#include <string>

#include "platform/registry.h"
#include "platform/text_rules.h"
#include "sysinfo/version_facts.h"

namespace velt {
namespace {

// `value` in uppercase hexadecimal digits, without leading zeros ("0" for 0).
std::string UppercaseHex(uint32_t value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), "0123456789ABCDEF"[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return digits;
}

constexpr char kProductOptionsKey[] = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr char kCurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr uint32_t kProductOptionsBuffer = 256;

std::string UpToFirstNul(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

std::string WorkstationEdition(const VersionFacts& facts) {
  const platform::OsVersionInfo& v = facts.version;
  if (v.major == 4)
    return "Workstation";
  if (v.major != 5)
    return "Unknown Workstation";
  if (v.minor == 2 && facts.architecture == platform::kArchitectureAmd64)
    return "Professional x64";
  if (platform::GetSystemMetrics(kSmStarter) != 0)
    return "Starter";
  if (platform::GetSystemMetrics(kSmMediaCenter) != 0)
    return "Media Center";
  if (platform::GetSystemMetrics(kSmTabletPc) != 0)
    return "Tablet PC";
  if (v.suite_mask & kSuitePersonal)
    return "Home";
  if (v.suite_mask & kSuiteEmbeddedNt)
    return "Embedded";
  return "Professional";
}

// Servers and domain controllers of version 5.2, by processor architecture.
std::string Server2003Edition(const VersionFacts& facts) {
  const uint16_t suite = facts.version.suite_mask;
  switch (facts.architecture) {
    case platform::kArchitectureIntel:
      if (suite & kSuiteComputeServer)
        return "Computer Cluster";
      if (suite & kSuiteDatacenter)
        return "Datacenter";
      if (suite & kSuiteEnterprise)
        return "Enterprise";
      if (suite == kSuiteBlade)
        return "Web";
      return "Standard";
    case platform::kArchitectureIa64:
      if (suite & kSuiteDatacenter)
        return "Datacenter for Itanium-based Systems";
      if (suite & kSuiteEnterprise)
        return "Enterprise for Itanium-based Systems";
      return "Standard Itanium-based";
    case platform::kArchitectureAmd64:
      if (suite & kSuiteDatacenter)
        return "Datacenter x64";
      if (suite & kSuiteEnterprise)
        return "Enterprise x64";
      return "Standard x64";
    default:
      return "Unknown on Architecture 0x" + UppercaseHex(facts.architecture);
  }
}

std::string ServerEdition(const VersionFacts& facts) {
  const platform::OsVersionInfo& v = facts.version;
  const uint16_t suite = v.suite_mask;
  if (v.major == 4)
    return (suite & kSuiteEnterprise) ? "Server 4.0 Enterprise" : "Server 4.0";
  if (v.major == 5 && v.minor == 0) {
    if (suite & kSuiteDatacenter)
      return "Datacenter Server";
    if (suite & kSuiteEnterprise)
      return "Advanced Server";
    return "Server";
  }
  if (v.major == 5 && v.minor == 2)
    return Server2003Edition(facts);
  return v.product_type == kNtServer ? "Unknown Server" : "Unknown Domain controller";
}

}  // namespace

std::string NtEditionWords(const VersionFacts& facts) {
  switch (facts.version.product_type) {
    case kNtWorkstation:
      return WorkstationEdition(facts);
    case kNtDomainController:
    case kNtServer:
      return ServerEdition(facts);
    default:
      return "Unknown";
  }
}

std::string ProductOptionsWords() {
  const platform::ScopedRegKey key = platform::OpenRegKey(
      platform::HkeyLocalMachine(), kProductOptionsKey, platform::kKeyQueryValue);
  if (!key.IsValid())
    return "";
  uint32_t type = platform::kRegNone;
  std::string data;
  const long result =
      platform::RegQueryValueEx(key.Get(), "ProductType", &type, &data, kProductOptionsBuffer);
  if (result != 0 || type != platform::kRegSz)
    return "";
  std::string value = platform::AsciiUppercase(UpToFirstNul(data));
  if (value == "WINNT")
    return "Workstation";
  if (value == "LANMANNT")
    return "Server";
  if (value == "SERVERNT")
    return "Advanced Server";
  return "Unknown";
}

void ApplyNt6ProductName(const VersionFacts& facts, std::string* product, bool add_version_words) {
  const platform::ScopedRegKey key =
      platform::OpenRegKey(platform::HkeyLocalMachine(), kCurrentVersionKey,
                           platform::kKeyAllAccess | platform::kKeyWow64_64Key);
  uint32_t type = platform::kRegNone;
  std::string data;
  // One read decides both: the name, or the version words it would replace.
  if (key.IsValid() && platform::RegQueryValueEx(key.Get(), "ProductName", &type, &data) == 0 &&
      (type == platform::kRegSz || type == platform::kRegExpandSz)) {
    *product = UpToFirstNul(data);
  } else if (add_version_words) {
    *product += NtVersionWords(facts);
  }
  if (facts.architecture == platform::kArchitectureAmd64)
    *product += " 64-bit";
  if (facts.architecture == platform::kArchitectureIntel)
    *product += " 32-bit";
}

}  // namespace velt

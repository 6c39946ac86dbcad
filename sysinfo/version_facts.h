// The facts about the running system that the description tables look at, and
// the word tables themselves (one function per table).
#pragma once

#include <cstdint>
#include <string>

#include "platform/system.h"

namespace velt {

constexpr uint8_t kNtWorkstation = 1;
constexpr uint8_t kNtDomainController = 2;
constexpr uint8_t kNtServer = 3;

constexpr uint16_t kSuiteEnterprise = 0x0002;
constexpr uint16_t kSuiteEmbeddedNt = 0x0040;
constexpr uint16_t kSuiteDatacenter = 0x0080;
constexpr uint16_t kSuitePersonal = 0x0200;
constexpr uint16_t kSuiteBlade = 0x0400;
constexpr uint16_t kSuiteStorageServer = 0x2000;
constexpr uint16_t kSuiteComputeServer = 0x4000;

constexpr int kSmTabletPc = 86;
constexpr int kSmMediaCenter = 87;
constexpr int kSmStarter = 88;
constexpr int kSmServerR2 = 89;

struct VersionFacts {
  platform::OsVersionInfo version;  // suite mask and product type 0 without extended info
  bool extended = false;            // the extended version record was read
  uint16_t architecture = 0;        // native processor architecture (platform::kArchitecture*)
};

// The build: the low 16 bits of the build number.
inline uint32_t Build(const VersionFacts& facts) {
  return facts.version.build & 0xFFFF;
}
// The second character of the CSD version text, or NUL when it is shorter.
inline char SecondCsdCharacter(const VersionFacts& facts) {
  return facts.version.csd_version.size() >= 2 ? facts.version.csd_version[1] : '\0';
}
inline bool IsWorkstation(const VersionFacts& facts) {
  return facts.version.product_type == kNtWorkstation;
}

// Windows 9x (platform 1) version words.
std::string Windows9xWords(const VersionFacts& facts);
// Windows NT (platform 2) version words; runs "ver" for 6.2 and unlisted majors.
std::string NtVersionWords(const VersionFacts& facts);
// Version words from the output of "ver". With `only_last_row` (unlisted major
// versions) the 6.2/6.3/10 rows are skipped and the number is always parsed.
std::string VerOutputWords(const std::string& ver_output, bool workstation, bool only_last_row);
// NT edition words from the extended record (major version other than 6).
std::string NtEditionWords(const VersionFacts& facts);
// NT edition words from the registry's product options (no extended record).
std::string ProductOptionsWords();
// NT 6 (rule F): replaces `product` by the registry's product name when there
// is one, then appends " 64-bit" (AMD64) or " 32-bit" (INTEL). With
// `add_version_words`, table B's words (NtVersionWords) are appended first, and
// asked for only where no name replaces them: for 6.2 they come from the
// console (table C), which then is not started for words that would be lost.
void ApplyNt6ProductName(const VersionFacts& facts,
                         std::string* product,
                         bool add_version_words = false);

}  // namespace velt

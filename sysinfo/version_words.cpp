// Version words for Windows 9x and NT, and the parsing of "ver" output.
#include <string>

#include "sysinfo/console_capture.h"
#include "sysinfo/version_facts.h"

namespace velt {

std::string Windows9xWords(const VersionFacts& facts) {
  const platform::OsVersionInfo& v = facts.version;
  if (v.major != 4)
    return "Unknown 9x";
  const uint32_t build = Build(facts);
  const char csd = SecondCsdCharacter(facts);
  switch (v.minor) {
    case 0:
    case 3:
      if (build == 1111)
        return "95 OSR 2.0";
      if (build == 1212 || build == 1213)
        return "95 OSR 2.1";
      if (build == 1214)
        return csd == 'C' ? "95 OSR 2.5" : "95 OSR 2.1";
      if (build > 1080)
        return "95 OSR 2.x";
      if (csd == 'A' || csd == 'W')
        return "95 OSR 1";
      return "95";
    case 10:
      // The whole 32-bit build number, not only its low 16 bits.
      if (v.build == 2222 || csd == 'A' || csd == 'B')
        return "98 SE";
      return "98";
    case 90:
      return "Millennium";
    default:
      return "Unknown 9x";
  }
}

std::string VerOutputWords(const std::string& ver_output, bool workstation, bool only_last_row) {
  if (!only_last_row) {
    if (ver_output.find(" 6.2") != std::string::npos)
      return workstation ? "8 " : "Server 2012 ";
    if (ver_output.find(" 6.3") != std::string::npos)
      return workstation ? "8.1 " : "Server 2012 R2 ";
    if (ver_output.find(" 10") != std::string::npos)
      return workstation ? "10 " : "Server 10 ";
  }
  // The number starts past "ion" and one more character ("Version 11.0" gives
  // "11"), or at the fourth character without "ion", and ends before the first ".".
  std::string::size_type ion = ver_output.find("ion");
  std::string::size_type begin = ion == std::string::npos ? 3 : ion + 4;
  std::string::size_type dot = ver_output.find('.');
  std::string number;
  if (dot != std::string::npos && dot > begin)
    number = ver_output.substr(begin, dot - begin);
  return (workstation ? "" : "Server ") + number + " ";
}

std::string NtVersionWords(const VersionFacts& facts) {
  const platform::OsVersionInfo& v = facts.version;
  const bool workstation = IsWorkstation(facts);
  switch (v.major) {
    case 3:
    case 4:
      return "NT ";
    case 5:
      if (v.minor == 0)
        return "2000 ";
      if (v.minor == 1)
        return "XP ";
      if (v.minor == 2) {
        if (platform::GetSystemMetrics(kSmServerR2) != 0)
          return "Server 2003 R2 ";
        if (v.suite_mask == kSuiteStorageServer)
          return "Storage Server 2003";
        if (workstation && facts.architecture == platform::kArchitectureAmd64)
          return "XP ";
        return "Server 2003 ";
      }
      return "Unknown version ";
    case 6:
      if (v.minor == 0)
        return workstation ? "Vista " : "Server 2008 ";
      if (v.minor == 1)
        return workstation ? "7 " : "Server 2008 R2 ";
      if (v.minor == 2)
        return VerOutputWords(RunConsoleCommand("ver"), workstation, false);
      if (v.minor == 3)
        return workstation ? "8.1 " : "Server 2012 R2 ";
      return "";
    case 10:
      if (v.minor == 0)
        return workstation ? "10 " : "Server 2016 ";
      return "";
    default:
      return VerOutputWords(RunConsoleCommand("ver"), workstation, true);
  }
}

}  // namespace velt

// Windows NT edition words: from the extended record, from the product options
// in the registry, and the NT 6 product name.
#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_platform.h"
#include "platform/registry.h"
#include "sysinfo/version_facts.h"

namespace {

constexpr uint16_t kIntel = platform::kArchitectureIntel, kIa64 = platform::kArchitectureIa64,
                   kAmd64 = platform::kArchitectureAmd64;
constexpr char kProductOptions[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr char kCurrentVersion[] = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

struct EditionCase {
  uint8_t type;
  uint32_t major, minor;
  uint16_t architecture, suite;
  int metric;  // a system metric that is present, or 0
  std::string words;
};

const EditionCase kEditionRows[] = {
    // Workstations.
    {1, 4, 0, kIntel, 0xFFFF, 88, "Workstation"},
    {1, 5, 2, kAmd64, 0x0200, 88, "Professional x64"},
    {1, 5, 2, kIntel, 0, 88, "Starter"},
    {1, 5, 1, kAmd64, 0x0240, 88, "Starter"},
    {1, 5, 1, kIntel, 0x0240, 87, "Media Center"},
    {1, 5, 0, kIntel, 0x0240, 86, "Tablet PC"},
    {1, 5, 1, kIntel, 0x0240, 0, "Home"},
    {1, 5, 1, kIntel, 0x0040, 0, "Embedded"},
    {1, 5, 1, kIntel, 0xFDBF, 89, "Professional"},  // every suite bit but personal and embedded
    {1, 5, 2, kIa64, 0, 0, "Professional"},
    {1, 3, 51, kIntel, 0, 0, "Unknown Workstation"},
    {1, 10, 0, kAmd64, 0x0200, 88, "Unknown Workstation"},
    {1, 11, 0, kAmd64, 0, 0, "Unknown Workstation"},
    // NT 4 servers.
    {3, 4, 0, kIntel, 0x0002, 0, "Server 4.0 Enterprise"},
    {2, 4, 0, kIntel, 0x0080, 0, "Server 4.0"},
    {3, 4, 0, kIntel, 0, 0, "Server 4.0"},
    // 2000 servers.
    {3, 5, 0, kIntel, 0x0082, 0, "Datacenter Server"},
    {2, 5, 0, kIntel, 0x0002, 0, "Advanced Server"},
    {3, 5, 0, kIntel, 0x0400, 0, "Server"},
    // 2003 servers on INTEL.
    {3, 5, 2, kIntel, 0x4082, 0, "Computer Cluster"},
    {2, 5, 2, kIntel, 0x0082, 0, "Datacenter"},
    {3, 5, 2, kIntel, 0x0402, 0, "Enterprise"},
    {3, 5, 2, kIntel, 0x0400, 0, "Web"},
    {3, 5, 2, kIntel, 0x0410, 0, "Standard"},  // not exactly the blade bit
    {3, 5, 2, kIntel, 0, 0, "Standard"},
    // On IA64.
    {3, 5, 2, kIa64, 0x4082, 0, "Datacenter for Itanium-based Systems"},
    {2, 5, 2, kIa64, 0x4002, 0, "Enterprise for Itanium-based Systems"},
    {3, 5, 2, kIa64, 0x4400, 0, "Standard Itanium-based"},
    // On AMD64.
    {3, 5, 2, kAmd64, 0x4082, 0, "Datacenter x64"},
    {3, 5, 2, kAmd64, 0x4002, 0, "Enterprise x64"},
    {2, 5, 2, kAmd64, 0x4400, 0, "Standard x64"},
    // Other architectures.
    {3, 5, 2, 5, 0x0080, 0, "Unknown on Architecture 0x5"},
    {2, 5, 2, 12, 0, 0, "Unknown on Architecture 0xC"},
    {3, 5, 2, 0xFFFF, 0, 0, "Unknown on Architecture 0xFFFF"},
    // Unlisted server and domain controller versions.
    {3, 5, 1, kIntel, 0x0080, 0, "Unknown Server"},
    {3, 5, 3, kIntel, 0, 0, "Unknown Server"},
    {3, 3, 51, kIntel, 0, 0, "Unknown Server"},
    {3, 10, 0, kAmd64, 0x0080, 0, "Unknown Server"},
    {2, 5, 1, kIntel, 0, 0, "Unknown Domain controller"},
    {2, 5, 7, kIntel, 0, 0, "Unknown Domain controller"},
    {2, 10, 0, kAmd64, 0x0002, 0, "Unknown Domain controller"},
    // Other product types.
    {0, 5, 1, kIntel, 0x0200, 0, "Unknown"},
    {4, 5, 2, kAmd64, 0, 0, "Unknown"},
    {255, 4, 0, kIntel, 0, 0, "Unknown"},
};

TEST(NtEditionWordsTest, EveryRowOfTheExtendedRecordTable) {
  for (const EditionCase& c : kEditionRows) {
    fake::ResetWorld();
    if (c.metric != 0)
      fake::World().system_metrics[c.metric] = 1;
    velt::VersionFacts facts;
    facts.version = {c.major, c.minor, 3790, 2, "", c.suite, c.type};
    facts.extended = true;
    facts.architecture = c.architecture;
    EXPECT_EQ(velt::NtEditionWords(facts), c.words)
        << "type " << int(c.type) << " " << c.major << "." << c.minor << " arch " << c.architecture
        << " suite 0x" << std::hex << c.suite << std::dec << " metric " << c.metric;
  }
}

TEST(ProductOptionsWordsTest, ProductTypeStringIsUppercasedAndComparedUpToItsNul) {
  struct Case {
    std::string value, words;
  } cases[] = {
      {"WINNT", "Workstation"},
      {"LANMANNT", "Server"},
      {"SERVERNT", "Advanced Server"},
      {"WinNt", "Workstation"},
      {"lanmannt", "Server"},
      {"ServerNT", "Advanced Server"},
      {std::string("WINNT\0junk", 10), "Workstation"},
      {"WINNT ", "Unknown"},
      {"WINNTX", "Unknown"},
      {"", "Unknown"},
      {std::string(255, 'W'), "Unknown"},  // 256 bytes with its NUL: still read
  };
  for (const Case& c : cases) {
    fake::ResetWorld();
    fake::SetRegValue(kProductOptions, "ProductType", platform::kRegSz, c.value + '\0');
    EXPECT_EQ(velt::ProductOptionsWords(), c.words) << c.value;
    EXPECT_EQ(fake::OpenRegistryKeyCount(), 0);
  }
}

TEST(ProductOptionsWordsTest, NothingWithoutAReadableStringValue) {
  fake::ResetWorld();
  EXPECT_EQ(velt::ProductOptionsWords(), "");  // no key

  fake::AddRegKey(kProductOptions);
  EXPECT_EQ(velt::ProductOptionsWords(), "");  // no value

  fake::SetRegValue(kProductOptions, "ProductType", platform::kRegExpandSz,
                    std::string("WINNT\0", 6));
  EXPECT_EQ(velt::ProductOptionsWords(), "");

  fake::SetRegDword(kProductOptions, "ProductType", 1);
  EXPECT_EQ(velt::ProductOptionsWords(), "");

  fake::SetRegString(kProductOptions, "ProductType", std::string(256, 'W'));  // 257 bytes
  EXPECT_EQ(velt::ProductOptionsWords(), "");
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0);
}

velt::VersionFacts Nt6Facts(uint16_t architecture) {
  velt::VersionFacts facts;
  facts.version = {6, 1, 7601, 2, "Service Pack 1", 0x0100, 1};
  facts.extended = true;
  facts.architecture = architecture;
  return facts;
}

TEST(Nt6ProductNameTest, RegistryNameReplacesEverythingThenTheBitnessFollows) {
  fake::ResetWorld();
  fake::SetRegString(kCurrentVersion, "ProductName", "Windows 7 Professional");
  struct Case {
    uint16_t architecture;
    std::string product;
  } cases[] = {{kAmd64, "Windows 7 Professional 64-bit"},
               {kIntel, "Windows 7 Professional 32-bit"},
               {kIa64, "Windows 7 Professional"},
               {5, "Windows 7 Professional"}};
  for (const Case& c : cases) {
    std::string product = "Microsoft Windows 7 ";
    velt::ApplyNt6ProductName(Nt6Facts(c.architecture), &product);
    EXPECT_EQ(product, c.product) << c.architecture;
  }
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0);
}

TEST(Nt6ProductNameTest, WithoutARegistryNameTheBuiltTextKeepsItsBlank) {
  fake::ResetWorld();
  std::string product = "Microsoft Windows 7 ";
  velt::ApplyNt6ProductName(Nt6Facts(kAmd64), &product);
  EXPECT_EQ(product, "Microsoft Windows 7  64-bit");
  EXPECT_FALSE(fake::RegKeyExists(kCurrentVersion));  // opened without creating

  fake::AddRegKey(kCurrentVersion);
  product = "Microsoft Windows Vista ";
  velt::ApplyNt6ProductName(Nt6Facts(kIntel), &product);
  EXPECT_EQ(product, "Microsoft Windows Vista  32-bit");
}

TEST(Nt6ProductNameTest, NameIsReadFromThe64BitView) {
  fake::ResetWorld();
  fake::SetRegString(kCurrentVersion, "ProductName", "Windows 8.1 Pro", "wow64_32");
  std::string product = "Microsoft Windows 8.1 ";
  velt::ApplyNt6ProductName(Nt6Facts(kAmd64), &product);
  EXPECT_EQ(product, "Microsoft Windows 8.1  64-bit");

  fake::SetRegString(kCurrentVersion, "ProductName", "Windows 8.1 Enterprise");
  product = "Microsoft Windows 8.1 ";
  velt::ApplyNt6ProductName(Nt6Facts(kAmd64), &product);
  EXPECT_EQ(product, "Windows 8.1 Enterprise 64-bit");
}

}  // namespace

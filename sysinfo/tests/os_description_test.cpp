// The whole description: how the version record, the tables, the registry and
// the service pack combine, and the 64-bit flag taken from the text.
#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_platform.h"
#include "platform/registry.h"
#include "sysinfo/os_description.h"
#include "sysinfo/tests/sysinfo_test_support.h"

namespace {

constexpr char kCurrentVersion[] = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kHotfix[] = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009";
constexpr char kProductOptions[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\ProductOptions";

class DescribeWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetWorld();
    velt::StartSystemDescription();
  }
  void TearDown() override { velt::EndSystemDescription(); }

  void SetVersion(uint32_t major,
                  uint32_t minor,
                  uint8_t type,
                  const std::string& csd,
                  uint16_t architecture,
                  uint16_t suite = 0) {
    fake::World().version = {major, minor, 2600, 2, csd, suite, type};
    fake::World().native_architecture = architecture;
  }
};

TEST_F(DescribeWindowsTest, DesignExamples) {
  SetVersion(5, 1, 1, "Service Pack 3", 0);
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows XP Professional Service Pack 3");
  EXPECT_FALSE(velt::Is64BitWindows);

  SetVersion(6, 1, 1, "Service Pack 1", 9);
  fake::SetRegString(kCurrentVersion, "ProductName", "Windows 7 Professional");
  EXPECT_EQ(velt::DescribeWindows(), "Windows 7 Professional 64-bit Service Pack 1");
  EXPECT_TRUE(velt::Is64BitWindows);
}

TEST_F(DescribeWindowsTest, X64EditionWordsDoNotCountAs64Bit) {
  struct Case {
    uint8_t type;
    uint16_t suite;
    std::string description;
  } cases[] = {{1, 0, "Microsoft Windows XP Professional x64 Service Pack 2"},
               {3, 0, "Microsoft Windows Server 2003 Standard x64 Service Pack 2"},
               {3, 0x0002, "Microsoft Windows Server 2003 Enterprise x64 Service Pack 2"},
               {3, 0x0080, "Microsoft Windows Server 2003 Datacenter x64 Service Pack 2"}};
  for (const Case& c : cases) {
    velt::Is64BitWindows = true;
    SetVersion(5, 2, c.type, "Service Pack 2", 9, c.suite);
    EXPECT_EQ(velt::DescribeWindows(), c.description);
    EXPECT_FALSE(velt::Is64BitWindows) << c.description;
  }
}

TEST_F(DescribeWindowsTest, Nt6WithoutProductNameKeepsTwoBlanksAndSetsTheFlag) {
  SetVersion(6, 1, 1, "", 9);
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows 7  64-bit");
  EXPECT_TRUE(velt::Is64BitWindows);

  SetVersion(6, 0, 3, "Service Pack 2", 0);
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows Server 2008  32-bit Service Pack 2");
  EXPECT_FALSE(velt::Is64BitWindows);
}

// Table C's words come from "ver" (the console); where rule F's name replaces
// them the console is not started, and the description is the same as with it.
TEST_F(DescribeWindowsTest, VerRunsOnlyWhereTheRegistryNameDoesNotReplaceItsWords) {
  const std::string name("Windows 10 Pro\0x", 16);
  struct Case {
    uint32_t major, minor;
    uint8_t type;
    bool extended;
    uint32_t name_type;  // ProductName's type; kRegNone: no value, 99: no key
    const char* view;    // where the value is
    std::string description;
    bool ver;
  } cases[] = {
      {6, 2, 1, true, platform::kRegSz, "", "Windows 10 Pro 64-bit", false},
      {6, 2, 3, true, platform::kRegExpandSz, "", "Windows 10 Pro 64-bit", false},
      {6, 2, 1, true, platform::kRegNone, "", "Microsoft Windows 10  64-bit", true},
      {6, 2, 3, true, 99, "", "Microsoft Windows Server 10  64-bit", true},
      {6, 2, 1, true, platform::kRegBinary, "", "Microsoft Windows 10  64-bit", true},
      {6, 2, 1, true, platform::kRegSz, "wow64_32", "Microsoft Windows 10  64-bit", true},
      {6, 2, 1, false, platform::kRegSz, "", "Microsoft Windows Server 10 ", true},  // table E
      {6, 1, 1, true, platform::kRegNone, "", "Microsoft Windows 7  64-bit", false},
      {7, 0, 1, true, platform::kRegSz, "", "Microsoft Windows 10 Unknown Workstation", true},
      {11, 0, 3, true, platform::kRegSz, "", "Microsoft Windows Server 10 Unknown Server", true},
  };
  for (const Case& c : cases) {
    fake::ResetWorld();
    sysinfo_test::ArrangeInterpreter("\r\nMicrosoft Windows [Version 10.0.19045.3570]\r\n");
    fake::World().version_ex_works = c.extended;
    SetVersion(c.major, c.minor, c.type, "", 9);
    if (c.name_type != 99)
      fake::AddRegKey(kCurrentVersion, c.view);
    if (c.name_type != 99 && c.name_type != platform::kRegNone)
      fake::SetRegValue(kCurrentVersion, "ProductName", c.name_type, name, c.view);
    const bool is_64_bit = c.description.find(" 64") != std::string::npos;
    velt::Is64BitWindows = !is_64_bit;
    EXPECT_EQ(velt::DescribeWindows(), c.description) << c.major << "." << c.minor;
    EXPECT_EQ(velt::Is64BitWindows, is_64_bit) << c.description;
    EXPECT_EQ(fake::World().processes.size(), c.ver ? 1u : 0u) << c.description;
    EXPECT_EQ(fake::OpenRegistryKeyCount(), 0);
  }
}

TEST_F(DescribeWindowsTest, Version62WithUnusableVerOutput) {
  SetVersion(6, 2, 1, "", 0);  // "ver" prints nothing
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows   32-bit");
  SetVersion(6, 2, 3, "", 6);
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows Server  ");
}

TEST_F(DescribeWindowsTest, Major10WithExtendedRecordGoesToTheUnknownEditions) {
  SetVersion(10, 0, 1, "", 9);
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows 10 Unknown Workstation");
  EXPECT_FALSE(velt::Is64BitWindows);
  SetVersion(10, 0, 3, "", 9);
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows Server 2016 Unknown Server");
  SetVersion(10, 0, 2, "", 9);
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows Server 2016 Unknown Domain controller");
}

TEST_F(DescribeWindowsTest, StorageServerEditionFollowsWithoutABlank) {
  SetVersion(5, 2, 3, "Service Pack 1", 0, 0x2000);
  EXPECT_EQ(velt::DescribeWindows(),
            "Microsoft Windows Storage Server 2003Standard Service Pack 1");
}

TEST_F(DescribeWindowsTest, WithoutTheExtendedRecordTheProductOptionsNameTheEdition) {
  fake::World().version_ex_works = false;
  SetVersion(4, 0, 1, "Service Pack 5", 0, 0x0200);  // type and suite read as 0
  fake::SetRegString(kProductOptions, "ProductType", "WinNT");
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows NT Workstation Service Pack 5");

  // NT 6 without the extended record: no registry name, no bitness.
  SetVersion(6, 1, 1, "", 9);
  fake::SetRegString(kCurrentVersion, "ProductName", "Windows 7 Ultimate");
  fake::SetRegString(kProductOptions, "ProductType", "LanmanNT");
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows Server 2008 R2 Server");
  EXPECT_FALSE(velt::Is64BitWindows);

  SetVersion(5, 1, 1, "", 0);
  fake::SetRegString(kProductOptions, "ProductType", "ServerNT");
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows XP Advanced Server");
}

TEST_F(DescribeWindowsTest, ServicePack6aNeedsNt4TheExactCsdAndTheHotfixKey) {
  std::string product, service_pack;
  SetVersion(4, 0, 1, "Service Pack 6", 0);
  ASSERT_TRUE(velt::ReadWindowsVersion(&product, &service_pack));
  EXPECT_EQ(service_pack, "Service Pack 6");

  fake::AddRegKey(kHotfix);
  ASSERT_TRUE(velt::ReadWindowsVersion(&product, &service_pack));
  EXPECT_EQ(service_pack, "Service Pack 6a");
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows NT Workstation Service Pack 6a");

  for (const char* csd : {"Service Pack 6 ", "service pack 6", "Service Pack 5"}) {
    SetVersion(4, 0, 1, csd, 0);
    ASSERT_TRUE(velt::ReadWindowsVersion(&product, &service_pack));
    EXPECT_EQ(service_pack, csd);
  }
  SetVersion(5, 0, 1, "Service Pack 6", 0);
  ASSERT_TRUE(velt::ReadWindowsVersion(&product, &service_pack));
  EXPECT_EQ(service_pack, "Service Pack 6");
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0);
}

TEST_F(DescribeWindowsTest, ServicePackJoinedAsIsUnlessBlank) {
  struct Case {
    std::string csd, description;
  } cases[] = {{"", "Microsoft Windows XP Professional"},
               {" \t\r\n\x01 ", "Microsoft Windows XP Professional"},
               {" SP2 ", "Microsoft Windows XP Professional  SP2 "},
               {"\xA0", "Microsoft Windows XP Professional \xA0"},  // code 160 is not blank
               {" 64", "Microsoft Windows XP Professional  64"}};
  for (const Case& c : cases) {
    SetVersion(5, 1, 1, c.csd, 0);
    EXPECT_EQ(velt::DescribeWindows(), c.description);
  }
  EXPECT_TRUE(velt::Is64BitWindows);  // " 64" anywhere in the description
}

TEST_F(DescribeWindowsTest, The64BitFlagLooksForBlankSixFourAnywhere) {
  SetVersion(6, 1, 1, "", 6);  // IA64: no bitness words
  fake::SetRegString(kCurrentVersion, "ProductName", "Windows 64 Edition");
  velt::DescribeWindows();
  EXPECT_TRUE(velt::Is64BitWindows);
  fake::SetRegString(kCurrentVersion, "ProductName", "Windows x64 Edition");
  velt::DescribeWindows();
  EXPECT_FALSE(velt::Is64BitWindows);
}

TEST_F(DescribeWindowsTest, NativeArchitectureIsPreferredOverTheProcessView) {
  SetVersion(6, 1, 1, "", 9);
  fake::World().architecture = platform::kArchitectureIntel;  // a 32-bit process's view
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows 7  64-bit");

  fake::World().has_native_system_info = false;
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows 7  32-bit");
  fake::World().architecture = platform::kArchitectureAmd64;
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows 7  64-bit");
}

TEST_F(DescribeWindowsTest, UnreadableVersionOrUnknownPlatformGivesUnknownAndKeepsTheFlag) {
  SetVersion(6, 1, 1, "", 9);
  fake::World().version_ex_works = false;
  fake::World().version_plain_works = false;
  std::string product = "old", service_pack = "old";
  EXPECT_FALSE(velt::ReadWindowsVersion(&product, &service_pack));
  EXPECT_EQ(service_pack, "");
  EXPECT_EQ(velt::DescribeWindows(), "unknown");
  EXPECT_FALSE(velt::Is64BitWindows);

  fake::World().version_ex_works = true;
  for (uint32_t platform_id : {0u, 3u}) {
    fake::World().version.platform_id = platform_id;
    velt::Is64BitWindows = true;
    EXPECT_EQ(velt::DescribeWindows(), "unknown");
    EXPECT_TRUE(velt::Is64BitWindows);
  }
  velt::StartSystemDescription();
  EXPECT_FALSE(velt::Is64BitWindows);
}

}  // namespace

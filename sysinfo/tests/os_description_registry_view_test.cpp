// Start-up takes Is64BitWindows from the description and gives the shared
// registry object the 64-bit view only on 64-bit systems.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/fake/fake_platform.h"
#include "startup/startup_settings.h"
#include "sysinfo/os_description.h"
#include "sysinfo/tests/sysinfo_test_support.h"

namespace {

struct ViewCase {
  platform::OsVersionInfo version;
  uint16_t architecture;
  uint32_t access;
};

TEST(RegistryViewTest, StartUpChoosesTheAccessMaskFromTheDescription) {
  const ViewCase cases[] = {
      {{6, 1, 7601, 2, "Service Pack 1", 0, 1}, 9, 0xF013F},
      {{6, 1, 7601, 2, "Service Pack 1", 0, 1}, 0, 0xF003F},
      {{6, 2, 9200, 2, "", 0, 1}, 9, 0xF013F},                // "ver" path
      {{5, 2, 3790, 2, "Service Pack 2", 0, 1}, 9, 0xF003F},  // "Professional x64"
      {{10, 0, 19045, 2, "", 0, 1}, 9, 0xF003F},              // no bitness words on major 10
      {{5, 1, 2600, 2, "Service Pack 3", 0, 1}, 0, 0xF003F},
      {{0, 0, 0, 0, "", 0, 0}, 9, 0xF003F},  // "unknown"
  };
  for (const ViewCase& c : cases) {
    fake::ResetWorld();
    sysinfo_test::ArrangeInterpreter("\r\nMicrosoft Windows [Version 10.0.19045.3570]\r\n");
    fake::World().version = c.version;
    fake::World().native_architecture = c.architecture;
    velt::StartSystemDescription();
    velt::StartStartupSettings();
    EXPECT_EQ(velt::Registry().Access(), c.access)
        << c.version.major << "." << c.version.minor << " arch " << c.architecture;
    EXPECT_EQ(velt::Is64BitWindows, c.access == 0xF013F);
    velt::EndStartupSettings();
    velt::EndSystemDescription();
  }
}

}  // namespace

namespace {

// The product name of NT 6 systems is read in the 64-bit view, whatever view the
// shared registry object uses.
TEST(RegistryViewTest, ProductNameIsReadInThe64BitView) {
  fake::ResetWorld();
  fake::World().version = {6, 1, 7601, 2, "Service Pack 1", 0, 1};
  fake::World().native_architecture = platform::kArchitectureIntel;
  fake::SetRegString("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName",
                     "Windows 7 Home");
  velt::StartSystemDescription();
  EXPECT_EQ(velt::DescribeWindows(), "Windows 7 Home 32-bit Service Pack 1");
  bool read_in_64_bit_view = false;
  for (const auto& [path, access] : fake::World().registry_opens) {
    if (path == "|hklm\\software\\microsoft\\windows nt\\currentversion") {
      read_in_64_bit_view = access == 0xF013F;
    }
  }
  EXPECT_TRUE(read_in_64_bit_view);
  velt::EndSystemDescription();
}

}  // namespace

namespace {

// The keys read only to describe the system are opened for querying alone:
// nothing more is asked of the product options or the hotfix marker.
TEST(RegistryViewTest, ProductOptionsAndHotfixKeysAreOpenedForQueryOnly) {
  fake::ResetWorld();
  fake::World().version_ex_works = false;
  fake::World().version = {4, 0, 1381, 2, "Service Pack 6", 0, 0};
  fake::SetRegString("HKLM\\SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType",
                     "WinNT");
  fake::AddRegKey("HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Hotfix\\Q246009");
  velt::StartSystemDescription();
  EXPECT_EQ(velt::DescribeWindows(), "Microsoft Windows NT Workstation Service Pack 6a");
  std::map<std::string, uint32_t> opens;
  for (const auto& [path, access] : fake::World().registry_opens)
    opens[path] = access;
  EXPECT_EQ(opens.size(), 2u);
  EXPECT_EQ(opens["|hklm\\system\\currentcontrolset\\control\\productoptions"], 0x0001u);
  EXPECT_EQ(opens["|hklm\\software\\microsoft\\windows nt\\currentversion\\hotfix\\q246009"],
            0x0001u);
  velt::EndSystemDescription();
}

}  // namespace

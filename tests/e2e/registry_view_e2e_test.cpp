// The 32-bit updater on 64-bit Windows: which registry view it reads Velt's
// uninstall entry from and where "EstimatedSize" lands. On a system it
// describes as 64-bit (" 64" in the description) it opens every key in the
// 64-bit view, so the plain path reaches 64-bit entries and the WOW6432Node
// path reaches 32-bit ones; on a system described without " 64" (XP x64,
// Server 2003 x64) its opens are redirected to the 32-bit view, where a 32-bit
// Velt installer left its entry.
#include <string>

#include "deployment/exit_codes.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/e2e_registry.h"
#include "tests/e2e/reported_windows.h"

namespace velt::e2e {
namespace {

class RegistryViewE2eTest : public UpdateE2eTest {
 protected:
  // The uninstall entry where a 32-bit installer writes it: the plain path as
  // a 32-bit program sees it.
  void SetUninstallStringAs32BitInstaller(const std::string& value) {
    ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, kUninstallEntryKey, "UninstallString", value,
                                  KEY_WOW64_32KEY));
  }
  bool EstimatedSizeIn(REGSAM view, DWORD* kib) {
    return ReadRegistryDword(HKEY_LOCAL_MACHINE, kUninstallEntryKey, "EstimatedSize", kib, view);
  }
  // Starts each case afresh: the old package, no size in either view.
  void ResetCase() {
    WritePackage(PackageWithVersionByte(42));
    RemoveUninstallEntry();
  }
  // A silent update that wrote the package and recorded the size in `view` only.
  void ExpectUpdateRecordedIn(REGSAM view) {
    UpdateRun run = RunUpdate({"modest"}, {IDOK});
    EXPECT_EQ(run.exit_code, kExitOk);
    EXPECT_TRUE(run.boxes.empty()) << ToUtf8(run.boxes[0].text);
    EXPECT_TRUE(ReadPackage() == CarriedPackage());
    DWORD kib = 0;
    EXPECT_TRUE(EstimatedSizeIn(view, &kib)) << "no EstimatedSize in the expected view";
    const REGSAM other = view == KEY_WOW64_64KEY ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    EXPECT_FALSE(EstimatedSizeIn(other, &kib)) << "EstimatedSize in the other view";
  }
  void ExpectReported(const std::string& is64, const std::string& access) {
    const std::string report = ProbeReportedSystem(root());
    EXPECT_EQ(ReportLine(report, "is64"), is64) << report;
    EXPECT_EQ(ReportLine(report, "registry_access"), access) << report;
  }
};

TEST_F(RegistryViewE2eTest, EntryOnlyInThe64BitViewIsFoundAndTheSizeRecordedThere) {
  ExpectReported("1", "0xF013F");
  RemoveUninstallEntry();
  SetUninstallString(folder() + "uninst.exe");
  ExpectUpdateRecordedIn(KEY_WOW64_64KEY);
}

TEST_F(RegistryViewE2eTest, EntryOnlyInThe32BitViewIsFoundButTheSizeGoesToThe64BitView) {
  RemoveUninstallEntry();
  SetUninstallStringAs32BitInstaller(folder() + "uninst.exe");
  ExpectUpdateRecordedIn(KEY_WOW64_64KEY);
}

TEST_F(RegistryViewE2eTest, EntryInBothViewsThe64BitOneWins) {
  // The 32-bit entry leads to a folder without Velt: reading it would end the run.
  SetUninstallStringAs32BitInstaller(root() + "elsewhere\\uninst.exe");
  SetUninstallString(folder() + "uninst.exe");
  ExpectUpdateRecordedIn(KEY_WOW64_64KEY);
}

TEST_F(RegistryViewE2eTest, Reported64BitWindowsUseThe64BitView) {
  for (const char* version : {"win7", "win8", "win10"}) {
    SCOPED_TRACE(version);
    ReportedWindows reported(version);
    ASSERT_TRUE(reported.ok());
    ExpectReported("1", "0xF013F");
    ResetCase();
    SetUninstallString(folder() + "uninst.exe");
    ExpectUpdateRecordedIn(KEY_WOW64_64KEY);
  }
}

// Described as "XP Professional x64", "Server 2003 Standard x64" or plain XP:
// no " 64", so the 32-bit updater works in its own, redirected view.
TEST_F(RegistryViewE2eTest, SystemsDescribedWithout64UseThe32BitView) {
  for (const char* version : {"winxp64", "win2003", "winxp"}) {
    SCOPED_TRACE(version);
    ReportedWindows reported(version);
    ASSERT_TRUE(reported.ok());
    ExpectReported("0", "0xF003F");
    ResetCase();
    SetUninstallStringAs32BitInstaller(folder() + "uninst.exe");
    ExpectUpdateRecordedIn(KEY_WOW64_32KEY);
  }
}

}  // namespace
}  // namespace velt::e2e

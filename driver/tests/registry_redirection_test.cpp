// The 32-bit updater on a 64-bit machine: the entry a 32-bit Velt installer
// left (redirected to WOW6432Node) and where "EstimatedSize" lands, by how the
// system is described.
#include "driver/tests/update_fixture.h"

namespace velt_test {
namespace {

const char kWowUninstallKey[] =
    "HKLM\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velt";

class RegistryRedirectionTest : public UpdateTest {
 protected:
  // A 64-bit machine whose Velt was installed by a 32-bit installer: its
  // uninstall entry was redirected into WOW6432Node.
  void ArrangeMachine(const platform::OsVersionInfo& version) {
    fake::World().version = version;
    fake::World().native_architecture = platform::kArchitectureAmd64;
    fake::World().registry.erase(
        "|hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\velt");
    fake::SetRegString(kUninstallKey, "UninstallString", std::string(kVeltFolder) + "uninst.exe",
                       "wow64_32");
    ASSERT_NE(fake::GetRegValue(kWowUninstallKey, "UninstallString"), nullptr);
  }
};

TEST_F(RegistryRedirectionTest, DescribedWithout64TheRedirectedViewIsReadAndWritten) {
  ArrangeMachine({5, 2, 3790, 2, "Service Pack 2", 0, 1});  // XP Professional x64
  EXPECT_EQ(Run("modest"), velt::kExitOk);
  EXPECT_FALSE(velt::Is64BitWindows);
  EXPECT_TRUE(Package() == BuiltPayload());
  EXPECT_NE(fake::GetRegValue(kWowUninstallKey, "EstimatedSize"), nullptr);
  EXPECT_FALSE(fake::RegKeyExists(kUninstallKey));
}

TEST_F(RegistryRedirectionTest, DescribedAs64BitTheWowPathIsReadAndThePlainPathWritten) {
  ArrangeMachine({6, 1, 7601, 2, "Service Pack 1", 0, 1});  // Windows 7 64-bit
  EXPECT_EQ(Run("modest"), velt::kExitOk);
  EXPECT_TRUE(velt::Is64BitWindows);
  EXPECT_TRUE(Package() == BuiltPayload());
  EXPECT_EQ(fake::GetRegValue(kWowUninstallKey, "EstimatedSize"), nullptr);
  EXPECT_NE(EstimatedSize(), nullptr);
}

}  // namespace
}  // namespace velt_test

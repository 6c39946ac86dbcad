// The elevated updater's safeguards in the whole sequence: how Velt is started
// (never with more than the desktop user's rights), and an installed data file
// that cannot be examined is never taken for absent or old.
#include "driver/tests/update_fixture.h"
#include "platform/access.h"
#include "platform/errors.h"

namespace velt_test {
namespace {

using platform::kIdNo;
using platform::kIdYes;

using platform::Elevation;

const char kCannotStart[] =
    "Velt could not be started with your own rights.\r\nPlease start it yourself.";

// Under Wine the updater always runs elevated with a linked token (Wine 8
// elevates every program, Wine 10 the updater by its manifest), so only the
// split kind is seen there (launch_as_user_e2e_test.cpp); the kinds without a split
// (UAC off, the built-in administrator, Windows before Vista) and a token that
// cannot be examined are stated here, as Windows reports them.
class LaunchTest : public UpdateTest {
 protected:
  // Runs "modest runapp" with this process's elevation and a desktop shell
  // (process 1234) or none.
  void RunWith(Elevation elevation, bool shell) {
    EndModules();
    fake::World().launches.clear();
    fake::World().boxes.clear();
    fake::World().process_elevation = elevation;
    fake::World().shell_process_id = shell ? 1234 : 0;
    EXPECT_EQ(Run("modest runapp"), velt::kExitOk);
  }
  void ExpectLaunched(bool as_user) {
    ASSERT_EQ(fake::World().launches.size(), 1u);
    const fake::LaunchRecord& launch = fake::World().launches[0];
    EXPECT_EQ(launch.as_user, as_user);
    EXPECT_EQ(launch.verb, as_user ? "" : "open");
    EXPECT_EQ(launch.file, std::string(kVeltFolder) + "Velt.exe");
    EXPECT_EQ(launch.current_directory, fake::NormalizePath(kVeltFolder));
    if (as_user) {
      EXPECT_EQ(launch.directory, fake::NormalizePath(kVeltFolder));  // the same working folder
    }
    EXPECT_TRUE(Boxes().empty());
  }
  // Nothing was started, and the user was told.
  void ExpectNothingStarted() {
    EXPECT_TRUE(fake::World().launches.empty());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, kCannotStart);
  }
};

// With the user's own rights Velt starts through the shell; a token that no
// shell serves is nobody's at the screen (launch_token_test.cpp).
TEST_F(LaunchTest, WithTheUsersOwnRightsVeltStartsThroughTheShell) {
  RunWith(Elevation::kNone, true);
  ExpectLaunched(false);
  RunWith(Elevation::kNone, false);
  ExpectNothingStarted();
}

// Above the user's rights, or when that cannot be told, Velt starts only as
// the desktop's user; without a desktop shell (ended by a program of the
// user's while a question waited) nothing starts.
TEST_F(LaunchTest, ElevatedAboveTheUserVeltStartsOnlyAsTheDesktopUser) {
  for (Elevation elevation : {Elevation::kSplit, Elevation::kUnknown}) {
    SCOPED_TRACE(static_cast<int>(elevation));
    RunWith(elevation, true);
    ExpectLaunched(true);
    RunWith(elevation, false);
    ExpectNothingStarted();
  }
}

// The desktop user's token or environment cannot be had, or the start with it
// fails (on Windows, when the secondary logon service is off): the user is told.
TEST_F(LaunchTest, AFailingStartAsTheDesktopUserIsNeverDroppedSilently) {
  for (const char* failing :
       {"OpenProcessTokenForLaunch", "CreateEnvironmentBlock", "CreateProcessWithToken"}) {
    SCOPED_TRACE(failing);
    fake::World().failing = {failing};
    RunWith(Elevation::kSplit, true);
    ExpectNothingStarted();
  }
}

TEST_F(UpdateTest, NewerPackageWhoseAttributesCannotBeReadIsStillTested) {
  fake::AddFile(std::string(kVeltFolder) + "vtup.cok", PackageWithVersionByte(44));
  fake::FindEntry(std::string(kVeltFolder) + "vtup.cok")->attributes_error =
      platform::kErrorAccessDenied;
  Answer({kIdNo});
  EXPECT_EQ(Run(), velt::kExitOk);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "olderfilever: vtup.cok");
  EXPECT_EQ(Package(), PackageWithVersionByte(44));
}

// An installed file that cannot be read is never taken for old. Held by
// another process (or being deleted), it is waited for and ends as "in use"
// (7); refused in a way waiting cannot clear (a damaged disk, an access list
// that keeps this process out), it ends at once as a failed installation (8).
TEST_F(UpdateTest, PackageWhoseHeaderCannotBeReadIsNeverTakenForOld) {
  const std::string package = std::string(kVeltFolder) + "vtup.cok";
  const struct {
    const char* what;
    uint32_t read_error, denied;
    bool delete_pending;
    int exit_code;
    size_t sleeps;
  } kCases[] = {
      {"I/O device error", 1117, 0, false, velt::kExitInstallFailed, 0},
      {"access denied", 0, platform::kFileReadData, false, velt::kExitInstallFailed, 0},
      {"locked range", platform::kErrorLockViolation, 0, false, velt::kExitPackageLocked, 17},
      {"being deleted", 0, 0, true, velt::kExitPackageLocked, 17},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    ArrangeVeltInstallation(42);
    fake::AddFile(package, PackageWithVersionByte(44));
    fake::FindEntry(package)->read_error = c.read_error;
    fake::FindEntry(package)->denied_to_process = c.denied;
    fake::FindEntry(package)->delete_pending = c.delete_pending;
    EXPECT_EQ(Run(), c.exit_code);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "filecantopen: " + package);
    EXPECT_EQ(fake::World().sleeps, std::vector<uint32_t>(c.sleeps, 256));
    EXPECT_EQ(Package(), PackageWithVersionByte(44));
    EXPECT_EQ(EstimatedSize(), nullptr);
    EndModules();
  }
}

}  // namespace
}  // namespace velt_test

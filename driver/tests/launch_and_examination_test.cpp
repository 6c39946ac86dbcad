// The elevated updater's safeguards in the whole sequence: how Velt is started
// (as the desktop's user when one runs unelevated), and an installed data file
// that cannot be examined is never taken for absent or old.
#include "driver/tests/update_fixture.h"
#include "platform/errors.h"

namespace velt_test {
namespace {

using platform::kIdNo;
using platform::kIdYes;

class LaunchTest : public UpdateTest {
 protected:
  const fake::LaunchRecord& OnlyLaunch() {
    EXPECT_EQ(fake::World().launches.size(), 1u);
    return fake::World().launches.at(0);
  }
};

TEST_F(LaunchTest, ElevatedWithAnUnelevatedDesktopStartsVeltAsItsUser) {
  fake::World().process_elevated = true;
  fake::World().shell_process_id = 1234;
  fake::World().shell_token_elevated = false;
  EXPECT_EQ(Run("modest runapp"), velt::kExitOk);
  const fake::LaunchRecord& launch = OnlyLaunch();
  EXPECT_TRUE(launch.as_user);
  EXPECT_EQ(launch.file, std::string(kVeltFolder) + "Velt.exe");
  EXPECT_EQ(launch.directory, fake::NormalizePath(kVeltFolder));  // the same working folder
  EXPECT_EQ(launch.show, 1);
}

TEST_F(LaunchTest, WithoutAnUnelevatedDesktopVeltStartsThroughTheShell) {
  struct Case {
    bool elevated;
    uint32_t shell;
    bool shell_elevated;
  } cases[] = {
      {true, 0, false},      // no desktop shell: a service or deployment context
      {true, 1234, true},    // the desktop itself runs elevated
      {false, 1234, false},  // not elevated at all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.elevated << " " << c.shell << " " << c.shell_elevated);
    EndModules();
    fake::World().launches.clear();
    fake::World().process_elevated = c.elevated;
    fake::World().shell_process_id = c.shell;
    fake::World().shell_token_elevated = c.shell_elevated;
    Answer({kIdYes, kIdYes});
    EXPECT_EQ(Run(), velt::kExitOk);
    const fake::LaunchRecord& launch = OnlyLaunch();
    EXPECT_FALSE(launch.as_user);
    EXPECT_EQ(launch.verb, "open");
    EXPECT_EQ(launch.current_directory, fake::NormalizePath(kVeltFolder));
  }
}

// A desktop whose elevation cannot be told might be the user's: nothing is
// started rather than a program the user may have planted, with admin rights.
TEST_F(LaunchTest, ADesktopOfUnknownElevationStartsNothing) {
  fake::World().process_elevated = true;
  fake::World().shell_process_id = 1234;
  fake::World().failing = {"OpenProcessTokenForLaunch"};
  EXPECT_EQ(Run("modest runapp"), velt::kExitOk);
  EXPECT_TRUE(fake::World().launches.empty());
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

TEST_F(UpdateTest, PackageWhoseHeaderCannotBeReadIsTreatedAsLocked) {
  fake::AddFile(std::string(kVeltFolder) + "vtup.cok", PackageWithVersionByte(44));
  fake::FindEntry(std::string(kVeltFolder) + "vtup.cok")->read_error = 1117;  // I/O device error
  EXPECT_EQ(Run(), velt::kExitPackageLocked);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, std::string("filecantopen: ") + kVeltFolder + "vtup.cok");
  EXPECT_EQ(fake::World().sleeps, std::vector<uint32_t>(17, 256));
  EXPECT_EQ(Package(), PackageWithVersionByte(44));
  EXPECT_EQ(EstimatedSize(), nullptr);
}

}  // namespace
}  // namespace velt_test

// Who Velt runs as. The updater is elevated above its user's ordinary rights
// by its manifest, with a linked token; Velt is started only with the desktop
// shell's token, so a velt.exe that the user could have planted (for example
// through "TheLastRunFolder") never gets the updater's rights. Without a
// desktop shell nothing is started, and the user is told.
//
// The fixture's desktop shell is the system's own where there is one (Wine
// 10's explorer, whose token is unsplit and unelevated), else the stand-in
// tools/win/desktop-shell started with the user's unelevated token; the tests
// that end or replace the shell have the stand-in on a desktop of their own
// (desktop_shell.h).
#include <string>

#include "deployment/exit_codes.h"
#include "tests/e2e/desktop_shell.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"

namespace velt::e2e {
namespace {

constexpr char kCannotStart[] =
    "Velt could not be started with your own rights.\r\nPlease start it yourself.";

class LaunchAsUserE2eTest : public UpdateE2eTest {
 protected:
  // A folder the user controls, named by the per-user "TheLastRunFolder", with
  // a velt.exe of the user's choosing. Returns it, with a trailing backslash.
  std::string PlantVelt() {
    const std::string planted = root() + "planted\\";
    EXPECT_TRUE(CreateDirectoryA(planted.c_str(), nullptr));
    EXPECT_TRUE(CreateDirectoryA((planted + "language").c_str(), nullptr));
    EXPECT_TRUE(CopyFileA(StandInPath().c_str(), (planted + "velt.exe").c_str(), FALSE));
    EXPECT_GT(CopyFolderFiles(folder() + "language\\", planted + "language\\"), 0);
    SetUserSetting("TheLastRunFolder", planted);
    AlsoWatch(planted + "vtup.cok");
    return planted;
  }
};

// Velt gets the shell's user's environment, not the updater's (which has a
// variable of the starter's here).
TEST_F(LaunchAsUserE2eTest, WithAnUnelevatedDesktopVeltStartsUnelevated) {
  SetEnvironmentVariableA("VELT_E2E_STARTER", "1");
  UpdateRun run = RunUpdate({}, {IDYES, IDYES});
  SetEnvironmentVariableA("VELT_E2E_STARTER", nullptr);
  EXPECT_EQ(run.exit_code, kExitOk);
  ASSERT_TRUE(run.velt_launched);
  EXPECT_EQ(AsciiLower(run.velt_launch_cwd), AsciiLower(folder().substr(0, folder().size() - 1)));
  EXPECT_NE(run.velt_launch_record.find("args=\r\n"), std::string::npos) << run.velt_launch_record;
  EXPECT_NE(run.velt_launch_record.find(" starter_variable=0 profile=1 "), std::string::npos)
      << run.velt_launch_record;
  EXPECT_FALSE(run.velt_launch_elevated);
}

TEST_F(LaunchAsUserE2eTest, APlantedVeltFromTheLastRunFolderGetsNoAdminRights) {
  const std::string planted = PlantVelt();
  UpdateRun run = RunUpdate({"modest", "runapp"}, {});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_FALSE(FileExists(folder() + "velt-started.txt"));
  bool ok = false;
  const std::string record = ReadBinaryFile(planted + "velt-started.txt", &ok);
  ASSERT_TRUE(ok) << "the planted velt.exe was not started";
  EXPECT_NE(record.find("started elevated=0 "), std::string::npos) << record;
}

// A program of the user's may end the user's shell (same user, same
// integrity) while the question waits: the planted velt.exe must not then
// start with the updater's rights. Nothing starts, and the user is told.
TEST_F(LaunchAsUserE2eTest, AShellEndedWhileTheQuestionWaitsStartsNothingElevated) {
  ASSERT_TRUE(UseStandInShell());
  const std::string planted = PlantVelt();
  bool ended = false;
  BeforeAnswering([&](size_t index, const SeenBox&) {
    if (index == 0)
      ended = EndDesktopShell();
  });
  UpdateRun run = RunUpdate({}, {IDYES, IDYES, IDOK});
  ASSERT_TRUE(ended);
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_FALSE(FileExists(planted + "velt-started.txt"))
      << ReadBinaryFile(planted + "velt-started.txt");
  ASSERT_EQ(run.boxes.size(), 3u);
  EXPECT_EQ(ToCodePage(run.boxes[2].text, 1252), kCannotStart);
}

// A program of the user's ends the shell and makes an elevated program's
// ordinary window the shell window (Wine lets an unelevated program do so):
// the token of that window's process is elevated, so the planted velt.exe
// does not start, and the user is told.
TEST_F(LaunchAsUserE2eTest, AnElevatedWindowClaimedAsTheShellStartsNothing) {
  ASSERT_TRUE(UseStandInShell());
  const std::string planted = PlantVelt();
  const std::string log = root() + "update.log";
  ASSERT_TRUE(HijackDesktopShell());
  UpdateRun run = RunUpdate({"modest", "runapp", "/LOG=" + log}, {IDOK});
  EXPECT_TRUE(EndDesktopShell());
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_FALSE(FileExists(planted + "velt-started.txt"))
      << ReadBinaryFile(planted + "velt-started.txt");
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252), kCannotStart);
  EXPECT_NE(ReadBinaryFile(log).find("Velt is not started: the token for it is elevated"),
            std::string::npos)
      << ReadBinaryFile(log);
}

TEST_F(LaunchAsUserE2eTest, WithoutADesktopShellNothingStarts) {
  ASSERT_TRUE(UseStandInShell());
  ASSERT_TRUE(EndDesktopShell());
  UpdateRun run = RunUpdate({"modest", "runapp"}, {IDOK});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_FALSE(run.velt_launched);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252), kCannotStart);
}

}  // namespace
}  // namespace velt::e2e

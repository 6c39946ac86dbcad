// A running Velt during the update: it is asked to quit, and a package file it
// keeps open stops the update with "filecantopen".
#include <string>

#include "deployment/exit_codes.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/e2e_texts.h"

namespace velt::e2e {
namespace {

class RunningVeltE2eTest : public UpdateE2eTest {};

TEST_F(RunningVeltE2eTest, RunningVeltIsToldToQuitAndTheUpdateGoesOn) {
  ASSERT_TRUE(StartRunningVelt(-1));
  UpdateRun run = RunUpdate({"modest"}, {});

  EXPECT_EQ(run.exit_code, 0);
  DWORD velt_exit = 99;
  ASSERT_TRUE(running_velt().WaitForExit(5000, &velt_exit)) << "Velt was not asked to quit";
  EXPECT_EQ(velt_exit, 0u);
  EXPECT_NE(RunningVeltRecord().find("\r\nquit\r\n"), std::string::npos) << RunningVeltRecord();
  EXPECT_EQ(ReadPackage(), CarriedPackage());
}

TEST_F(RunningVeltE2eTest, PackageReleasedWithinTheRetryWindowIsReplaced) {
  ASSERT_TRUE(StartRunningVelt(1500));
  UpdateRun run = RunUpdate({}, {IDYES, IDNO});

  EXPECT_EQ(run.exit_code, 0);
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252), kInstallAskText);
  EXPECT_EQ(ReadPackage(), CarriedPackage());
}

TEST_F(RunningVeltE2eTest, PackageHeldTooLongShowsFileCantOpen) {
  std::string before = ReadPackage();
  ASSERT_TRUE(StartRunningVelt(8000));
  DWORD started = GetTickCount();
  UpdateRun run = RunUpdate({}, {IDOK});
  DWORD elapsed = GetTickCount() - started;

  EXPECT_EQ(run.exit_code, kExitPackageLocked);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(ToCodePage(run.boxes[0].caption, 1252), kLanguageCaption);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252),
            "Cannot open the file " + PackagePath() + ".\r\nClose Velt and try again.");
  EXPECT_EQ(run.boxes[0].buttons, std::vector<int>{IDOK});
  EXPECT_GE(elapsed, 4000u) << "gave up before the retry window";
  DWORD velt_exit = 99;
  ASSERT_TRUE(running_velt().WaitForExit(10000, &velt_exit));  // lets go of the package
  EXPECT_EQ(ReadPackage(), before);
  DWORD kib = 0;
  EXPECT_FALSE(ReadEstimatedSize(&kib));
}

}  // namespace
}  // namespace velt::e2e

// The harness itself: a program that ends without ever reaching the updater's
// code (as a loader that gives up does) must fail the test that started it;
// the updater runs elevated by its manifest, as a program of the user's starts
// it.
#include <gtest/gtest-spi.h>

#include <cstdio>
#include <string>

#include "deployment/exit_codes.h"
#include "tests/common/wine_version.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"
#include "tools/win/common/token_elevation.h"

namespace velt::e2e {
namespace {

class HarnessE2eTest : public UpdateE2eTest {};

TEST_F(HarnessE2eTest, ARunThatNeverReachedTheUpdaterFailsTheTest) {
  // The stand-in Velt, started without options, records its start and exits 0
  // at once: no box, no package, no settings key, like a loader giving up.
  const std::string impostor = root() + "impostor\\velt-update.exe";
  ASSERT_TRUE(CreateDirectoryA((root() + "impostor").c_str(), nullptr));
  ASSERT_TRUE(CopyFileA(StandInPath().c_str(), impostor.c_str(), FALSE));
  UseUpdater(impostor);
  const std::string before = ReadPackage();

  ::testing::TestPartResultArray failures;
  UpdateRun run;
  {
    ::testing::ScopedFakeTestPartResultReporter intercept(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    run = RunUpdate({}, {});
  }
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.ran_as_32_bit);
  EXPECT_FALSE(run.reached_program);
  ASSERT_EQ(failures.size(), 1);
  EXPECT_NE(std::string(failures.GetTestPartResult(0).message()).find("did it run?"),
            std::string::npos)
      << failures.GetTestPartResult(0).message();
  EXPECT_TRUE(FileExists(root() + "impostor\\velt-started.txt")) << "the impostor did not run";
  EXPECT_EQ(ReadPackage(), before);
}

// The tests run as an ordinary program of the user's, without a manifest:
// Windows and Wine 10 run it limited, and the updater it starts (with a
// command line of its choosing) runs with the full token, its linked half the
// limited one the starter has. Wine 10 swaps the starter's limited token for
// the full one as the updater starts, without asking, where Windows refuses
// CreateProcess with ERROR_ELEVATION_REQUIRED and the starter asks through
// ShellExecute "runas".
TEST_F(HarnessE2eTest, AnUnelevatedStarterGetsTheUpdaterElevatedByItsManifest) {
  if (test::UnderWine() && test::WineMajor() < 10)
    std::printf("[ wine differs ] Wine %s: every program runs elevated, the starter too\n",
                test::WineVersion());
  else
    EXPECT_EQ(tools::Elevated(), 0);
  if (test::WineMajor() >= 10)
    std::printf(
        "[ wine differs ] Wine %s: the updater started with a limited token runs with the full "
        "one, unasked, where Windows refuses with ERROR_ELEVATION_REQUIRED\n",
        test::WineVersion());
  UpdateRun run = RunUpdate({"modest"}, {});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_EQ(run.updater_elevation, TokenElevationTypeFull);
  EXPECT_EQ(run.updater_linked_elevation, TokenElevationTypeLimited);
}

}  // namespace
}  // namespace velt::e2e

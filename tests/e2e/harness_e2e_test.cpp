// The harness itself: a program that ends without ever reaching the updater's
// code (as a loader that gives up does) must fail the test that started it.
#include <gtest/gtest-spi.h>

#include <string>

#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"

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

}  // namespace
}  // namespace velt::e2e

// The package under the real updater: the carried sample written byte for byte,
// the wait for a running Velt holding the package, the size recorded (also of
// a tree too deep to walk whole), and a damaged installer refusing to write.
#include <cstdio>
#include <string>

#include "deployment/exit_codes.h"
#include "tests/common/unix_symlink.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"

namespace velt::e2e {
namespace {

class PackageE2eTest : public UpdateE2eTest {};

TEST_F(PackageE2eTest, FullSizeSampleIsWrittenByteForByte) {
  const std::string carried = CarriedPackage();
  ASSERT_EQ(carried.size(), 18338960u);
  UpdateRun run = RunUpdate({"modest"}, {});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_TRUE(ReadPackage() == carried);
  EXPECT_FALSE(NewFileLeft());
}

TEST_F(PackageE2eTest, PackageHeldTwoSecondsAfterQuitIsWrittenOnceReleased) {
  ASSERT_TRUE(StartRunningVelt(2000));
  UpdateRun run = RunUpdate({"modest"}, {});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_TRUE(ReadPackage() == CarriedPackage());
  EXPECT_FALSE(NewFileLeft());
}

// A silent run makes no version test: the held file stops it at the
// replacement, and it ends as the version test does, "in use" (7).
TEST_F(PackageE2eTest, PackageHeldBeyondTheBudgetIsLeftWhole) {
  const std::string before = ReadPackage();
  ASSERT_TRUE(StartRunningVelt(9000));
  UpdateRun run = RunUpdate({"modest"}, {IDOK});
  EXPECT_EQ(run.exit_code, kExitPackageLocked);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252),
            "Cannot open the file " + PackagePath() + ".\r\nClose Velt and try again.");
  running_velt().End();
  EXPECT_EQ(ReadPackage(), before);
  EXPECT_FALSE(NewFileLeft());
}

TEST_F(PackageE2eTest, EstimatedSizeIsTheFolderSize) {
  UpdateRun run = RunUpdate({"modest"}, {});
  ASSERT_EQ(run.exit_code, kExitOk);
  DWORD kib = 0;
  ASSERT_TRUE(ReadEstimatedSize(&kib));
  EXPECT_EQ(kib, FolderBytes(folder()) / 1024);
  EXPECT_GE(kib, 18338960u / 1024);
}

// Folders 3,000 levels deep in a user-writable installation took over a
// minute to measure, holding the single-copy guard: the run now ends within
// the harness's 30 s.
TEST_F(PackageE2eTest, AnInstallationThreeThousandFoldersDeepIsMeasuredInTime) {
  const std::string log = root() + "update.log";
  ASSERT_TRUE(velt::test::UnixNestedFolders(folder(), 3000, false));
  const DWORD started = GetTickCount();
  UpdateRun run = RunUpdate({"modest", "/LOG=" + log}, {}, 30000);
  std::printf("[ figures  ] a silent run in an installation 3,000 folders deep took %lu ms\n",
              GetTickCount() - started);
  EXPECT_TRUE(velt::test::UnixNestedFolders(folder(), 3000, true));
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_NE(ReadBinaryFile(log).find("128 levels deep were left out\r\n"), std::string::npos);
}

TEST_F(PackageE2eTest, DamagedInstallerWritesNothing) {
  const std::string before = ReadPackage();
  const std::string damaged = WriteDamagedUpdater();
  ASSERT_FALSE(damaged.empty());
  UseUpdater(damaged);

  UpdateRun run = RunUpdate({"modest"}, {IDOK});
  EXPECT_EQ(run.exit_code, kExitSelfCheckFailed);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252),
            "The installer is damaged. Please download it again.");
  EXPECT_EQ(ReadPackage(), before);
  EXPECT_FALSE(NewFileLeft());
  DeleteFileA(damaged.c_str());
}

}  // namespace
}  // namespace velt::e2e

// The silent mode end to end: "modest" as the first argument, "runapp" as the
// second, in any letter case.
#include <string>

#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"

namespace velt::e2e {
namespace {

class ModestUpdateE2eTest : public UpdateE2eTest {};

TEST_F(ModestUpdateE2eTest, ModestUpdatesSilentlyWithoutLaunch) {
  UpdateRun run = RunUpdate({"modest"}, {});

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.boxes.empty()) << ToUtf8(run.boxes[0].text);
  EXPECT_EQ(ReadPackage(), CarriedPackage());
  DWORD kib = 0;
  ASSERT_TRUE(ReadEstimatedSize(&kib));
  EXPECT_EQ(kib, FolderBytes(folder()) / 1024);
  EXPECT_FALSE(run.velt_launched);
}

TEST_F(ModestUpdateE2eTest, ModestSkipsTheVersionTestForANewerPackage) {
  WritePackage(PackageWithVersionByte(44));
  UpdateRun run = RunUpdate({"Modest"}, {});

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(ReadPackage(), CarriedPackage());
}

TEST_F(ModestUpdateE2eTest, RunAppInAnyCaseLaunchesFromTheFolder) {
  for (const char* words : {"modest runapp", "MODEST RunApp"}) {
    ASSERT_TRUE(DeleteFileA((folder() + "velt-started.txt").c_str()) ||
                GetLastError() == ERROR_FILE_NOT_FOUND);
    std::string first(words, std::string(words).find(' '));
    std::string second = std::string(words).substr(first.size() + 1);
    UpdateRun run = RunUpdate({first, second}, {});

    EXPECT_EQ(run.exit_code, 0) << words;
    EXPECT_TRUE(run.boxes.empty()) << words;
    ASSERT_TRUE(run.velt_launched) << words;
    EXPECT_EQ(AsciiLower(run.velt_launch_cwd), AsciiLower(folder().substr(0, folder().size() - 1)));
  }
}

TEST_F(ModestUpdateE2eTest, ModestWithAnotherSecondWordDoesNotLaunch) {
  UpdateRun run = RunUpdate({"modest", "run"}, {});

  EXPECT_EQ(run.exit_code, 0);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(ReadPackage(), CarriedPackage());
  EXPECT_FALSE(run.velt_launched);
}

}  // namespace
}  // namespace velt::e2e

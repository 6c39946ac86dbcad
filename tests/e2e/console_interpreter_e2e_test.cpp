// Windows 8 and later report 6.2 to the updater, so its start-up runs "ver"
// through the command interpreter. ComSpec can be set by any program of the
// user: a program it names must never run with the updater's rights, and the
// description the updater builds stays what the system's own cmd.exe gives.
#include <string>

#include "deployment/exit_codes.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/reported_windows.h"

namespace velt::e2e {
namespace {

class ConsoleInterpreterE2eTest : public UpdateE2eTest {
 protected:
  void TearDown() override {
    SetEnvironmentVariableA("ComSpec", saved_comspec_.empty() ? nullptr : saved_comspec_.c_str());
    UpdateE2eTest::TearDown();
  }
  // A program that records being started, named by ComSpec from now on.
  std::string PlantComSpec() {
    char value[MAX_PATH] = {};
    if (GetEnvironmentVariableA("ComSpec", value, MAX_PATH) < MAX_PATH)
      saved_comspec_ = value;
    const std::string planted = root() + "planted\\";
    CreateDirectoryA(planted.c_str(), nullptr);
    EXPECT_TRUE(CopyFileA(StandInPath().c_str(), (planted + "cmd.exe").c_str(), FALSE));
    EXPECT_TRUE(SetEnvironmentVariableA("ComSpec", (planted + "cmd.exe").c_str()));
    return planted + "velt-started.txt";
  }

  std::string saved_comspec_;
};

TEST_F(ConsoleInterpreterE2eTest, APlantedComSpecNeverRunsAndTheDescriptionStays) {
  ReportedWindows reported("win10");
  ASSERT_TRUE(reported.ok());
  const std::string honest = ReportLine(ProbeReportedSystem(root()), "version_words");
  ASSERT_EQ(honest, "[10 ]");
  const std::string planted_record = PlantComSpec();

  EXPECT_EQ(ReportLine(ProbeReportedSystem(root()), "version_words"), honest);
  UpdateRun run = RunUpdate({"modest"}, {IDOK});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_TRUE(ReadPackage() == CarriedPackage());
  EXPECT_FALSE(FileExists(planted_record)) << ReadBinaryFile(planted_record);
}

}  // namespace
}  // namespace velt::e2e

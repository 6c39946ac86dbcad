// An unattended run: "/SUPPRESSMSGBOXES" with "modest" shows no error box but
// logs its text and ends with the box's exit code, and a data file that stays
// held is named with the processes that hold it, as the Restart Manager tells.
#include <gtest/gtest.h>

#include "driver/tests/deployment_fixture.h"

namespace velt_test {
namespace {

class SuppressedBoxesTest : public DeploymentTest {};

TEST_F(SuppressedBoxesTest, ASilentRunWithTheSwitchLogsTheBoxInsteadOfShowingIt) {
  fake::World().entries.erase(fake::NormalizePath(std::string(kVeltFolder) + "velt.exe"));
  EXPECT_EQ(RunProgram(std::string("modest /SUPPRESSMSGBOXES /LOG=") + kLogPath),
            velt::kExitNoInstallation);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(
      Logged("error box left out (/SUPPRESSMSGBOXES): Velt update: There's no Velt "
             "installed. Please install the program first."));
  EXPECT_EQ(FinalLine(), "velt-update result=not-installed exit=3 installed=- carried=11 holder=-");

  // The same run without the log: no box either.
  EXPECT_EQ(RunProgram("/suppressmsgboxes MODEST"), velt::kExitNoInstallation);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(SuppressedBoxesTest, WithoutModestOrWithoutTheSwitchTheBoxIsShown) {
  fake::World().entries.erase(fake::NormalizePath(std::string(kVeltFolder) + "velt.exe"));
  for (const char* arguments : {"/SUPPRESSMSGBOXES", "modest", "runapp /SUPPRESSMSGBOXES modest"}) {
    SCOPED_TRACE(arguments);
    fake::World().boxes.clear();
    EXPECT_EQ(RunProgram(std::string(arguments) + " /LOG=" + kLogPath), velt::kExitNoInstallation);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(Logged("error box: Velt update: There's no Velt installed."));
  }
}

TEST_F(SuppressedBoxesTest, EveryKindOfErrorBoxIsLeftOutWithItsExitCode) {
  const std::string switches = std::string("modest /SUPPRESSMSGBOXES /LOG=") + kLogPath;
  // The localized box: the language file's "noright".
  fake::World().is_admin = false;
  EXPECT_EQ(RunProgram(switches), velt::kExitNotAdmin);
  EXPECT_TRUE(
      Logged("error box left out (/SUPPRESSMSGBOXES): Velt (test): noright line 1 "
             "noright line 2"));
  fake::World().is_admin = true;

  // "Can't install file" after the new file could not be flushed.
  fake::World().failing = {"FlushFileBuffers"};
  EXPECT_EQ(RunProgram(switches), velt::kExitInstallFailed);
  EXPECT_TRUE(Logged("flushing the new data file: error 5 (Access is denied.)"));
  EXPECT_TRUE(Logged("left out (/SUPPRESSMSGBOXES): Velt update: Can't install file"));
  EXPECT_EQ(Package(), PackageWithVersionByte(42));
  fake::World().failing.clear();

  // The top-level report of an error nothing caught.
  fake::SetRegDword("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", 5);
  EXPECT_EQ(RunProgram(switches), velt::kExitUncaughtError);
  EXPECT_TRUE(
      Logged("left out (/SUPPRESSMSGBOXES): Application Error: Exception "
             "ERegistryException"));
  EXPECT_EQ(FinalLine(), "velt-update result=error exit=1 installed=- carried=11 holder=-");
  EXPECT_TRUE(Boxes().empty());
}

class FileHolderTest : public DeploymentTest {};

TEST_F(FileHolderTest, AHeldFileIsNamedInTheLogWhileTheBoxStaysTheSame) {
  HoldPackage({{4242, "Velt"}, {77, "Disk Scanner"}});
  EXPECT_EQ(RunProgram(std::string("/LOG=") + kLogPath), velt::kExitPackageLocked);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, std::string("filecantopen: ") + kPackagePath);
  EXPECT_TRUE(
      Logged("reading the version of C:\\Program Files\\Velt\\vtup.cok, 17 attempts 256 ms "
             "apart; the last: error 32 (The process cannot access the file because it "
             "is being used by another process.)"));
  EXPECT_TRUE(Logged("Restart Manager: C:\\Program Files\\Velt\\vtup.cok is used by Velt[4242]"));
  EXPECT_EQ(FinalLine(),
            "velt-update result=file-in-use exit=7 installed=- carried=11 "
            "holder=Velt[4242], Disk_Scanner[77]");
  EXPECT_TRUE(fake::World().rm_sessions.empty()) << "the session was not ended";
}

// A silent run makes no version test: a held file stops it at the
// replacement, which ends as the version test does (7, "filecantopen"). The
// holder's name comes from another process and is reduced to a safe set of
// characters, so it cannot forge the line's fields.
TEST_F(FileHolderTest, ASilentRunThatCannotReplaceAHeldFileEndsWithSevenAndNamesTheHolder) {
  HoldPackage({{4242, "x result=updated exit=0\r\n"}});
  EXPECT_EQ(RunProgram(std::string("modest /SUPPRESSMSGBOXES /LOG=") + kLogPath),
            velt::kExitPackageLocked);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(Logged(std::string("left out (/SUPPRESSMSGBOXES): Velt (test): filecantopen: ") +
                     kPackagePath));
  EXPECT_EQ(Package(), PackageWithVersionByte(42));
  EXPECT_EQ(FinalLine(),
            "velt-update result=file-in-use exit=7 installed=- carried=11 "
            "holder=x_result_updated_exit_0__[4242]");

  EXPECT_EQ(RunProgram("modest"), velt::kExitPackageLocked);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, std::string("filecantopen: ") + kPackagePath);
}

TEST_F(FileHolderTest, ARestartManagerThatIsMissingOrFailsNamesNobody) {
  HoldPackage({{4242, "Velt"}});
  fake::World().restart_manager_available = false;
  EXPECT_EQ(RunProgram(std::string("/LOG=") + kLogPath), velt::kExitPackageLocked);
  EXPECT_TRUE(Logged("Restart Manager: not available on this system"));
  EXPECT_EQ(FinalLine(), "velt-update result=file-in-use exit=7 installed=- carried=11 holder=-");
  fake::World().restart_manager_available = true;

  for (const char* step : {"RmStartSession", "RmRegisterResources", "RmGetList"}) {
    SCOPED_TRACE(step);
    fake::World().failing = {step};
    EXPECT_EQ(RunProgram(std::string("/LOG=") + kLogPath), velt::kExitPackageLocked);
    EXPECT_TRUE(Logged(std::string("Restart Manager: ") + step));
    EXPECT_TRUE(Logged(": error 5 (Access is denied.)"));
    EXPECT_EQ(FinalLine(), "velt-update result=file-in-use exit=7 installed=- carried=11 holder=-");
    EXPECT_TRUE(fake::World().rm_sessions.empty()) << "the session was not ended";
  }

  // A session that cannot be ended still named the holder.
  fake::World().failing = {"RmEndSession"};
  EXPECT_EQ(RunProgram(std::string("/LOG=") + kLogPath), velt::kExitPackageLocked);
  EXPECT_TRUE(Logged("Restart Manager: RmEndSession: error 5"));
  EXPECT_EQ(FinalLine(),
            "velt-update result=file-in-use exit=7 installed=- carried=11 holder=Velt[4242]");
}

TEST_F(FileHolderTest, WithoutALogTheRestartManagerIsNotAsked) {
  HoldPackage({{4242, "Velt"}});
  EXPECT_EQ(RunProgram(""), velt::kExitPackageLocked);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_FALSE(Asked("RmStartSession"));
}

}  // namespace
}  // namespace velt_test

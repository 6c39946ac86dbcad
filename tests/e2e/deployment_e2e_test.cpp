// What a deployment tool sees end to end: the run log on request, a silent run
// that shows no box, a held data file with its holder field, and the exit
// code of a user without administrator rights.
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "deployment/exit_codes.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/e2e_texts.h"
#include "tools/win/common/user_tokens.h"

namespace velt::e2e {
namespace {

class DeploymentE2eTest : public UpdateE2eTest {
 protected:
  void SetUp() override {
    UpdateE2eTest::SetUp();
    ASSERT_TRUE(CreateDirectoryA((root() + "logs").c_str(), nullptr));
  }

  // In a folder whose name has a blank (the temporary root's).
  std::string LogPath() const { return root() + "logs\\update.log"; }

  // The log's lines; every line but the last must start with the local time.
  std::vector<std::string> LogLines() const {
    bool ok = false;
    const std::string text = ReadBinaryFile(LogPath(), &ok);
    EXPECT_TRUE(ok) << "no log at " << LogPath();
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
      lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the log does not end with a line break";
    const std::regex timed(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \S.*)");
    for (size_t i = 0; i + 1 < lines.size(); ++i)
      EXPECT_TRUE(std::regex_match(lines[i], timed)) << lines[i];
    return lines;
  }

  static bool Holds(const std::vector<std::string>& lines, const std::string& part) {
    for (const std::string& line : lines) {
      if (line.find(part) != std::string::npos)
        return true;
    }
    return false;
  }
};

TEST_F(DeploymentE2eTest, ALoggedSilentUpdateEndsWithTheToolsLine) {
  UpdateRun run = RunUpdate({"modest", "/LOG=" + LogPath()}, {});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(ReadPackage(), CarriedPackage());

  const std::vector<std::string> lines = LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "velt-update result=updated exit=0 installed=10 carried=11 holder=-");
  EXPECT_TRUE(Holds(lines, "single-copy guard Global\\velt-update taken"));
  EXPECT_TRUE(Holds(lines, "system: "));
  EXPECT_TRUE(Holds(lines, "installation folder " + folder() + " from the uninstall entry"));
  EXPECT_TRUE(Holds(lines, "installed " + PackagePath()));
  EXPECT_TRUE(Holds(lines, "recorded EstimatedSize "));
  for (const std::string& line : lines)
    std::printf("[ log      ] %s\n", line.c_str());
}

TEST_F(DeploymentE2eTest, ASuppressedSilentRunWithoutAnInstallationShowsNoBoxAndLogsWhy) {
  ASSERT_TRUE(DeleteFileA((folder() + "velt.exe").c_str()));
  const std::string before = ReadPackage();
  UpdateRun run = RunUpdate({"modest", "/SUPPRESSMSGBOXES", "/LOG=" + LogPath()}, {});
  EXPECT_EQ(run.exit_code, kExitNoInstallation);
  EXPECT_TRUE(run.boxes.empty()) << ToUtf8(run.boxes[0].text);
  EXPECT_EQ(ReadPackage(), before);

  const std::vector<std::string> lines = LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(Holds(lines,
                    "error box left out (/SUPPRESSMSGBOXES): Velt update: There's no Velt "
                    "installed. Please install the program first."));
  EXPECT_EQ(lines.back(),
            "velt-update result=not-installed exit=3 installed=- carried=11 holder=-");
}

// Wine's Restart Manager answers every call with success and names nobody, so
// the holder field is "-" here; Windows names the stand-in Velt.
TEST_F(DeploymentE2eTest, AHeldDataFileEndsWithSevenAndTheHolderField) {
  const std::string before = ReadPackage();
  ASSERT_TRUE(StartRunningVelt(8000));
  UpdateRun run = RunUpdate({"/LOG=" + LogPath()}, {IDOK});
  EXPECT_EQ(run.exit_code, kExitPackageLocked);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252),
            "Cannot open the file " + PackagePath() + ".\r\nClose Velt and try again.");
  DWORD velt_exit = 99;
  ASSERT_TRUE(running_velt().WaitForExit(15000, &velt_exit));
  EXPECT_EQ(ReadPackage(), before);

  const std::vector<std::string> lines = LogLines();
  ASSERT_FALSE(lines.empty());
  std::smatch holder;
  ASSERT_TRUE(std::regex_match(
      lines.back(), holder,
      std::regex("velt-update result=file-in-use exit=7 installed=- carried=11 holder=(.+)")))
      << lines.back();
  const std::string velt_id = "[" + std::to_string(running_velt().process_id()) + "]";
  if (holder[1] == "-") {
    EXPECT_TRUE(Holds(lines, "Restart Manager: names no process that uses " + PackagePath()));
  } else {
    EXPECT_NE(holder[1].str().find(velt_id), std::string::npos) << holder[1];
  }
  std::printf("[ wine     ] held data file: holder=%s\n", holder[1].str().c_str());
}

// Under Wine every user is an administrator; a token whose Administrators
// group is for denying only is not (IsUserAnAdmin is false with it). It is
// made from the user's elevated half: Wine 10 starts a program whose manifest
// requires an administrator with the elevated token in place of one made from
// the limited half (Windows refuses with ERROR_ELEVATION_REQUIRED), and keeps
// one made from the elevated half, as Wine 8 keeps every token.
TEST_F(DeploymentE2eTest, AUserWithoutAdministratorRightsEndsWithFive) {
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof(administrators);
  ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size));
  HANDLE elevated = tools::UserToken(true);
  ASSERT_NE(elevated, nullptr) << GetLastError();
  SID_AND_ATTRIBUTES disabled = {administrators, 0};
  HANDLE restricted = nullptr;
  const BOOL made =
      CreateRestrictedToken(elevated, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted);
  CloseHandle(elevated);
  ASSERT_TRUE(made) << GetLastError();
  const std::string before = ReadPackage();
  UseToken(restricted);
  UpdateRun run = RunUpdate({"/LOG=" + LogPath()}, {IDOK});
  UseToken(nullptr);
  CloseHandle(restricted);

  EXPECT_EQ(run.exit_code, kExitNotAdmin);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(ToCodePage(run.boxes[0].caption, 1252), kLanguageCaption);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252),
            "You need administrator rights\r\nto update Velt.");
  EXPECT_EQ(ReadPackage(), before);
  const std::vector<std::string> lines = LogLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "velt-update result=not-admin exit=5 installed=- carried=11 holder=-");
}

}  // namespace
}  // namespace velt::e2e

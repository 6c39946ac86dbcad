// What a deployment's command line cannot make the elevated updater do: a
// mistyped switch is refused before anything is done (1639), and the log is
// made only where its starter could have made it, never through a link
// anywhere on its path; a log that cannot be made ends the run (1622) before
// anything changes. The log tells what the command line asked for, never the
// starter's own text.
#include <gtest/gtest.h>

#include "driver/tests/deployment_fixture.h"
#include "platform/access.h"

namespace velt_test {
namespace {

class RefusedRunTest : public DeploymentTest {
 protected:
  // Nothing of the run happened: the data file, the settings and the log
  // folder are as they were, and no guard was taken.
  void ExpectNothingDone() {
    EXPECT_EQ(Package(), PackageWithVersionByte(42));
    EXPECT_FALSE(fake::RegKeyExists(kSettingsKey)) << "the settings key was created";
    EXPECT_EQ(EstimatedSize(), nullptr);
    EXPECT_TRUE(fake::World().launches.empty());
    EXPECT_EQ(fake::OpenHandleCount(), 0);
  }
};

TEST_F(RefusedRunTest, AMistypedSwitchIsRefusedBeforeAnythingIsDone) {
  const struct {
    const char* arguments;
    const char* named;
  } kCases[] = {
      {"/S modest", "/S"},
      {"/LOG:C:\\Logs\\update.log modest", "/LOG:C:\\Logs\\update.log"},
      {"modest /LOG C:\\Logs\\update.log runapp", "/LOG"},
      {"modest /LOG=", "/LOG="},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.arguments);
    ArrangeVeltInstallation(42);
    fake::AddDirectory("C:\\Logs");
    EXPECT_EQ(RunProgram(c.arguments), velt::kExitUnknownSwitch);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text,
              std::string("The command line holds a switch the updater does not know: ") + c.named +
                  "\r\nNothing was changed.");
    EXPECT_FALSE(Asked("CreateMutex"));
    EXPECT_TRUE(fake::FilesBelow("C:\\Logs").empty());
    ExpectNothingDone();
  }
  // /SUPPRESSMSGBOXES keeps the box away even without "modest".
  fake::World().boxes.clear();
  EXPECT_EQ(RunProgram("/SUPPRESSMSGBOXES /S"), velt::kExitUnknownSwitch);
  EXPECT_TRUE(Boxes().empty());
}

// A log aimed through a link higher up its path (a folder the user may
// replace by a link to a protected one) reaches another folder than the path
// spells out: refused, whether the system shows the link as one or not.
TEST_F(RefusedRunTest, ALogAimedThroughALinkAnywhereOnItsPathIsRefused) {
  for (uint32_t link_attributes : {platform::kAttrReparsePoint, 0u}) {
    SCOPED_TRACE(link_attributes);
    ArrangeVeltInstallation(42);
    fake::AddFile("C:\\Windows\\System32\\drivers\\etc\\hosts", "127.0.0.1 localhost");
    fake::AddDirectory("C:\\Users\\Public");
    fake::AddLink("C:\\Users\\Public\\Trap", "C:\\Windows\\System32", link_attributes);
    EXPECT_EQ(RunProgram("modest /LOG=C:\\Users\\Public\\Trap\\drivers\\etc\\hosts"),
              velt::kExitLogNotMade);
    EXPECT_EQ(fake::FileData("C:\\Windows\\System32\\drivers\\etc\\hosts"), "127.0.0.1 localhost");
    EXPECT_EQ(fake::FilesBelow("C:\\Windows\\System32\\drivers\\etc"),
              std::vector<std::string>{"hosts"});
    ExpectNothingDone();
  }
  // A path in another letter case, or with "." and "..", is the same folder.
  fake::AddDirectory("C:\\Logs");
  EXPECT_EQ(RunProgram("modest /LOG=c:\\logs\\.\\sub\\..\\Update.log"), velt::kExitOk);
  EXPECT_NE(fake::FileData(kLogPath).find("result=updated exit=0"), std::string::npos);
}

// Elevated above its user, the updater writes the log only where the user's
// ordinary rights could: create a file in the folder, and write and delete
// the file the log replaces (its own delete right or the folder's). Without a
// split token (SYSTEM, an administrator without UAC) nothing is checked.
TEST_F(RefusedRunTest, ElevatedAboveItsUserTheLogGoesOnlyWhereTheUserMayWrite) {
  using platform::kDelete;
  using platform::kFileAddFile;
  using platform::kFileDeleteChild;
  using platform::kFileWriteData;
  const struct {
    const char* what;
    uint32_t folder_denied;
    uint32_t file_denied;  // with an old log at the name
    bool made;
  } kCases[] = {
      {"the user may write both", 0, 0, true},
      {"the folder refuses new files", kFileAddFile, 0, false},
      {"the old file refuses writing", 0, kFileWriteData, false},
      {"the old file refuses deletion, the folder too", kFileDeleteChild, kDelete, false},
      {"the old file refuses deletion, the folder allows it", 0, kDelete, true},
  };
  for (platform::Elevation elevation : {platform::Elevation::kSplit, platform::Elevation::kNone}) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(std::string(c.what) +
                   (elevation == platform::Elevation::kSplit ? ", split token" : ", no split"));
      ArrangeVeltInstallation(42);
      if (elevation == platform::Elevation::kSplit)
        ElevateAboveTheUser();
      fake::AddDirectory("C:\\Logs");
      fake::FindEntry("C:\\Logs")->denied_to_user = c.folder_denied;
      fake::AddFile(kLogPath, "protected\r\n");
      fake::FindEntry(kLogPath)->denied_to_user = c.file_denied;
      const bool made = c.made || elevation == platform::Elevation::kNone;
      EXPECT_EQ(RunProgram(std::string("modest /SUPPRESSMSGBOXES /LOG=") + kLogPath),
                made ? velt::kExitOk : velt::kExitLogNotMade);
      if (made) {
        EXPECT_EQ(FinalLine(),
                  "velt-update result=updated exit=0 installed=10 carried=11 holder=-");
      } else {
        EXPECT_EQ(fake::FileData(kLogPath), "protected\r\n");
        ExpectNothingDone();
      }
      EXPECT_EQ(fake::FilesBelow("C:\\Logs"), std::vector<std::string>{"update.log"});
    }
  }
}

TEST_F(RefusedRunTest, AnOldLogHeldElsewhereIsNotMistakenForThisRunsLog) {
  fake::AddFile(kLogPath, "velt-update result=updated exit=0 installed=10 carried=11 holder=-\r\n");
  fake::FindEntry(kLogPath)->held_until_ms = 60 * 1000;
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitLogNotMade);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(fake::FilesBelow("C:\\Logs"), std::vector<std::string>{"update.log"});
  ExpectNothingDone();
}

// The command line is its starter's text: the log says what was understood
// from it instead, so no "&", "%" or line break of it reaches the file.
TEST_F(RefusedRunTest, TheLogTellsWhatTheCommandLineAskedForNotItsText) {
  fake::World().command_line = std::string("velt-update.exe MODEST runapp \"/LOG=") + kLogPath +
                               "\" x&calc&rem %TEMP% \"a\r\nb\" /suppressmsgboxes";
  EXPECT_EQ(velt::RunProgram(), velt::kExitOk);
  EXPECT_TRUE(
      Logged("command line understood as: silent (modest), runapp, /LOG, "
             "/SUPPRESSMSGBOXES, 3 other words left alone"));
  const std::string log = fake::FileData(kLogPath);
  EXPECT_EQ(log.find_first_of("&%"), std::string::npos) << log;
  EXPECT_EQ(log.find("calc"), std::string::npos) << log;
}

}  // namespace
}  // namespace velt_test

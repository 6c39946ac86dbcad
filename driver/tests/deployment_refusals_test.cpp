// What a deployment's command line cannot make the elevated updater do: a
// mistyped switch is refused before anything is done (1639), and the log is
// made only where its starter could have made it, never through a link
// anywhere on its path; a log that cannot be made ends the run (1622) before
// anything changes. The log tells what the command line asked for, never the
// starter's own text.
#include <gtest/gtest.h>

#include <algorithm>

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
  // A path in another letter case, with "." and "..", or with short (8.3)
  // names is the same folder; a link's short name still leads elsewhere.
  fake::AddDirectory("C:\\Logs");
  EXPECT_EQ(RunProgram("modest /LOG=c:\\logs\\.\\sub\\..\\Update.log"), velt::kExitOk);
  EXPECT_NE(fake::FileData(kLogPath).find("result=updated exit=0"), std::string::npos);
  fake::AddDirectory("C:\\Users\\Administrator\\AppData\\Local\\Temp");
  fake::World().short_names = {{"c:\\users\\admini~1", "c:\\users\\administrator"},
                               {"c:\\users\\public\\trap~1", "c:\\users\\public\\trap"}};
  EXPECT_EQ(RunProgram("modest /LOG=C:\\Users\\ADMINI~1\\AppData\\Local\\Temp\\u.log"),
            velt::kExitOk);
  EXPECT_EQ(RunProgram("modest /LOG=C:\\Users\\Public\\TRAP~1\\drivers\\etc\\hosts"),
            velt::kExitLogNotMade);
  EXPECT_EQ(fake::FileData("C:\\Windows\\System32\\drivers\\etc\\hosts"), "127.0.0.1 localhost");
}

// Refused before the log's folder is touched: a starter the updater cannot
// identify or examine, and, unless a service account started the run, a
// network path, so that no server sees the approving administrator's
// credentials.
TEST_F(RefusedRunTest, AnUnknownStarterOrANetworkPathGetsNoLogAndNothingIsTouched) {
  const struct {
    const char* what;
    const char* log;
    uint32_t parent;
    uint64_t created;   // the updater's: 2000
    const char* token;  // "": it cannot be opened; "gone": nor read
  } kCases[] = {
      {"no parent", kLogPath, 0, 1000, "starter"},
      {"the parent ended", kLogPath, 1300, 1000, "starter"},
      {"a newer process got its id", kLogPath, 1100, 2001, "starter"},
      {"its token cannot be opened", kLogPath, 1100, 1000, ""},
      {"its token cannot be read", kLogPath, 1100, 1000, "gone"},
      {"a UNC path", "\\\\host\\share\\update.log", 1100, 1000, "starter"},
      {"a long UNC path", "\\\\?\\UNC\\host\\share\\update.log", 1100, 1000, "starter"},
      {"a UNC path in slashes", "//host/share/update.log", 1100, 1000, "starter"},
      {"a remote drive", "N:\\Logs\\update.log", 1100, 1000, "starter"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    ArrangeVeltInstallation(42);
    fake::AddDirectory("C:\\Logs");
    fake::AddDirectory("N:\\Logs");
    fake::World().remote_drives = "n";
    fake::World().parent_process_id = c.parent;
    fake::World().other_processes[1100] = {c.created, c.token};
    EXPECT_EQ(RunProgram(std::string("modest /SUPPRESSMSGBOXES /LOG=") + c.log),
              velt::kExitLogNotMade);
    for (const fake::FaultCall& call : fake::World().faults.calls) {
      if (call.operation != "GetFullPathName") {  // the path's text only
        EXPECT_TRUE(call.subject.find("host") == std::string::npos &&
                    call.subject.rfind("n:", 0) != 0 && call.subject.rfind("c:\\logs", 0) != 0)
            << call.operation << " " << call.subject;
      }
    }
    EXPECT_TRUE(fake::FilesBelow("C:\\Logs").empty() && fake::FilesBelow("N:\\Logs").empty());
    ExpectNothingDone();
  }
  // Created in the same tick of the system's clock as the updater, and a
  // service account: the parent, trusted with a network drive.
  fake::World().other_processes[1100].created = fake::World().process_created;
  fake::World().tokens["starter"].user = fake::kSystemSid;
  EXPECT_EQ(RunProgram("modest /LOG=N:\\Logs\\update.log"), velt::kExitOk);
  EXPECT_EQ(FinalLine("N:\\Logs\\update.log"),
            "velt-update result=updated exit=0 installed=10 carried=11 holder=-");
}

// The log's folder may be shared: only what an earlier run of the updater
// left there goes (named with the updater's mark and owned as its files are,
// by Administrators here), and only once the log is made and its first lines
// are written. A run that ends with 1622 (a folder at the log's name, a log
// whose first lines fail) removes nothing.
TEST_F(RefusedRunTest, TheLogsCleanUpSparesOtherProgramsFilesAndARefusedRunRemovesNothing) {
  const std::string ours = "update.log.velt-update.qwertyui.tmp";
  std::vector<std::string> left = {ours,
                                   "update.log.abcdefgh.tmp",  // an earlier version's name
                                   "update.log.database.tmp",
                                   "update.log.settings.tmp",
                                   "update.log.velt-update.planted.tmp",
                                   "update.log.velt-update.usersown.tmp"};
  for (const std::string& name : left)
    fake::AddFile("C:\\Logs\\" + name, "left");
  fake::FindEntry("C:\\Logs\\" + left.back())->owner = fake::kUserSid;
  fake::AddDirectory(kLogPath);
  EXPECT_EQ(RunProgram(std::string("modest /SUPPRESSMSGBOXES /LOG=") + kLogPath),
            velt::kExitLogNotMade);
  ExpectNothingDone();
  fake::World().entries.erase(fake::NormalizePath(kLogPath));
  fake::World().failing = {"WriteFile"};  // the log is made, its first lines are not
  EXPECT_EQ(RunProgram(std::string("modest /SUPPRESSMSGBOXES /LOG=") + kLogPath),
            velt::kExitLogNotMade);
  fake::World().entries.erase(fake::NormalizePath(kLogPath));
  std::sort(left.begin(), left.end());
  EXPECT_EQ(fake::FilesBelow("C:\\Logs"), left);

  fake::World().failing.clear();
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
  EXPECT_TRUE(Logged("removed " + ours + ", left by an earlier run"));
  *std::find(left.begin(), left.end(), ours) = "update.log";
  std::sort(left.begin(), left.end());
  EXPECT_EQ(fake::FilesBelow("C:\\Logs"), left);
}

// The log goes only where the process that started the updater could write
// it: create a file in the folder, and write and delete the file the log
// replaces (its own delete right or the folder's), whether the updater's own
// token is split or not (the built-in Administrator typed in for a standard
// user's program). A service account's tools are not checked. Another user's
// program is checked as itself, not as the approving administrator's
// unelevated half, which may write here (the administrator's own folder).
TEST_F(RefusedRunTest, TheLogGoesOnlyWhereItsStarterMayWrite) {
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
  const char* const kOtherUser = "S-1-5-21-1004336348-1177238915-682003330-1002";
  const std::pair<platform::Elevation, const char*> kStarters[] = {
      {platform::Elevation::kSplit, fake::kUserSid},
      {platform::Elevation::kNone, fake::kUserSid},
      {platform::Elevation::kSplit, kOtherUser},
      {platform::Elevation::kNone, kOtherUser},
      {platform::Elevation::kNone, fake::kSystemSid}};
  for (const auto& [elevation, starter] : kStarters) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(std::string(c.what) + ", started by " + starter +
                   (elevation == platform::Elevation::kSplit ? ", split token" : ", no split"));
      ArrangeVeltInstallation(42);
      if (elevation == platform::Elevation::kSplit)
        ElevateAboveTheUser();
      fake::World().tokens["starter"].user = starter;
      fake::AddDirectory("C:\\Logs");
      fake::FindEntry("C:\\Logs")->denied_to_user = c.folder_denied;
      fake::FindEntry("C:\\Logs")->denied_to_others = platform::kFileAddFile;
      fake::AddFile(kLogPath, "protected\r\n");
      fake::FindEntry(kLogPath)->denied_to_user = c.file_denied;
      const bool made = starter == fake::kSystemSid || (c.made && starter == fake::kUserSid);
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

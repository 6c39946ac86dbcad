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

// A starter the updater cannot identify or examine gets no log: no parent, a
// parent that has ended, an id that a newer process took after it, a token
// that cannot be opened or read.
TEST_F(RefusedRunTest, AStarterThatCannotBeIdentifiedOrExaminedGetsNoLog) {
  const struct {
    const char* what;
    void (*arrange)(fake::FakeWorld& world);
  } kCases[] = {
      {"no parent", [](fake::FakeWorld& world) { world.parent_process_id = 0; }},
      {"the parent ended", [](fake::FakeWorld& world) { world.other_processes.clear(); }},
      {"its id names a newer process",
       [](fake::FakeWorld& world) { world.other_processes[1100].created = 2001; }},
      {"its token cannot be opened",
       [](fake::FakeWorld& world) { world.other_processes[1100].token.clear(); }},
      {"its token cannot be read",
       [](fake::FakeWorld& world) { world.failing = {"GetTokenFacts"}; }},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    ArrangeVeltInstallation(42);
    fake::AddDirectory("C:\\Logs");
    c.arrange(fake::World());
    EXPECT_EQ(RunProgram(std::string("modest /SUPPRESSMSGBOXES /LOG=") + kLogPath),
              velt::kExitLogNotMade);
    EXPECT_TRUE(fake::FilesBelow("C:\\Logs").empty());
    ExpectNothingDone();
  }
  // Created in the same tick of the system's clock as the updater: its parent.
  ArrangeVeltInstallation(42);
  fake::AddDirectory("C:\\Logs");
  fake::World().other_processes[1100].created = fake::World().process_created;
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
}

// A network path is refused before anything touches it, so that no server
// sees the approving administrator's credentials; a service account's tools
// may log there.
TEST_F(RefusedRunTest, ANetworkPathIsRefusedUntouchedUnlessAServiceStartedTheUpdater) {
  for (const char* path : {"\\\\host\\share\\update.log", "\\\\?\\UNC\\host\\share\\update.log",
                           "//host/share/update.log", "N:\\Logs\\update.log"}) {
    SCOPED_TRACE(path);
    ArrangeVeltInstallation(42);
    fake::World().remote_drives = "n";
    fake::AddDirectory("N:\\Logs");
    EXPECT_EQ(RunProgram(std::string("modest /SUPPRESSMSGBOXES /LOG=") + path),
              velt::kExitLogNotMade);
    for (const fake::FaultCall& call : fake::World().faults.calls) {
      if (call.operation != "GetFullPathName")  // the path's text only
        EXPECT_TRUE(call.subject.find("host") == std::string::npos &&
                    call.subject.rfind("n:", 0) != 0)
            << call.operation << " " << call.subject;
    }
    EXPECT_TRUE(fake::FilesBelow("N:\\Logs").empty());
    ExpectNothingDone();
  }
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
  std::vector<std::string> left = {"update.log.database.tmp", "update.log.settings.tmp",
                                   "update.log.abcdefgh.tmp",  // an earlier version's name
                                   "update.log.velt-update.planted.tmp", ours};
  for (const std::string& name : left)
    fake::AddFile("C:\\Logs\\" + name, "another program's");
  fake::AddFile("C:\\Logs\\update.log.velt-update.asdfghjk.tmp", "the user's");
  fake::FindEntry("C:\\Logs\\update.log.velt-update.asdfghjk.tmp")->owner = fake::kUserSid;
  left.push_back("update.log.velt-update.asdfghjk.tmp");
  std::sort(left.begin(), left.end());
  fake::AddDirectory(kLogPath);
  EXPECT_EQ(RunProgram(std::string("modest /SUPPRESSMSGBOXES /LOG=") + kLogPath),
            velt::kExitLogNotMade);
  EXPECT_EQ(fake::FilesBelow("C:\\Logs"), left);
  ExpectNothingDone();

  fake::World().entries.erase(fake::NormalizePath(kLogPath));
  fake::World().failing = {"WriteFile"};  // the log is made, its first lines are not
  EXPECT_EQ(RunProgram(std::string("modest /SUPPRESSMSGBOXES /LOG=") + kLogPath),
            velt::kExitLogNotMade);
  EXPECT_TRUE(fake::Exists("C:\\Logs\\" + ours));
  fake::World().failing.clear();
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
  EXPECT_TRUE(Logged("removed " + ours + ", left by an earlier run"));
  left.erase(std::find(left.begin(), left.end(), ours));
  left.insert(std::lower_bound(left.begin(), left.end(), "update.log"), "update.log");
  EXPECT_EQ(fake::FilesBelow("C:\\Logs"), left);
}

// The log goes only where the process that started the updater could write
// it: create a file in the folder, and write and delete the file the log
// replaces (its own delete right or the folder's), whatever the updater's own
// token is: split (its linked half is the user's) or not (the built-in
// Administrator typed in at the prompt for a standard user's program). A
// service account's tools are trusted. Another user's parent is checked as
// itself, not as the approving administrator's unelevated half, which may
// write the administrator's own profile.
TEST_F(RefusedRunTest, TheLogGoesOnlyWhereItsStarterMayWrite) {
  using platform::kDelete;
  using platform::kFileAddFile;
  using platform::kFileDeleteChild;
  using platform::kFileWriteData;
  const struct {
    const char* what;
    uint32_t folder_denied;
    uint32_t file_denied;       // with an old log at the name
    uint32_t denied_to_others;  // on the folder, to users but the updater's own
    bool made;
  } kCases[] = {
      {"the starter may write both", 0, 0, 0, true},
      {"the folder refuses new files", kFileAddFile, 0, 0, false},
      {"the old file refuses writing", 0, kFileWriteData, 0, false},
      {"the old file refuses deletion, the folder too", kFileDeleteChild, kDelete, 0, false},
      {"the old file refuses deletion, the folder allows it", 0, kDelete, 0, true},
      {"a folder only the updater's user may write", 0, 0, kFileAddFile, true},
  };
  const struct {
    const char* who;
    bool split;
    const char* starter;
  } kStarters[] = {
      {"the user's program, split", true, fake::kUserSid},
      {"another user's program, split", true, "S-1-5-21-1004336348-1177238915-682003330-1002"},
      {"another user's program, not split", false, "S-1-5-21-1004336348-1177238915-682003330-1002"},
      {"a service account's", false, fake::kSystemSid},
  };
  for (const auto& starter : kStarters) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(std::string(c.what) + ", " + starter.who);
      ArrangeVeltInstallation(42);
      if (starter.split)
        ElevateAboveTheUser();
      fake::World().tokens["starter"].user = starter.starter;
      fake::AddDirectory("C:\\Logs");
      fake::FindEntry("C:\\Logs")->denied_to_user = c.folder_denied;
      fake::FindEntry("C:\\Logs")->denied_to_others = c.denied_to_others;
      fake::AddFile(kLogPath, "protected\r\n");
      fake::FindEntry(kLogPath)->denied_to_user = c.file_denied;
      const bool own = starter.starter == std::string(fake::kUserSid);
      const bool made = starter.starter == std::string(fake::kSystemSid) ||
                        (c.made && (own || c.denied_to_others == 0));
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

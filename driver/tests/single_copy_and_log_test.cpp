// One copy at a time, the deployment switches and the run log, over the fake
// machine: a second copy ends at once with 1618, makes no log and says why
// only when interactive; a squatter on the guard's name stops nobody; "/LOG="
// and "/SUPPRESSMSGBOXES" leave the positional words in place; the log is made
// like every elevated write, tells each step and ends with the tools' line.
#include <gtest/gtest.h>

#include <utility>

#include "deployment/command_switches.h"
#include "deployment/single_copy_guard.h"
#include "driver/tests/deployment_fixture.h"

namespace velt_test {
namespace {

TEST(CommandSwitchesTest, SwitchesAreTakenOutAnywhereInAnyCase) {
  velt::CommandSwitches switches = velt::ParseCommandSwitches(
      "velt-update.exe /LOG=\"C:\\My Logs\\u.log\" MODEST /SuppressMsgBoxes RunApp");
  EXPECT_EQ(switches.words, (std::vector<std::string>{"MODEST", "RunApp"}));
  EXPECT_EQ(switches.log_path, "C:\\My Logs\\u.log");
  EXPECT_TRUE(switches.suppress_message_boxes);
  EXPECT_EQ(switches.refused_word, "");

  // The whole word quoted; the last "/LOG=" wins; "-log=y" is a plain word.
  switches = velt::ParseCommandSwitches("x.exe \"/log=C:\\a b.log\" modest /LoG=C:\\b.log -log=y");
  EXPECT_EQ(switches.words, (std::vector<std::string>{"modest", "-log=y"}));
  EXPECT_EQ(switches.log_path, "C:\\b.log");
  EXPECT_FALSE(switches.suppress_message_boxes);
  EXPECT_EQ(switches.refused_word, "");
}

TEST(CommandSwitchesTest, EveryOtherWordWithASlashIsRefusedTheFirstNamed) {
  const struct {
    const char* line;
    const char* refused;
  } kCases[] = {
      {"x.exe /S modest", "/S"},
      {"x.exe /LOG:C:\\x modest", "/LOG:C:\\x"},
      {"x.exe modest /LOG C:\\x runapp", "/LOG"},
      {"x.exe modest /LOG=", "/LOG="},
      {"x.exe modest \"/LOG=\"", "/LOG="},
      {"x.exe /SUPPRESSMSGBOXESX /LOGFILE=x", "/SUPPRESSMSGBOXESX"},
      {"x.exe modest /", "/"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(velt::ParseCommandSwitches(c.line).refused_word, c.refused);
  }
}

class SingleCopyTest : public DeploymentTest {};

TEST_F(SingleCopyTest, ASecondCopyEndsAtOnceMakesNoLogAndOnlyAnInteractiveOneSaysWhy) {
  const std::string log = std::string("/LOG=") + kLogPath;
  for (bool private_namespace : {false, true}) {
    for (const std::string& arguments :
         {std::string(), log, "modest " + log, std::string("modest runapp"),
          "modest /SUPPRESSMSGBOXES " + log}) {
      SCOPED_TRACE(arguments + (private_namespace ? ", private namespace" : ""));
      ArrangeVeltInstallation(42);
      fake::AddFile(kLogPath, "the running copy's log\r\n");
      fake::World().private_namespaces = private_namespace;
      fake::World().named_objects[private_namespace ? "velt-update\\single-copy"
                                                    : "Global\\velt-update"] = {};
      fake::World().existing_mappings = {"velt_memfile"};  // a running Velt is left alone
      fake::World().windows["TVeltMainForm"] = reinterpret_cast<void*>(0x1234);

      EXPECT_EQ(RunProgram(arguments), velt::kExitAnotherCopyRunning);
      if (arguments.rfind("modest", 0) == 0) {
        EXPECT_TRUE(Boxes().empty());
      } else {
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text,
                  "An update of Velt is already running.\r\nPlease wait until it has finished.");
      }
      EXPECT_EQ(fake::FileData(kLogPath), "the running copy's log\r\n");
      EXPECT_EQ(fake::FilesBelow("C:\\Logs"), std::vector<std::string>{"update.log"});
      EXPECT_EQ(Package(), PackageWithVersionByte(42));
      EXPECT_FALSE(fake::RegKeyExists(kSettingsKey)) << "the settings key was created";
      EXPECT_EQ(EstimatedSize(), nullptr);
      EXPECT_TRUE(fake::World().posts.empty());
      EXPECT_TRUE(fake::World().launches.empty());
      EXPECT_TRUE(fake::World().sleeps.empty());
      EXPECT_EQ(fake::OpenHandleCount(), 0);
      EXPECT_EQ(fake::OpenRegistryKeyCount(), 0);
    }
  }
}

// Anybody may make an object called Global\velt-update first. Only a mutex
// owned by Administrators or SYSTEM is another copy's; anything else is logged
// as a squatter and the run goes on without the guard, rather than end with
// 1618 for ever. In the private namespace, nothing outside it matters.
TEST_F(SingleCopyTest, ASquatterOnTheGuardsNameStopsNobody) {
  const struct {
    const char* what;
    fake::FakeWorld::NamedObject object;
    bool private_namespace;
  } kSquatters[] = {
      {"a mutex owned by a user", {true, false, false}, false},
      {"an event", {false, true, false}, false},
      {"a mutex nobody may read", {true, true, true}, false},
      {"a user's mutex beside the private namespace", {true, false, false}, true},
  };
  for (const auto& squatter : kSquatters) {
    SCOPED_TRACE(squatter.what);
    ArrangeVeltInstallation(42);
    fake::AddDirectory("C:\\Logs");
    fake::World().named_objects["Global\\velt-update"] = squatter.object;
    fake::World().private_namespaces = squatter.private_namespace;
    EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
    EXPECT_EQ(Package(), BuiltPayload());
    EXPECT_TRUE(Boxes().empty());
    if (squatter.private_namespace) {
      EXPECT_TRUE(Logged("single-copy guard velt-update\\single-copy taken"));
    } else {
      EXPECT_TRUE(
          Logged("single-copy guard Global\\velt-update: the name is taken by an object "
                 "that is no updater's guard"));
    }
    EXPECT_EQ(fake::OpenHandleCount(), 0);
  }
}

TEST_F(SingleCopyTest, TheGuardIsHeldForTheWholeRunAndLetGoAtItsEnd) {
  int guards_while_asking = 0;
  fake::World().on_box = [&](const fake::MessageBoxRecord&) {
    for (const auto& [id, handle] : fake::World().handles) {
      if (handle.kind == fake::FakeHandle::kMutex && handle.path == "Global\\velt-update")
        ++guards_while_asking;
    }
  };
  Answer({platform::kIdYes, platform::kIdNo});
  EXPECT_EQ(RunProgram(""), velt::kExitOk);
  EXPECT_EQ(guards_while_asking, 2);  // one guard, seen at both questions
  EXPECT_EQ(fake::OpenHandleCount(), 0);
  ASSERT_FALSE(fake::World().faults.calls.empty());
  EXPECT_EQ(fake::World().faults.calls[0].operation, "CreateMutex") << "the guard comes first";

  // A later copy finds it free.
  EXPECT_EQ(RunProgram("modest"), velt::kExitOk);
}

TEST_F(SingleCopyTest, AGuardThatCannotBeMadeLetsTheRunGoOnAndIsLogged) {
  fake::World().faults.fail_call = 0;  // the guard's CreateMutex
  fake::World().faults.kind = fake::kFaultError;
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
  EXPECT_TRUE(fake::World().faults.injected);
  EXPECT_EQ(Package(), BuiltPayload());
  EXPECT_TRUE(
      Logged("single-copy guard Global\\velt-update cannot be made; the run goes on "
             "without it: error 31"));
  EXPECT_EQ(FinalLine(), "velt-update result=updated exit=0 installed=10 carried=11 holder=-");

  // A creation refused although no copy holds the guard: this process may not
  // make global objects; the rights test later tells the user.
  fake::World().failing = {"CreateMutex"};
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
  EXPECT_TRUE(Logged("cannot be made; the run goes on without it: error 5 (Access is denied.)"));
}

class RunLogTest : public DeploymentTest {};

TEST_F(RunLogTest, ASilentUpdateLogsEachStepAndEndsWithTheToolsLine) {
  EXPECT_EQ(RunProgram(std::string("/LOG=") + kLogPath + " modest runapp"), velt::kExitOk);
  ASSERT_EQ(fake::World().launches.size(), 1u) << "runapp lost its place";
  EXPECT_EQ(FinalLine(), "velt-update result=updated exit=0 installed=10 carried=11 holder=-");
  for (const char* step :
       {"velt-update 11.0.0.0, carrying vtup.cok version 11",
        "command line understood as: silent (modest), runapp, /LOG",
        "system: ", "single-copy guard Global\\velt-update taken",
        "installation folder C:\\Program Files\\Velt\\ from the uninstall entry "
        "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velt",
        "language file english.lng, language 1033", "the installer's self-check passed",
        "silent mode (modest)", "installed vtup.cok version 10 (read for the log",
        "installed C:\\Program Files\\Velt\\vtup.cok", "recorded EstimatedSize ",
        "starting Velt (runapp)", "the run ends with exit code 0"}) {
    EXPECT_TRUE(Logged(step)) << step;
  }
  EXPECT_EQ(fake::FilesBelow("C:\\Logs"), std::vector<std::string>{"update.log"});
  EXPECT_EQ(fake::OpenHandleCount(), 0);
}

TEST_F(RunLogTest, AnInteractiveRunLogsTheAnswersAndDeclinedAsItsResult) {
  Answer({platform::kIdNo});
  EXPECT_EQ(RunProgram(std::string("/log=") + kLogPath), velt::kExitOk);
  EXPECT_TRUE(Logged("installed vtup.cok version 10, carried 11"));
  EXPECT_TRUE(Logged("asked whether to install: No"));
  EXPECT_EQ(FinalLine(), "velt-update result=declined exit=0 installed=10 carried=11 holder=-");
}

TEST_F(RunLogTest, WithoutTheSwitchNothingIsLoggedOrAsked) {
  Answer({platform::kIdYes, platform::kIdNo});
  EXPECT_EQ(RunProgram(""), velt::kExitOk);
  EXPECT_TRUE(fake::FilesBelow("C:\\Logs").empty());
  for (const auto& [path, entry] : fake::World().entries)
    EXPECT_EQ(path.find(".log"), std::string::npos) << path;
  EXPECT_FALSE(Asked("RmStartSession"));
}

// The log is an elevated write to a place the administrator names, maybe one
// a user can write to: a link there is never followed, an old file is
// replaced, and a log that cannot be made ends the run before it changes
// anything, with 1622.
TEST_F(RunLogTest, TheLogIsMadeWithoutFollowingALinkAndItsFailureChangesNothing) {
  fake::AddFile("C:\\Windows\\system.ini", "[boot]");
  fake::AddLink(kLogPath, "C:\\Windows\\system.ini", platform::kAttrReparsePoint);
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitLogNotMade);
  EXPECT_EQ(fake::FileData("C:\\Windows\\system.ini"), "[boot]");
  EXPECT_EQ(fake::FindEntry(kLogPath)->link_target, "c:\\windows\\system.ini");
  EXPECT_EQ(fake::FilesBelow("C:\\Logs"), std::vector<std::string>{"update.log"});
  EXPECT_EQ(Package(), PackageWithVersionByte(42));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text,
            "Can't write the log file C:\\Logs\\update.log\r\nNothing was changed.");

  fake::World().entries.erase(fake::NormalizePath(kLogPath));
  fake::AddFile(kLogPath, "an older run's log\r\n");
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
  EXPECT_EQ(fake::FileData(kLogPath).find("an older run"), std::string::npos);
  EXPECT_EQ(FinalLine(), "velt-update result=updated exit=0 installed=10 carried=11 holder=-");

  fake::World().boxes.clear();
  EXPECT_EQ(RunProgram("modest /SUPPRESSMSGBOXES /LOG=C:\\Missing\\update.log"),
            velt::kExitLogNotMade);
  EXPECT_FALSE(fake::Exists("C:\\Missing"));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(fake::OpenHandleCount(), 0);
}

// A hostile per-user folder name cannot forge the tools' line: control
// characters become blanks; other characters reach the log as UTF-8.
TEST_F(RunLogTest, LoggedTextsCannotStartALineOfTheirOwn) {
  fake::SetRegString(kSettingsKey, "TheLastRunFolder",
                     "C:\\Caf\xE9\r\nvelt-update result=updated exit=0 installed=- carried=11 "
                     "holder=-\r\n");
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitNoInstallation);
  const std::vector<std::string> lines = LogLines();
  for (size_t i = 0; i + 1 < lines.size(); ++i)
    EXPECT_NE(lines[i].rfind("velt-update result=", 0), 0u) << lines[i];
  EXPECT_EQ(FinalLine(), "velt-update result=not-installed exit=3 installed=- carried=11 holder=-");
  EXPECT_TRUE(Logged("C:\\Caf\xC3\xA9 velt-update result=updated"));

  // Every other control character, TAB and DEL included.
  fake::SetRegString(kSettingsKey, "TheLastRunFolder", "C:\\a\001b\tc\013d\037e\177f");
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitNoInstallation);
  EXPECT_TRUE(Logged("C:\\a b c d e f")) << fake::FileData(kLogPath);
}

// A version byte below the bias is a negative version, logged with its sign.
TEST_F(RunLogTest, InstalledVersionsBelowZeroKeepTheirSign) {
  for (const auto& [byte, version] :
       std::vector<std::pair<unsigned char, std::string>>{{0, "-32"}, {31, "-1"}, {32, "0"}}) {
    SCOPED_TRACE(version);
    fake::AddFile(kPackagePath, PackageWithVersionByte(byte));
    EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
    EXPECT_TRUE(Logged("installed vtup.cok version " + version + " (read for the log"));
    EXPECT_EQ(FinalLine(),
              "velt-update result=updated exit=0 installed=" + version + " carried=11 holder=-");
  }
}

// A short write (a full disk) ends the step lines; the end still says that
// lines are missing and writes the tools' line.
TEST_F(RunLogTest, AShortWriteEndsTheStepLinesButNotTheLastLine) {
  const std::string arguments = std::string("modest /LOG=") + kLogPath;
  EXPECT_EQ(RunProgram(arguments), velt::kExitOk);
  const std::string whole = fake::FileData(kLogPath);
  int64_t last_but_one = -1, last = -1;  // the log's two last lines
  for (size_t i = 0; i < fake::World().faults.calls.size(); ++i) {
    if (fake::World().faults.calls[i].operation == "WriteFile")
      last_but_one = std::exchange(last, static_cast<int64_t>(i));
  }
  SetUp();  // the same machine again
  fake::World().faults.fail_call = last_but_one;
  fake::World().faults.kind = fake::kFaultShortWrite;
  EXPECT_EQ(RunProgram(arguments), velt::kExitOk);
  EXPECT_TRUE(fake::World().faults.injected);
  // The cut line is followed by no step as if whole: only by the note that
  // lines are missing (on a line of its own) and the tools' last line.
  const std::string log = fake::FileData(kLogPath);
  const size_t note = log.find("a write to the log failed before; lines are missing\r\n");
  ASSERT_NE(note, std::string::npos) << log;
  const std::string cut = log.substr(0, note - std::string("\r\nYYYY-MM-DD hh:mm:ss.mmm ").size());
  EXPECT_LT(cut.size(), whole.size());
  EXPECT_EQ(cut, whole.substr(0, cut.size())) << "something followed the cut line";
  EXPECT_NE(cut.substr(cut.size() - 2), "\r\n") << "the short write cut no line";
  EXPECT_EQ(FinalLine(), "velt-update result=updated exit=0 installed=10 carried=11 holder=-");

  // Broken once the installation is looked for, it still tells the box shown since.
  SetUp();
  fake::World().entries.erase(fake::NormalizePath(std::string(kVeltFolder) + "velt.exe"));
  fake::World().on_call = [this](const std::string& operation) {
    fake::FaultPlan& plan = fake::World().faults;
    if (plan.fail_call < 0 && operation == "WriteFile" && Asked("HoldFolder"))
      plan.fail_call = static_cast<int64_t>(plan.calls.size());
  };
  EXPECT_EQ(RunProgram(arguments), velt::kExitNoInstallation);
  const std::string broken = fake::FileData(kLogPath);
  EXPECT_NE(broken.find("error box: Velt update: There's no Velt installed.",
                        broken.find("lines are missing")),
            std::string::npos)
      << broken;
}

}  // namespace
}  // namespace velt_test

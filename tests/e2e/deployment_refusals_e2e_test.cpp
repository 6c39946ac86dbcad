// What a deployment's command line cannot make the real updater do under
// Wine: a mistyped switch ends at once with 1639; a log aimed through a link
// higher up its path, or an old log another program holds, ends the run with
// 1622 before anything changes; the log keeps nothing of the starter's text;
// and an object made first under the guard's name by another program stops
// nobody.
#include <cstdio>
#include <string>
#include <vector>

#include "deployment/exit_codes.h"
#include "tests/common/unix_symlink.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/e2e_registry.h"

namespace velt::e2e {
namespace {

class DeploymentRefusalE2eTest : public UpdateE2eTest {
 protected:
  void SetUp() override {
    UpdateE2eTest::SetUp();
    ASSERT_TRUE(CreateDirectoryA((root() + "logs").c_str(), nullptr));
  }
  void TearDown() override {
    velt::test::UnixUnlink(root() + "trap");  // first, so removing the tree follows no link
    UpdateE2eTest::TearDown();
  }
  std::string LogPath() const { return root() + "logs\\update.log"; }
  std::string Log() const { return ReadBinaryFile(LogPath()); }

  // The run changed nothing: the data file is the one before, no size was
  // recorded and no settings key was made.
  void ExpectNothingChanged(const std::string& before) {
    EXPECT_EQ(ReadPackage(), before);
    DWORD kib = 0;
    EXPECT_FALSE(ReadEstimatedSize(&kib));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kSettingsKey));
    EXPECT_FALSE(NewFileLeft());
  }
};

TEST_F(DeploymentRefusalE2eTest, AMistypedSwitchEndsWith1639AndNothingDone) {
  const std::string before = ReadPackage();
  const std::vector<std::vector<std::string>> lines = {
      {"/S", "modest"}, {"/LOG:" + LogPath(), "modest"}, {"/LOG"}};
  for (const std::vector<std::string>& args : lines) {
    SCOPED_TRACE(args[0]);
    UpdateRun run = RunUpdate(args, {IDOK});
    EXPECT_EQ(run.exit_code, kExitUnknownSwitch);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_NE(ToCodePage(run.boxes[0].text, 1252).find(args[0]), std::string::npos)
        << ToUtf8(run.boxes[0].text);
    EXPECT_FALSE(FileExists(LogPath()));
    ExpectNothingChanged(before);
  }
}

// The folder two levels up the log's path is a link the user planted to a
// protected folder: the log would replace a file there.
TEST_F(DeploymentRefusalE2eTest, ALogAimedThroughALinkHigherUpItsPathEndsWith1622) {
  const std::string protected_folder = root() + "protected\\";
  ASSERT_TRUE(CreateDirectoryA(protected_folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((protected_folder + "etc").c_str(), nullptr));
  ASSERT_TRUE(WriteBinaryFile(protected_folder + "etc\\hosts", "127.0.0.1 localhost\r\n"));
  ASSERT_TRUE(velt::test::MakeUnixSymlink(root() + "trap", root() + "protected"));
  const std::string before = ReadPackage();

  UpdateRun run =
      RunUpdate({"modest", "/SUPPRESSMSGBOXES", "/LOG=" + root() + "trap\\etc\\hosts"}, {});
  EXPECT_EQ(run.exit_code, kExitLogNotMade);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(ReadBinaryFile(protected_folder + "etc\\hosts"), "127.0.0.1 localhost\r\n");
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((protected_folder + "etc\\hosts.*.tmp").c_str(), &found);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "left: " << found.cFileName;
  if (find != INVALID_HANDLE_VALUE)
    FindClose(find);
  ExpectNothingChanged(before);

  // Without suppression the box says why nothing happened.
  run = RunUpdate({"modest", "/LOG=" + root() + "trap\\etc\\hosts"}, {IDOK});
  EXPECT_EQ(run.exit_code, kExitLogNotMade);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252).rfind("Can't write the log file ", 0), 0u);
}

// An old log that another program keeps open: the new one cannot replace it,
// and the old last line must not be taken for this run's.
TEST_F(DeploymentRefusalE2eTest, AHeldLogEndsWith1622WithNothingUpdated) {
  ASSERT_TRUE(WriteBinaryFile(
      LogPath(), "velt-update result=updated exit=0 installed=10 carried=11 holder=-\r\n"));
  HANDLE held = CreateFileA(LogPath().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::string before = ReadPackage();
  UpdateRun run = RunUpdate({"modest", "/SUPPRESSMSGBOXES", "/LOG=" + LogPath()}, {});
  CloseHandle(held);
  EXPECT_EQ(run.exit_code, kExitLogNotMade);
  EXPECT_TRUE(run.boxes.empty());
  ExpectNothingChanged(before);
}

// Another program's "<name>.<8 letters>.tmp" in the log's folder survives a
// 1622 run (a folder at the log's name) and a logged run; a file with the
// updater's mark goes in the logged run only (under Wine every file is owned
// by the Unix user, as the updater's are; the fake shows another owner's).
TEST_F(DeploymentRefusalE2eTest, OtherProgramsFilesSurviveALoggedRunAndA1622Run) {
  const std::vector<std::string> others = {"update.log.database.tmp", "Update.log.settings.tmp",
                                           "update.log.abcdefgh.tmp"};
  for (const std::string& name : others)
    ASSERT_TRUE(WriteBinaryFile(root() + "logs\\" + name, "another program's"));
  const std::string marked = root() + "logs\\update.log.velt-update.qwertyui.tmp";
  ASSERT_TRUE(WriteBinaryFile(marked, "left by a killed run"));
  ASSERT_TRUE(CreateDirectoryA(LogPath().c_str(), nullptr));
  const std::string before = ReadPackage();
  const auto expect_others_whole = [&] {
    for (const std::string& name : others)
      EXPECT_EQ(ReadBinaryFile(root() + "logs\\" + name), "another program's") << name;
  };
  UpdateRun run = RunUpdate({"modest", "/SUPPRESSMSGBOXES", "/LOG=" + LogPath()}, {});
  EXPECT_EQ(run.exit_code, kExitLogNotMade);
  ExpectNothingChanged(before);
  expect_others_whole();
  EXPECT_TRUE(FileExists(marked));

  ASSERT_TRUE(RemoveDirectoryA(LogPath().c_str()));
  run = RunUpdate({"modest", "/LOG=" + LogPath()}, {});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_FALSE(FileExists(marked));
  EXPECT_NE(Log().find("removed update.log.velt-update.qwertyui.tmp"), std::string::npos) << Log();
  expect_others_whole();
}

// %TEMP% often reads in short (8.3) names: a log folder spelt so is the same
// folder, not a link to another.
TEST_F(DeploymentRefusalE2eTest, ALogFolderSpeltInShortNamesIsMade) {
  const std::string folder = root() + "logs of a long name";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  char spelt[MAX_PATH] = {};
  ASSERT_NE(GetShortPathNameA(folder.c_str(), spelt, MAX_PATH), 0u);
  ASSERT_NE(AsciiLower(spelt), AsciiLower(folder)) << "no short name";
  UpdateRun run = RunUpdate({"modest", "/LOG=" + std::string(spelt) + "\\update.log"}, {});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_NE(ReadBinaryFile(folder + "\\update.log").find("velt-update result=updated exit=0"),
            std::string::npos);
}

TEST_F(DeploymentRefusalE2eTest, TheLogKeepsNothingOfTheStartersText) {
  UpdateRun run =
      RunUpdate({"modest", "/LOG=" + LogPath(), "x&calc&rem", "%TEMP%", "a\r\nb&c"}, {});
  EXPECT_EQ(run.exit_code, kExitOk);
  const std::string log = Log();
  EXPECT_NE(log.find("command line understood as: silent (modest), /LOG, 3 other words"),
            std::string::npos)
      << log;
  EXPECT_EQ(log.find_first_of("&%"), std::string::npos) << log;
  EXPECT_EQ(log.find("calc"), std::string::npos) << log;
  EXPECT_NE(log.find("velt-update result=updated exit=0"), std::string::npos);
}

// Any program may make Global\velt-update first, a mutex or another kind of
// object: a run logs it as a squatter and goes on, instead of ending with
// 1618 for ever.
TEST_F(DeploymentRefusalE2eTest, AnObjectMadeFirstUnderTheGuardsNameStopsNobody) {
  for (bool mutex : {true, false}) {
    SCOPED_TRACE(mutex ? "a mutex" : "an event");
    WritePackage(PackageWithVersionByte(42));
    HANDLE squatter = mutex ? CreateMutexA(nullptr, TRUE, "Global\\velt-update")
                            : CreateEventA(nullptr, TRUE, FALSE, "Global\\velt-update");
    ASSERT_NE(squatter, nullptr);
    UpdateRun run = RunUpdate({"modest", "/LOG=" + LogPath()}, {});
    CloseHandle(squatter);
    EXPECT_EQ(run.exit_code, kExitOk);
    EXPECT_EQ(ReadPackage(), CarriedPackage());
    EXPECT_NE(Log().find("single-copy guard Global\\velt-update: the name is taken by an object "
                         "that is no updater's guard"),
              std::string::npos)
        << Log();
  }
}

}  // namespace
}  // namespace velt::e2e

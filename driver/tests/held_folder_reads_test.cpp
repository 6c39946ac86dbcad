// Every look at the installed data file goes through the held folder's handle:
// a link at its name (or another name of some other file) is not followed by
// the version read, and no open of it waits for another process's
// opportunistic lock.
#include "driver/tests/deployment_fixture.h"
#include "startup/release_facts.h"

namespace velt_test {
namespace {

using platform::kIdYes;

// A file of the user's that a link at the data file's name leads to; its
// fifth byte, '7', read as a version byte, says 23: newer than the update.
const char kPin[] = "C:\\Users\\Anna\\pin.txt";
const char kPinText[] = "PIN=7391";

enum class LinkKind { kWindowsView, kWineView, kHardLink };

class HeldFolderReadsTest : public DeploymentTest {
 protected:
  // The data file's name made a link to kPin, as Windows reports a link or as
  // Wine does, with the target's attributes, or another name of kPin.
  void LinkThePackage(LinkKind kind) {
    ArrangeVeltInstallation(42);
    fake::AddDirectory("C:\\Logs");
    fake::AddFile(kPin, kPinText);
    fake::World().entries.erase(fake::NormalizePath(kPackagePath));
    if (kind == LinkKind::kHardLink)
      fake::AddHardLink(kPackagePath, kPin);
    else
      fake::AddLink(kPackagePath, kPin,
                    kind == LinkKind::kWindowsView
                        ? platform::kAttrReparsePoint | platform::kAttrArchive
                        : platform::kAttrArchive);
  }
};

TEST_F(HeldFolderReadsTest, ALinkAtTheDataFileIsNotReadForItsVersion) {
  for (LinkKind kind : {LinkKind::kWindowsView, LinkKind::kWineView, LinkKind::kHardLink}) {
    SCOPED_TRACE(static_cast<int>(kind));
    LinkThePackage(kind);
    Answer({kIdYes});
    EXPECT_EQ(RunProgram(std::string("/LOG=") + kLogPath), velt::kExitInstallFailed);
    ASSERT_EQ(Boxes().size(), 2u) << "no older-version question";
    EXPECT_EQ(Boxes()[0].text, "installask: Live update / Flute 11");
    EXPECT_EQ(Boxes()[1].text, std::string("Can't install file ") + kPackagePath);
    EXPECT_TRUE(Logged("the installed vtup.cok is a link: its version is not read"));
    EXPECT_EQ(fake::FileData(kPin), kPinText);

    LinkThePackage(kind);
    EXPECT_EQ(RunProgram(std::string("modest /SUPPRESSMSGBOXES /LOG=") + kLogPath),
              velt::kExitInstallFailed);
    EXPECT_NE(FinalLine().find(" installed=- "), std::string::npos) << FinalLine();
    EXPECT_EQ(fake::FileData(kPin), kPinText);
  }
}

// Another process's opportunistic lock on the data file, whose break it never
// acknowledges, would keep an open by name waiting for ever while the guard is
// held. Every open of the data file completes at once instead, and the run
// ends within the retry budget. Wine has no such locks: only the fake shows it.
TEST_F(HeldFolderReadsTest, AnOpportunisticLockNeverMakesAnOpenWait) {
  const std::vector<uint32_t> budget(velt::kPackageAttempts, velt::kPackageRetryDelayMs);
  fake::FindEntry(kPackagePath)->oplocked = true;
  EXPECT_EQ(RunProgram(""), velt::kExitPackageLocked);
  EXPECT_EQ(fake::World().oplock_waits, 0);
  EXPECT_EQ(fake::World().sleeps, budget);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, std::string("filecantopen: ") + kPackagePath);

  // A silent run reads the version sharing the file, then cannot replace it.
  ArrangeVeltInstallation(42);
  fake::AddDirectory("C:\\Logs");
  fake::FindEntry(kPackagePath)->oplocked = true;
  EXPECT_NE(RunProgram(std::string("modest /SUPPRESSMSGBOXES /LOG=") + kLogPath), velt::kExitOk);
  EXPECT_EQ(fake::World().oplock_waits, 0);
  EXPECT_EQ(fake::World().sleeps, budget);
  EXPECT_NE(FinalLine().find(" installed=10 "), std::string::npos) << FinalLine();
  EXPECT_EQ(Package(), PackageWithVersionByte(42));
}

// A program of the user's may fill a user-writable installation with a tree
// deeper than any path within MAX_PATH, or one that takes long to walk, while
// the updater holds the single-copy guard: the size counts what the walk's
// bounds let it reach (128 levels, 10 s), and the log says so.
TEST_F(HeldFolderReadsTest, TheFolderWalkIsBoundedInDepthAndTime) {
  const uint64_t installed = BuiltPayload().size() + 2;  // vtup.cok, velt.exe
  std::string deep = std::string(kVeltFolder) + "d";
  for (int level = 1; level <= 130; ++level, deep += "\\d")
    fake::AddFile(deep + "\\f", std::string(1024, 'f'));
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
  const uint64_t all_but_the_deepest = ((installed + EnglishLanguageFile().size()) >> 10) + 128;
  EXPECT_TRUE(Logged("recorded EstimatedSize " + std::to_string(all_but_the_deepest) + " KiB"));
  EXPECT_TRUE(Logged("the size counts what was walked: folders more than 128 levels deep"));

  // Each listing takes a second: ten of twenty folders are listed.
  ArrangeVeltInstallation(42);
  fake::AddDirectory("C:\\Logs");
  for (int folder = 1; folder <= 20; ++folder)
    fake::AddFile(std::string(kVeltFolder) + "w" + std::to_string(folder) + "\\f",
                  std::string(1024, 'f'));
  fake::World().on_call = [](const std::string& operation) {
    fake::World().now_ms += operation == "ListFolder" ? 1000 : 0;
  };
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
  EXPECT_TRUE(Logged("recorded EstimatedSize " + std::to_string((installed >> 10) + 10) + " KiB"));
  EXPECT_TRUE(Logged("the size counts what was walked: the walk stopped after 10000 ms"));
}

// "TheLastRunFolder" of the user's may lead every run to a decoy installation
// (and its size into the uninstall entry): the run goes there, as it always
// has, and the log names the uninstall entry's folder. The entry's own folder,
// however either spells it (here through a link), is no other folder.
TEST_F(HeldFolderReadsTest, ALastRunFolderElsewhereIsLoggedBesideTheEntrysFolder) {
  const std::string decoy = "C:\\Users\\Anna\\Decoy\\";
  const char kOtherFolder[] = "TheLastRunFolder leads to another folder than the uninstall entry";
  for (bool elsewhere : {true, false}) {
    SCOPED_TRACE(elsewhere);
    ArrangeVeltInstallation(42);
    fake::AddDirectory("C:\\Logs");
    fake::AddFile(decoy + "velt.exe", "MZ");
    fake::AddFile(decoy + "language\\english.lng", EnglishLanguageFile());
    fake::AddLink("C:\\Velt", kVeltFolder, platform::kAttrDirectory | platform::kAttrReparsePoint);
    fake::SetRegString(kUninstallKey, "UninstallString", "C:\\Velt\\uninst.exe");
    fake::SetRegString(kSettingsKey, "TheLastRunFolder",
                       elsewhere ? decoy : "c:\\program files\\VELT");
    EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
    EXPECT_EQ(Logged(elsewhere ? std::string(kOtherFolder) +
                                     ", which names C:\\Velt\\: this run "
                                     "updates and measures " +
                                     decoy
                               : kOtherFolder),
              elsewhere);
  }
}

}  // namespace
}  // namespace velt_test

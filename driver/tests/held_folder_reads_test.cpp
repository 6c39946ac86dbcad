// Every look at the installed data file goes through the held folder's handle:
// a link at its name (or a hard link) is not followed by the version read, and
// no open of it waits for another process's opportunistic lock; the walk of
// the held folder is bounded, and the folder the uninstall entry names logged.
#include "driver/tests/deployment_fixture.h"
#include "startup/release_facts.h"

namespace velt_test {
namespace {

using platform::kIdYes;

// A file of the user's that a link at the data file's name leads to; its
// fifth byte, '7', read as a version byte, says 23: newer than the update.
const char kPin[] = "C:\\Users\\Anna\\pin.txt";
const char kPinText[] = "PIN=7391";

class HeldFolderReadsTest : public DeploymentTest {
 protected:
  // The data file's name made a link to kPin, as Windows reports a link (0)
  // or as Wine does, with the target's attributes (1), or another name of kPin.
  void LinkThePackage(int kind) {
    ArrangeVeltInstallation(42);
    fake::AddDirectory("C:\\Logs");
    fake::AddFile(kPin, kPinText);
    fake::World().entries.erase(fake::NormalizePath(kPackagePath));
    if (kind == 2)
      fake::AddHardLink(kPackagePath, kPin);
    else
      fake::AddLink(kPackagePath, kPin,
                    kind == 0 ? platform::kAttrReparsePoint | platform::kAttrArchive
                              : platform::kAttrArchive);
  }
};

TEST_F(HeldFolderReadsTest, ALinkAtTheDataFileIsNotReadForItsVersion) {
  for (int kind : {0, 1, 2}) {
    SCOPED_TRACE(kind);
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

// A tree deeper than any path within MAX_PATH, or one slow to walk, that a
// program of the user's made in the installation: the size counts what the
// walk's bounds (128 levels, 10 s) reach, and the log says so.
TEST_F(HeldFolderReadsTest, TheFolderWalkIsBoundedInDepthAndTime) {
  const uint64_t installed = BuiltPayload().size() + 2;  // vtup.cok, velt.exe
  std::string deep = std::string(kVeltFolder) + "d";
  for (int level = 1; level <= 130; ++level, deep += "\\d")
    fake::AddFile(deep + "\\f", std::string(1024, 'f'));
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
  const uint64_t deep_kib = ((installed + EnglishLanguageFile().size()) >> 10) + 128;
  EXPECT_TRUE(Logged("recorded EstimatedSize " + std::to_string(deep_kib) + " KiB"));
  EXPECT_TRUE(Logged("the size counts what was walked: folders more than 128 levels deep"));
  // Twenty folders at a second a listing: ten are listed.
  ArrangeVeltInstallation(42);
  fake::AddDirectory("C:\\Logs");
  for (int folder = 1; folder <= 20; ++folder)
    fake::AddFile(std::string(kVeltFolder) + std::to_string(folder) + "\\f",
                  std::string(1024, 'f'));
  fake::World().on_call = [](const std::string& call) {
    fake::World().now_ms += call == "ListFolder" ? 1000 : 0;
  };
  EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
  EXPECT_TRUE(Logged("recorded EstimatedSize " + std::to_string((installed >> 10) + 10) + " KiB"));
  EXPECT_TRUE(Logged("the size counts what was walked: the walk stopped after 10000 ms"));
}

// "TheLastRunFolder" may lead every run to a decoy: the run goes there, and
// the log names the uninstall entry's folder, unless the two are one folder
// (here the entry's named through a link).
TEST_F(HeldFolderReadsTest, ALastRunFolderElsewhereIsLoggedBesideTheEntrysFolder) {
  const std::string decoy = "C:\\Users\\Anna\\Decoy\\";
  for (bool elsewhere : {true, false}) {
    ArrangeVeltInstallation(42);
    fake::AddDirectory("C:\\Logs");
    fake::AddFile(decoy + "velt.exe", "MZ");
    fake::AddFile(decoy + "language\\english.lng", EnglishLanguageFile());
    fake::AddLink("C:\\Velt", kVeltFolder, platform::kAttrDirectory | platform::kAttrReparsePoint);
    fake::SetRegString(kUninstallKey, "UninstallString", "C:\\Velt\\uninst.exe");
    fake::SetRegString(kSettingsKey, "TheLastRunFolder",
                       elsewhere ? decoy : "c:\\program files\\VELT");
    EXPECT_EQ(RunProgram(std::string("modest /LOG=") + kLogPath), velt::kExitOk);
    EXPECT_EQ(Logged("TheLastRunFolder leads to another folder than the uninstall entry, which "
                     "names C:\\Velt\\: this run updates and measures " +
                     (elsewhere ? decoy : "")),
              elsewhere);
  }
}

}  // namespace
}  // namespace velt_test

// The installation folder is resolved once and held. A link in the path that
// the per-user "TheLastRunFolder" gives, re-pointed while a question waits,
// moves nothing; a folder put in the held one's place gets nothing written.
#include "driver/tests/update_fixture.h"

namespace velt_test {
namespace {

using platform::kIdNo;
using platform::kIdYes;

const char kLink[] = "C:\\Users\\Anna\\via";  // the user's own link
const char kOther[] = "C:\\Users\\Anna\\other\\Velt\\";
constexpr uint32_t kFolderLink = platform::kAttrDirectory | platform::kAttrReparsePoint;

// Bytes of every file below `folder`, in KiB.
uint32_t FolderKiB(const std::string& folder) {
  uint64_t total = 0;
  for (const std::string& file : fake::FilesBelow(folder))
    total += fake::FileData(folder + file).size();
  return static_cast<uint32_t>(total / 1024);
}

uint32_t Dword(const fake::FakeValue& value) {
  uint32_t number = 0;
  for (int i = 3; i >= 0; --i)
    number = (number << 8) | static_cast<unsigned char>(value.data[i]);
  return number;
}

class HeldFolderTest : public UpdateTest {
 protected:
  void SetUp() override {
    UpdateTest::SetUp();
    // Another installation of the user's making: a newer data file, a big file.
    fake::AddFile(std::string(kOther) + "velt.exe", "MZ");
    fake::AddFile(std::string(kOther) + "language\\english.lng", EnglishLanguageFile());
    fake::AddFile(std::string(kOther) + "vtup.cok", PackageWithVersionByte(44));
    fake::AddFile(std::string(kOther) + "big.dat", std::string(3 << 20, 'b'));
  }

  void ExpectASwappedFolderGetsNothing();
};

TEST_F(HeldFolderTest, ALinkInThePathRepointedWhileAskingChangesNothing) {
  fake::AddLink(kLink, "C:\\Program Files", kFolderLink);
  fake::SetRegString(kSettingsKey, "TheLastRunFolder", std::string(kLink) + "\\Velt");
  fake::World().on_box = [](const fake::MessageBoxRecord&) {
    fake::FindEntry(kLink)->link_target = fake::NormalizePath("C:\\Users\\Anna\\other");
  };
  Answer({kIdYes, kIdYes});
  EXPECT_EQ(Run(), velt::kExitOk);
  EXPECT_EQ(velt::ProductFolder, kVeltFolder);
  ASSERT_EQ(Boxes().size(), 2u) << "no older-version question, no failure";
  EXPECT_TRUE(Package() == BuiltPayload());
  EXPECT_EQ(fake::FileData(std::string(kOther) + "vtup.cok"), PackageWithVersionByte(44));
  EXPECT_EQ(fake::FilesBelow(kOther).size(), 4u);
  ASSERT_NE(EstimatedSize(), nullptr);
  EXPECT_EQ(Dword(*EstimatedSize()), FolderKiB(kVeltFolder));
  ASSERT_EQ(fake::World().launches.size(), 1u);
  EXPECT_EQ(fake::World().launches[0].file, std::string(kVeltFolder) + "Velt.exe");
  EXPECT_EQ(fake::World().launches[0].current_directory, fake::NormalizePath(kVeltFolder));
}

// Windows refuses to move a folder held open without delete sharing; a Unix
// program under Wine is not asked. A folder put in its place is not the one
// held: nothing is written there, measured or started from it; also where no
// final path tells them apart, by their identities.
TEST_F(HeldFolderTest, AnotherFolderPutInTheHeldOnesPlaceGetsNothing) {
  ExpectASwappedFolderGetsNothing();
}

TEST_F(HeldFolderTest, AnotherFolderPutInTheHeldOnesPlaceGetsNothingWithoutFinalPaths) {
  fake::World().no_final_path_below = {"c:"};
  ExpectASwappedFolderGetsNothing();
}

void HeldFolderTest::ExpectASwappedFolderGetsNothing() {
  const std::string velt = fake::NormalizePath(kVeltFolder);
  const std::string other = fake::NormalizePath(kOther);
  bool swapped_once = false;
  fake::World().on_box = [&](const fake::MessageBoxRecord&) {
    if (std::exchange(swapped_once, true))
      return;
    auto& entries = fake::World().entries;
    std::map<std::string, fake::FakeEntry> swapped;
    for (auto it = entries.begin(); it != entries.end();) {
      const bool below_velt = it->first.rfind(velt, 0) == 0;
      const bool below_other = it->first.rfind(other, 0) == 0;
      if (!below_velt && !below_other) {
        ++it;
        continue;
      }
      const std::string& from = below_velt ? velt : other;
      const std::string& to = below_velt ? other : velt;
      swapped[to + it->first.substr(from.size())] = it->second;
      it = entries.erase(it);
    }
    entries.insert(swapped.begin(), swapped.end());
  };
  Answer({kIdYes});
  EXPECT_EQ(Run(), velt::kExitInstallFailed);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[1].text, std::string("Can't install file ") + kVeltFolder + "vtup.cok");
  EXPECT_EQ(fake::FileData(std::string(kVeltFolder) + "vtup.cok"), PackageWithVersionByte(44));
  EXPECT_EQ(fake::FilesBelow(kVeltFolder).size(), 4u);
  EXPECT_EQ(EstimatedSize(), nullptr);
  EXPECT_TRUE(fake::World().launches.empty());
}

// Names compare without regard to letter case, as Windows does: the folder as
// the settings give it, the data file and the language folder as listed. The
// installed file's version is read too: a newer one asks first.
TEST_F(HeldFolderTest, NamesInAnotherLetterCaseReachTheSameFiles) {
  fake::SetRegString(kSettingsKey, "TheLastRunFolder", "c:\\PROGRAM FILES\\velt");
  fake::World().entries.erase(fake::NormalizePath(std::string(kVeltFolder) + "vtup.cok"));
  fake::AddFile(std::string(kVeltFolder) + "VTUP.COK", PackageWithVersionByte(44));
  fake::FindEntry(std::string(kVeltFolder) + "language")->name = "Language";
  Answer({kIdYes, kIdYes, kIdNo});
  EXPECT_EQ(Run(), velt::kExitOk);
  EXPECT_EQ(velt::ProductFolder, kVeltFolder);
  EXPECT_TRUE(Package() == BuiltPayload());
  ASSERT_FALSE(Boxes().empty());
  EXPECT_EQ(Boxes()[0].text, "olderfilever: vtup.cok");
}

// Where Windows cannot give a final path (a volume no drive letter reaches, a
// network path it cannot resolve, a system before Windows Vista), the folder
// found is still the installation: its path stays its name, the held handle's
// identity the truth; also when that name is a link to the folder.
TEST_F(HeldFolderTest, AFolderWithoutAFinalPathIsStillTheOneFound) {
  for (bool letterless : {true, false}) {
    for (const char* found : {kVeltFolder, "C:\\Users\\Anna\\Velt link\\"}) {
      SCOPED_TRACE(std::string(letterless ? "no drive letter, " : "before Vista, ") + found);
      SetUp();
      fake::World().no_final_path_below = {fake::NormalizePath("C:\\Program Files")};
      fake::World().final_path_supported = letterless;
      fake::AddLink("C:\\Users\\Anna\\Velt link", kVeltFolder, kFolderLink);
      fake::SetRegString(kSettingsKey, "TheLastRunFolder", found);
      EXPECT_EQ(Run("modest runapp"), velt::kExitOk);
      EXPECT_EQ(velt::ProductFolder, found);
      EXPECT_TRUE(Boxes().empty()) << Boxes()[0].text;
      EXPECT_TRUE(Package() == BuiltPayload());
      ASSERT_NE(EstimatedSize(), nullptr);
      EXPECT_EQ(Dword(*EstimatedSize()), FolderKiB(kVeltFolder));
      ASSERT_EQ(fake::World().launches.size(), 1u);
      EXPECT_EQ(fake::World().launches[0].file, std::string(found) + "Velt.exe");
    }
  }
}

TEST_F(HeldFolderTest, ADriveRootStaysAValidFolder) {
  fake::AddFile("D:\\velt.exe", "MZ");
  fake::AddFile("D:\\language\\english.lng", EnglishLanguageFile());
  fake::SetRegString(kSettingsKey, "TheLastRunFolder", "D:\\");
  EXPECT_EQ(Run("modest runapp"), velt::kExitOk);
  EXPECT_EQ(velt::ProductFolder, "D:\\");
  EXPECT_TRUE(fake::FileData("D:\\vtup.cok") == BuiltPayload());
  ASSERT_EQ(fake::World().launches.size(), 1u);
  EXPECT_EQ(fake::World().launches[0].file, "D:\\Velt.exe");
}

}  // namespace
}  // namespace velt_test

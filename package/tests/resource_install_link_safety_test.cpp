// InstallResourceFile against links planted by an unelevated user: at the data
// file's name, at the new file's name, or in place of the folder. Nothing
// outside the folder may be written, replaced or deleted, and the installation
// fails with the usual box.
#include <algorithm>
#include <string>
#include <vector>

#include "package/resource_install.h"
#include "package_test_support.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "startup/startup_settings.h"
#include "sysinfo/os_description.h"

namespace velt_test {
namespace {

const char kFolder[] = "C:\\Users\\Anna\\Velt";
const char kDestination[] = "C:\\Users\\Anna\\Velt\\vtup.cok";
const char kVictim[] = "C:\\Windows\\system32\\victim.dll";
const char kVictimData[] = "a system file";
// How Windows reports a link to a file, and how Wine does (as the target).
constexpr uint32_t kWindowsFileLink = platform::kAttrArchive | platform::kAttrReparsePoint;
constexpr uint32_t kWineFileLink = platform::kAttrArchive;
constexpr uint32_t kFolderLink = platform::kAttrDirectory | platform::kAttrReparsePoint;

class LinkSafetyTest : public PackageTest {
 protected:
  void SetUp() override {
    PackageTest::SetUp();
    fake::AddDirectory(kFolder);
    fake::AddFile(kVictim, kVictimData);
    fake::World().resources[{"VTUP", "COK"}] = MakePayload({100, 200}, 43);
  }

  void ExpectRefusedAndVictimWhole(const std::string& destination = kDestination) {
    EXPECT_FALSE(InstallResourceAt("vtup", "cok", destination));
    ASSERT_EQ(fake::World().boxes.size(), 1u);
    EXPECT_EQ(fake::World().boxes[0].text, "Can't install file " + destination);
    EXPECT_EQ(fake::FileData(kVictim), kVictimData);
    EXPECT_EQ(fake::FilesBelow("C:\\Windows\\system32").size(), 1u)
        << "something was created next to the victim";
  }
};

TEST_F(LinkSafetyTest, ALinkAtTheDataFilesNameIsRefused) {
  for (uint32_t attributes : {kWindowsFileLink, kWineFileLink}) {
    SCOPED_TRACE(attributes);
    fake::World().boxes.clear();
    fake::AddLink(kDestination, kVictim, attributes);
    ExpectRefusedAndVictimWhole();
    EXPECT_FALSE(fake::FindEntry(kDestination)->link_target.empty()) << "the link was replaced";
    EXPECT_EQ(fake::FilesBelow(kFolder).size(), 1u) << "a new file was left behind";
  }
}

// Only "not found" means no link: a name whose attributes cannot be read
// otherwise may be one.
TEST_F(LinkSafetyTest, ANameWhoseAttributesCannotBeReadIsRefused) {
  for (uint32_t error : {platform::kErrorAccessDenied, platform::kErrorSharingViolation}) {
    SCOPED_TRACE(error);
    fake::World().boxes.clear();
    fake::AddLink(kDestination, kVictim, kWindowsFileLink);
    fake::FindEntry(kDestination)->attributes_error = error;
    ExpectRefusedAndVictimWhole();
    EXPECT_FALSE(fake::FindEntry(kDestination)->link_target.empty()) << "the link was replaced";
    EXPECT_EQ(fake::FilesBelow(kFolder).size(), 1u) << "a new file was left behind";
  }
}

// Each attempt of a waited-out replacement checks the name again: a link put
// there after the first one is refused.
TEST_F(LinkSafetyTest, ALinkPlantedWhileTheReplacementWaitsIsRefused) {
  for (uint32_t attributes : {kWindowsFileLink, kWineFileLink}) {
    SCOPED_TRACE(attributes);
    fake::World().boxes.clear();
    fake::World().sleeps.clear();
    fake::World().entries.erase(fake::NormalizePath(kDestination));
    fake::AddFile(kDestination, "old");
    fake::FindEntry(kDestination)->held_until_ms = fake::World().now_ms + 1000;
    fake::World().on_call = [attributes](const std::string&) {
      if (fake::World().sleeps.size() == 1 && fake::FindEntry(kDestination)->link_target.empty()) {
        fake::World().entries.erase(fake::NormalizePath(kDestination));
        fake::AddLink(kDestination, kVictim, attributes);
      }
    };
    ExpectRefusedAndVictimWhole();
    EXPECT_FALSE(fake::FindEntry(kDestination)->link_target.empty()) << "the link was replaced";
    EXPECT_EQ(fake::FilesBelow(kFolder).size(), 1u) << "a new file was left behind";
    EXPECT_EQ(fake::World().sleeps.size(), 1u) << "refused at the attempt after the link came";
  }
}

// A link in the folder's path re-pointed between the folder's opening and the
// new file's creation: the file made elsewhere gets no byte and is removed.
TEST_F(LinkSafetyTest, ANewFileMadeOutsideTheOpenedFolderIsRefusedUnwritten) {
  static const char kVia[] = "C:\\Users\\Anna\\via";
  fake::AddLink(kVia, "C:\\Users\\Anna", kFolderLink);
  fake::AddDirectory("C:\\Windows\\system32\\Velt");
  fake::World().on_call = [](const std::string& operation) {
    if (operation == "CreateFile")
      fake::FindEntry(kVia)->link_target = fake::NormalizePath("C:\\Windows\\system32");
  };
  ExpectRefusedAndVictimWhole(std::string(kVia) + "\\Velt\\vtup.cok");
  EXPECT_TRUE(fake::FilesBelow(kFolder).empty());
  for (const fake::FaultCall& call : fake::World().faults.calls)
    EXPECT_NE(call.operation, "WriteFile");
}

TEST_F(LinkSafetyTest, ALinkAtTheNewFilesNameIsNeverOpened) {
  // The name comes from the generator seeded at start-up: plant a link there.
  velt::StartStartupSettings();
  std::string name = "vtup.cok.velt-update.";
  for (int i = 0; i < 8; ++i)
    name += static_cast<char>('a' + velt::Random(26));
  velt::EndStartupSettings();
  velt::StartStartupSettings();
  fake::AddLink(std::string(kFolder) + "\\" + name + ".tmp", kVictim, kWineFileLink);
  ExpectRefusedAndVictimWhole();
  EXPECT_FALSE(fake::Exists(kDestination));
  velt::EndStartupSettings();
}

TEST_F(LinkSafetyTest, AFolderThatIsALinkIsRefused) {
  fake::World().entries.erase(fake::NormalizePath(kFolder));
  fake::AddLink(kFolder, "C:\\Windows\\system32", kFolderLink);
  ExpectRefusedAndVictimWhole();
}

// An earlier run ended before its clean-up leaves
// "vtup.cok.velt-update.<8 letters>.tmp" (before the mark, without it): once
// the new file is in place, such plain files of Administrators or SYSTEM go
// through the folder's handle; links (in either view), folders, held files,
// other names and owners stay, and all where the folder's final path is
// unknown, as none can be shown to lie in it.
TEST_F(LinkSafetyTest, EarlierTemporaryFilesGoButNeverThroughALink) {
  const std::string folder = std::string(kFolder) + "\\";
  for (const char* name :
       {"vtup.cok.abcdefgh.tmp", "VTUP.COK.qwertyui.TMP", "vtup.cok.velt-update.zxcvbnma.tmp",
        "vtup.cok.velt-update.systemis.tmp"})
    fake::AddFile(folder + name, "left by a killed run");
  fake::FindEntry(folder + "vtup.cok.velt-update.systemis.tmp")->owner = "S-1-5-18";
  const std::vector<std::string> staying = {
      "vtup.cok.abcdefg.tmp",  "vtup.cok.abcdefghi.tmp",
      "vtup.cok.abcd3fgh.tmp", "update.log.abcdefgh.tmp",
      "vtup.cok.wineline.tmp", "vtup.cok.windlink.tmp",
      "vtup.cok.heldfile.tmp", "vtup.cok.folderxy.tmp\\inside.txt",
      "vtup.cok.usersown.tmp"};
  for (const std::string& name : staying)
    fake::AddFile(folder + name, "not ours to remove");
  fake::World().entries.erase(fake::NormalizePath(folder + "vtup.cok.wineline.tmp"));
  fake::AddLink(folder + "vtup.cok.wineline.tmp", kVictim, kWineFileLink);
  fake::World().entries.erase(fake::NormalizePath(folder + "vtup.cok.windlink.tmp"));
  fake::AddLink(folder + "vtup.cok.windlink.tmp", kVictim, kWindowsFileLink);
  fake::FindEntry(folder + "vtup.cok.heldfile.tmp")->held_until_ms = 1 << 30;
  fake::FindEntry(folder + "vtup.cok.usersown.tmp")->owner = fake::kUserSid;

  EXPECT_TRUE(InstallResourceAt("vtup", "cok", kDestination));
  EXPECT_EQ(fake::FileData(kVictim), kVictimData);
  std::vector<std::string> expected = {"vtup.cok"};
  for (const std::string& name : staying)
    expected.push_back(
        fake::NormalizePath(folder + name).substr(fake::NormalizePath(folder).size() + 1));
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> left = fake::FilesBelow(kFolder);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, expected);
  EXPECT_TRUE(fake::FindEntry(folder + "vtup.cok.folderxy.tmp")->directory);

  fake::World().no_final_path_below = {fake::NormalizePath(kFolder)};
  fake::AddFile(folder + "vtup.cok.velt-update.zxcvbnma.tmp", "left by a killed run");
  EXPECT_TRUE(InstallResourceAt("vtup", "cok", kDestination));
  EXPECT_TRUE(fake::Exists(folder + "vtup.cok.velt-update.zxcvbnma.tmp"));
}

TEST_F(LinkSafetyTest, NothingIsDeletedByName) {
  fake::AddFile(kDestination, "old");
  fake::FindEntry(kDestination)->held_until_ms = 1 << 30;  // held beyond the budget
  EXPECT_FALSE(InstallResourceAt("vtup", "cok", kDestination));
  EXPECT_EQ(fake::FileData(kDestination), "old");
  EXPECT_EQ(fake::FilesBelow(kFolder).size(), 1u) << "the new file was left behind";
  for (const fake::FaultCall& call : fake::World().faults.calls)
    EXPECT_NE(call.operation, "DeleteFile");
}

}  // namespace
}  // namespace velt_test

// InstallResourceFile on the fake platform: the written bytes, the retry budget
// for a destination held open, and every failure leaving the old file whole.
#include <algorithm>
#include <string>

#include "package/resource_install.h"
#include "package_test_support.h"
#include "platform/access.h"
#include "platform/files.h"
#include "startup/release_facts.h"

namespace velt_test {
namespace {

const char kFolder[] = "C:\\Program Files\\Velt\\";
const char kDestination[] = "C:\\Program Files\\Velt\\vtup.cok";
const char kOldData[] = "vtup*old package";

class InstallTest : public PackageTest {
 protected:
  void SetUp() override {
    PackageTest::SetUp();
    fake::AddDirectory(kFolder);
    payload_ = MakePayload({300, 7, 1500}, 43);
    fake::World().resources[{"VTUP", "COK"}] = payload_;
  }

  bool Install() { return InstallResourceAt("vtup", "cok", kDestination).written; }

  // Names in the folder other than the destination's: files left behind.
  static std::vector<std::string> LeftBehind() {
    std::vector<std::string> names = fake::FilesBelow(kFolder);
    names.erase(std::remove(names.begin(), names.end(), "vtup.cok"), names.end());
    return names;
  }

  // The failure contract: one English box naming the destination (none when
  // the old file stayed held: the caller tells the user), the old file
  // unchanged and no temporary file left.
  void ExpectFailureLeftOldFile(bool box = true) {
    ASSERT_EQ(fake::World().boxes.size(), box ? 1u : 0u);
    if (box) {
      EXPECT_EQ(fake::World().boxes[0].text, std::string("Can't install file ") + kDestination);
      EXPECT_EQ(fake::World().boxes[0].caption, "Velt update");
    }
    EXPECT_EQ(fake::FileData(kDestination), kOldData);
    EXPECT_TRUE(LeftBehind().empty()) << LeftBehind().front();
  }

  std::string payload_;
};

TEST_F(InstallTest, WritesResourceBytesToNewAndExistingDestinations) {
  EXPECT_TRUE(Install());
  EXPECT_EQ(fake::FileData(kDestination), payload_);

  fake::AddFile(kDestination, "\x01\x02 newer, arbitrary header");
  EXPECT_TRUE(Install());
  EXPECT_EQ(fake::FileData(kDestination), payload_);
  EXPECT_TRUE(fake::World().boxes.empty());
  EXPECT_TRUE(fake::World().sleeps.empty());
  EXPECT_TRUE(LeftBehind().empty());
}

// A drive root's final path keeps its backslash ("C:\\"), unlike a folder's.
TEST_F(InstallTest, AFolderAtADriveRootTakesTheFile) {
  for (const char* destination : {"C:\\vtup.cok", "X:\\vtup.cok"}) {
    SCOPED_TRACE(destination);
    fake::AddFile(destination, kOldData);
    EXPECT_TRUE(InstallResourceAt("vtup", "cok", destination));
    EXPECT_EQ(fake::FileData(destination), payload_);
  }
  EXPECT_TRUE(fake::World().boxes.empty());
}

TEST_F(InstallTest, PayloadWithArbitraryHeaderIsCopiedUnchanged) {
  std::string odd(70000, '\0');
  for (size_t i = 0; i < odd.size(); ++i)
    odd[i] = static_cast<char>(i * 31 + 7);
  fake::World().resources[{"VTUP", "COK"}] = odd;
  EXPECT_TRUE(Install());
  EXPECT_EQ(fake::FileData(kDestination), odd);
}

TEST_F(InstallTest, LargePayloadIsWrittenWhole) {
  std::string big(5 * 1024 * 1024 + 123, 'x');
  big[0] = 'v';
  big[big.size() - 1] = 'z';
  fake::World().resources[{"VTUP", "COK"}] = big;
  EXPECT_TRUE(Install());
  EXPECT_EQ(fake::FileData(kDestination), big);
}

TEST_F(InstallTest, MissingResourceWritesNothing) {
  fake::World().resources.clear();
  fake::AddFile(kDestination, kOldData);
  EXPECT_FALSE(Install());
  ExpectFailureLeftOldFile();
}

TEST_F(InstallTest, MissingResourceCreatesNoDestination) {
  fake::World().resources.clear();
  EXPECT_FALSE(Install());
  EXPECT_FALSE(fake::Exists(kDestination));
  EXPECT_EQ(fake::World().boxes.size(), 1u);
}

TEST_F(InstallTest, WaitsForDestinationReleasedWithinBudget) {
  fake::AddFile(kDestination, kOldData);
  fake::FindEntry(kDestination)->held_until_ms = 2000;
  EXPECT_TRUE(Install());
  EXPECT_EQ(fake::FileData(kDestination), payload_);
  EXPECT_TRUE(fake::World().boxes.empty());
  // 2000 ms need 8 pauses of 256 ms.
  EXPECT_EQ(fake::World().sleeps, std::vector<uint32_t>(8, velt::kPackageRetryDelayMs));
}

TEST_F(InstallTest, ReleaseOnLastAttemptStillSucceeds) {
  fake::AddFile(kDestination, kOldData);
  fake::FindEntry(kDestination)->held_until_ms = 16 * 256;
  EXPECT_TRUE(Install());
  EXPECT_EQ(fake::World().sleeps.size(), 16u);
}

// Held by another process, or being deleted by one, beyond the budget: the
// outcome says so and the caller shows its own box.
TEST_F(InstallTest, DestinationHeldBeyondBudgetFails) {
  for (bool delete_pending : {false, true}) {
    SCOPED_TRACE(delete_pending ? "being deleted" : "held");
    fake::World().sleeps.clear();
    fake::AddFile(kDestination, kOldData);
    fake::FindEntry(kDestination)->held_until_ms = delete_pending ? -1 : 16 * 256 + 1;
    fake::FindEntry(kDestination)->delete_pending = delete_pending;
    const velt::InstallOutcome outcome = InstallResourceAt("vtup", "cok", kDestination);
    EXPECT_FALSE(outcome.written);
    EXPECT_TRUE(outcome.held);
    ExpectFailureLeftOldFile(false);
    // The same wait as the installed-version test: a pause after every failed attempt.
    EXPECT_EQ(fake::World().sleeps,
              std::vector<uint32_t>(velt::kPackageAttempts, velt::kPackageRetryDelayMs));
  }
}

// A replacement refused while nobody holds the destination cannot succeed by
// waiting: a read-only file, or one this process may not delete, is reported
// at once.
TEST_F(InstallTest, RefusedReplacementOfAFreeDestinationFailsWithoutWaiting) {
  for (bool read_only : {true, false}) {
    SCOPED_TRACE(read_only ? "read-only" : "deletion denied");
    fake::World().boxes.clear();
    fake::AddFile(kDestination, kOldData, read_only ? platform::kAttrReadOnly : 0);
    fake::FindEntry(kDestination)->denied_to_process = read_only ? 0 : platform::kDelete;
    const velt::InstallOutcome outcome = InstallResourceAt("vtup", "cok", kDestination);
    EXPECT_FALSE(outcome.written || outcome.held);
    ExpectFailureLeftOldFile();
    EXPECT_TRUE(fake::World().sleeps.empty());
  }
}

// A process that opens the old file just when it is replaced (an indexer, a
// virus scanner, another updater's probe) refuses the rename with access
// denied although the file looks free before and after: waited out within
// the budget, and given up only when the budget is spent.
TEST_F(InstallTest, ReplacementRefusedWhileTheFileLooksFreeIsRetriedWithinBudget) {
  fake::AddFile(kDestination, kOldData);
  fake::FindEntry(kDestination)->renames_refused = 3;
  EXPECT_TRUE(Install());
  EXPECT_EQ(fake::FileData(kDestination), payload_);
  EXPECT_TRUE(fake::World().boxes.empty());
  EXPECT_EQ(fake::World().sleeps, std::vector<uint32_t>(3, velt::kPackageRetryDelayMs));

  fake::AddFile(kDestination, kOldData);
  fake::FindEntry(kDestination)->renames_refused = velt::kPackageAttempts;
  fake::World().sleeps.clear();
  EXPECT_FALSE(Install());
  ExpectFailureLeftOldFile();
  EXPECT_EQ(fake::World().sleeps.size(), static_cast<size_t>(velt::kPackageAttempts));

  // Sharing violations to the end: the file is held (the caller's box).
  fake::World().boxes.clear();
  fake::AddFile(kDestination, kOldData);
  fake::FindEntry(kDestination)->renames_refused = velt::kPackageAttempts;
  fake::FindEntry(kDestination)->rename_refusal = platform::kErrorSharingViolation;
  EXPECT_TRUE(InstallResourceAt("vtup", "cok", kDestination).held);
  ExpectFailureLeftOldFile(false);
}

TEST_F(InstallTest, ShortWriteOnFullDiskFails) {
  fake::AddFile(kDestination, kOldData);
  fake::World().disk_free_bytes = static_cast<int64_t>(payload_.size()) - 1;
  EXPECT_FALSE(Install());
  ExpectFailureLeftOldFile();
}

TEST_F(InstallTest, FailingStepsLeaveOldFile) {
  for (const char* step : {"WriteFile", "FlushFileBuffers", "RenameFileByHandle", "CreateFile"}) {
    SCOPED_TRACE(step);
    fake::World().boxes.clear();
    fake::AddFile(kDestination, kOldData);
    fake::World().failing = {step};
    EXPECT_FALSE(Install());
    fake::World().failing.clear();
    ExpectFailureLeftOldFile();
  }
}

// A close that fails once the new file is flushed and renamed into place
// changes nothing: the file is installed, and no box says otherwise.
TEST_F(InstallTest, AFailingCloseOfTheNewFileAfterTheRenameStillInstalls) {
  fake::AddFile(kDestination, kOldData);
  fake::World().failing = {"CloseHandle"};
  EXPECT_TRUE(Install());
  fake::World().failing.clear();
  EXPECT_EQ(fake::FileData(kDestination), payload_);
  EXPECT_TRUE(fake::World().boxes.empty()) << fake::World().boxes[0].text;
  EXPECT_TRUE(LeftBehind().empty()) << LeftBehind().front();
}

TEST_F(InstallTest, RussianBoxOnCyrillicLocale) {
  velt::CyrillicLocale = true;
  fake::World().resources.clear();
  EXPECT_FALSE(Install());
  ASSERT_EQ(fake::World().boxes.size(), 1u);
  EXPECT_EQ(fake::World().boxes[0].text, std::string(kCantInstallRussian) + kDestination);
  EXPECT_TRUE(fake::World().boxes[0].extended);
}

TEST_F(InstallTest, MissingFolderFails) {
  EXPECT_FALSE(InstallResourceAt("vtup", "cok", "C:\\Nowhere\\vtup.cok"));
  EXPECT_FALSE(fake::Exists("C:\\Nowhere\\vtup.cok"));
  EXPECT_EQ(fake::World().boxes.size(), 1u);
}

}  // namespace
}  // namespace velt_test

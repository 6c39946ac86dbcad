// The package on a nearly full disk: the installation lives on a small drive
// whose free space a filler file cuts to less than the carried package needs.
// Under Wine, a write that runs out of space part-way reports success with a
// short byte count (only the next write fails), so when the space ends within
// the last write only a checked count notices. Either way the update must end
// with "Can't install file", the failure's exit code, the old package whole, no
// temporary file left behind and the folder's size still recorded.
//
// The drive is prepared by scripts/e2e-full-disk.sh, which names it in
// VELT_FULL_DISK_DRIVE (e.g. "Q:"); without it the tests are skipped.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "deployment/exit_codes.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"

namespace velt::e2e {
namespace {

class FullDiskEnvironment : public UpdateE2eTest {
 protected:
  void SetUp() override {
    const char* drive = std::getenv("VELT_FULL_DISK_DRIVE");
    if (drive == nullptr || *drive == '\0')
      GTEST_SKIP() << "VELT_FULL_DISK_DRIVE is not set: run scripts/e2e-full-disk.sh";
    drive_ = std::string(drive);
    if (drive_.back() != '\\')
      drive_ += '\\';
    UpdateE2eTest::SetUp();
    if (HasFatalFailure())
      return;
    ASSERT_EQ(AsciiLower(folder().substr(0, drive_.size())), AsciiLower(drive_));
    before_ = ReadPackage();
    ASSERT_FALSE(before_.empty());
  }

  std::string MakeRoot() override {
    static int counter = 0;
    const std::string root = drive_ + "velt e2e " + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(++counter) + "\\";
    return CreateDirectoryA(root.c_str(), nullptr) ? root : std::string();
  }

  uint64_t FreeBytes(uint64_t* total = nullptr) const {
    ULARGE_INTEGER free_bytes = {}, total_bytes = {};
    EXPECT_TRUE(GetDiskFreeSpaceExA(drive_.c_str(), &free_bytes, &total_bytes, nullptr));
    if (total != nullptr)
      *total = total_bytes.QuadPart;
    return free_bytes.QuadPart;
  }

  // Writes a filler file into root() (outside the installation folder) until
  // exactly `wanted` bytes (a multiple of the drive's 4 KiB pages) stay free.
  // Only on the small drive made for the test: a drive that Wine does not show
  // as that drive (its mount not seen) would have the machine's disk filled.
  void FillDriveLeaving(uint64_t wanted) {
    uint64_t total = 0;
    const uint64_t free_bytes = FreeBytes(&total);
    ASSERT_LE(total, uint64_t{256} << 20) << "drive " << drive_ << " holds " << total
                                          << " bytes: not the small drive made for the test";
    ASSERT_GE(free_bytes, wanted) << "drive " << drive_ << " is too small";
    uint64_t left = free_bytes - wanted;
    HANDLE file = CreateFileA((root() + "filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const std::string zeros(1 << 20, '\0');
    while (left > 0) {
      const DWORD chunk = left < zeros.size() ? static_cast<DWORD>(left) : zeros.size();
      DWORD written = 0;
      if (!WriteFile(file, zeros.data(), chunk, &written, nullptr) || written != chunk)
        break;
      left -= chunk;
    }
    CloseHandle(file);
    ASSERT_EQ(FreeBytes(), wanted);
  }

  // What every failed installation on the full drive leaves: the old package
  // byte for byte, no temporary file, and the folder's size still recorded.
  void ExpectOldInstallationKept() {
    const std::string after = ReadPackage();
    EXPECT_TRUE(after == before_) << "the package now holds " << after.size() << " bytes";
    EXPECT_FALSE(NewFileLeft());
    DWORD kib = 0;
    ASSERT_TRUE(ReadEstimatedSize(&kib));
    EXPECT_EQ(kib, FolderBytes(folder()) / 1024);
  }

  std::string CantInstallText() const { return "Can't install file " + PackagePath(); }

  std::string drive_;
  std::string before_;
};

// The space ends a few KiB before the end of the package, that is within the
// last write, which Wine reports as a success; no later write fails.
TEST_F(FullDiskEnvironment, SilentUpdateNoticesTheShortLastWrite) {
  const uint64_t package_size = CarriedPackage().size();
  FillDriveLeaving((package_size - 8192) / 4096 * 4096);
  UpdateRun run = RunUpdate({"modest"}, {IDOK});
  EXPECT_EQ(run.exit_code, kExitInstallFailed);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252), CantInstallText());
  EXPECT_FALSE(run.velt_launched);
  ExpectOldInstallationKept();
}

// Two MiB free: a write part-way through the package fails outright.
TEST_F(FullDiskEnvironment, InteractiveUpdateShowsNoCompletionAfterTheFailure) {
  FillDriveLeaving(2u << 20);
  UpdateRun run = RunUpdate({}, {IDYES, IDOK});
  EXPECT_EQ(run.exit_code, kExitInstallFailed);
  // The question, then the failure; no completion box follows.
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(run.boxes[0].pressed, IDYES);
  EXPECT_EQ(ToCodePage(run.boxes[1].text, 1252), CantInstallText());
  EXPECT_FALSE(run.velt_launched);
  ExpectOldInstallationKept();
}

}  // namespace
}  // namespace velt::e2e

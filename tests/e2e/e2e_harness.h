// The end-to-end fixture: a sample installation of Velt in a fresh temporary
// folder, the registry entries that point the updater at it, and a runner that
// starts the real velt-update.exe, answers its message boxes from a script and
// reports what happened.
//
//   TEST_F(UpdateE2eTest, Example) {
//     WritePackage(PackageWithVersionByte(42));
//     UpdateRun run = RunUpdate({}, {IDYES, IDNO});
//     EXPECT_EQ(run.exit_code, 0);
//     ASSERT_EQ(run.boxes.size(), 2u);          // SeenBox: caption, text, buttons...
//     EXPECT_EQ(ReadPackage(), CarriedPackage());
//     EXPECT_FALSE(run.velt_launched);
//   }
//
// The default installation: folder "<temp>\velt e2e <id>\Velt\" holding
// velt.exe (the stand-in), vtup.cok with version byte 42, language\english.lng
// and language\russian.lng (the test texts in tests/e2e/data/language), and
// the HKLM uninstall entry with UninstallString = folder + "uninst.exe", and a
// desktop shell with the user's ordinary rights (desktop_shell.h; the updater
// starts on the fixture's desktop). The
// fixture deletes the uninstall entries (both paths) and HKCU
// "Software\Kolm\Velt" before and after each test, and the temporary folder
// afterwards. Tests share the machine-wide registry and the "velt_memfile"
// name, so they must not run in parallel with each other.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/stand_in_process.h"
#include "tools/win/common/message_box_answerer.h"

namespace velt::e2e {

// What one run of velt-update.exe did.
struct UpdateRun {
  int exit_code = -1;
  bool timed_out = false;             // the run was ended after the timeout
  std::vector<SeenBox> boxes;         // in the order they were shown
  bool velt_launched = false;         // the updater started velt.exe
  std::string velt_launch_cwd;        // current directory of that velt.exe
  std::string velt_launch_record;     // the stand-in's whole record of the launch
  bool velt_launch_elevated = false;  // that velt.exe ran with an elevated token
  // The updater's TokenElevationType (1 default, 2 full, 3 limited; 0 unknown)
  // and its linked half's.
  int updater_elevation = 0;
  int updater_linked_elevation = 0;
  // Proof that the updater itself ran: it was a 32-bit process on 64-bit
  // Windows, and it showed a box, ended with one of its own failure codes,
  // replaced the package file or created its per-user settings key. RunUpdate fails the test
  // otherwise, so a loader that gives up silently can never pass for "nothing was written".
  bool ran_as_32_bit = false;
  bool reached_program = false;
};

class UpdateE2eTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs velt-update.exe with `args` (each quoted), pressing `answers` (IDYES,
  // IDNO, IDOK) in the order the boxes appear. The current directory of the run
  // is the temporary root (not the installation folder). On timeout, or when
  // the run shows no proof of having reached the program (see UpdateRun), the
  // test fails.
  UpdateRun RunUpdate(const std::vector<std::string>& args,
                      const std::vector<int>& answers,
                      DWORD timeout_ms = 30000);

  // The installation folder, with a trailing backslash.
  const std::string& folder() const { return folder_; }
  // The temporary root that holds the installation folder.
  const std::string& root() const { return root_; }
  std::string PackagePath() const { return folder_ + package_name_; }
  // Whether a file the updater writes before it replaces the package
  // ("<package name>.<letters>.tmp") is still in the installation folder.
  bool NewFileLeft() const;

  // "vtup", the version byte and a few filler bytes.
  static std::string PackageWithVersionByte(uint8_t version_byte);
  void WritePackage(const std::string& bytes);
  std::string ReadPackage() const;
  // The package that velt-update.exe carries (the build's payload file).
  static std::string CarriedPackage();
  // Replaces the installation's language files with those of `source_folder`
  // (trailing backslash); false when it holds none.
  bool UseLanguageFiles(const std::string& source_folder);
  // The sample installation's language files, or empty when the repository has none.
  static std::string SampleLanguageFolder();

  void SetUninstallString(const std::string& value, bool wow6432_node = false);
  void RemoveUninstallEntry();
  // A string value under HKCU "Software\Kolm\Velt".
  void SetUserSetting(const std::string& name, const std::string& value);
  // "EstimatedSize" of the plain uninstall entry; false when missing.
  bool ReadEstimatedSize(DWORD* kib) const;

  // Starts the stand-in as a running Velt (see StandInProcess::Start), recording
  // into root() + "running-velt.txt".
  bool StartRunningVelt(int hold_ms);
  StandInProcess& running_velt() { return running_velt_; }
  std::string RunningVeltRecord() const;

  static std::string UpdaterPath();
  static std::string StandInPath();

  // The installation's data file is called `name` instead of "vtup.cok"; called
  // before SetUp.
  void UsePackageFileName(const std::string& name) { package_name_ = name; }
  // Creates the temporary root (trailing backslash; empty on failure). The
  // default is a new folder in the system's temporary folder; a test that needs
  // the installation on a particular drive creates it there.
  virtual std::string MakeRoot();
  // The executable RunUpdate starts: UpdaterPath() unless a test names another.
  void UseUpdater(const std::string& exe) { updater_ = exe; }
  // Later runs start with the primary token `token` (CreateProcessAsUserA);
  // the caller keeps it open. Null: this process's own token.
  void UseToken(HANDLE token) { token_ = token; }
  // A data file elsewhere that later runs may write (an installation other than
  // folder()): its replacement also proves that the updater ran.
  void AlsoWatch(const std::string& package_path) { watched_.push_back(package_path); }
  // Called while each box of later runs is shown, before it is answered.
  void BeforeAnswering(std::function<void(size_t, const SeenBox&)> hook) {
    before_answering_ = std::move(hook);
  }
  // Writes root() + "damaged-update.exe": the updater with one byte in the
  // middle of its carried payload flipped. Returns its path; empty on failure.
  std::string WriteDamagedUpdater();

 private:
  std::string root_;
  std::string folder_;
  std::string package_name_ = "vtup.cok";
  StandInProcess running_velt_;
  std::string updater_;
  HANDLE token_ = nullptr;
  std::function<void(size_t, const SeenBox&)> before_answering_;
  std::vector<std::string> watched_;
};

}  // namespace velt::e2e

// The interactive update run end to end: questions, answers, the written
// package, the recorded size and the launch of Velt.
#include <string>

#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/e2e_texts.h"

namespace velt::e2e {
namespace {

class InteractiveUpdateE2eTest : public UpdateE2eTest {};

std::string Ansi(const std::wstring& text) {
  return ToCodePage(text, 1252);
}

TEST_F(InteractiveUpdateE2eTest, YesYesInstallsRecordsSizeAndLaunchesFromTheFolder) {
  UpdateRun run = RunUpdate({}, {IDYES, IDYES});

  EXPECT_EQ(run.exit_code, 0);
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(Ansi(run.boxes[0].caption), kQuestionCaption);
  EXPECT_EQ(Ansi(run.boxes[0].text), kInstallAskText);
  EXPECT_EQ(run.boxes[0].buttons, (std::vector<int>{IDYES, IDNO}));
  // The box's language is the language file's "langcode" (1033): English buttons.
  EXPECT_EQ(run.boxes[0].button_texts, (std::vector<std::wstring>{L"&Yes", L"&No"}));
  EXPECT_TRUE(run.boxes[0].has_icon);
  EXPECT_EQ(Ansi(run.boxes[1].caption), kDoneCaption);
  EXPECT_EQ(Ansi(run.boxes[1].text), kDoneText);
  EXPECT_EQ(run.boxes[1].buttons, (std::vector<int>{IDYES, IDNO}));

  std::string written = ReadPackage();
  EXPECT_EQ(written, CarriedPackage());
  ASSERT_GE(written.size(), 5u);
  EXPECT_EQ(written[4], '+');  // version 11

  ASSERT_TRUE(run.velt_launched);
  std::string expected_cwd = folder().substr(0, folder().size() - 1);
  EXPECT_EQ(AsciiLower(run.velt_launch_cwd), AsciiLower(expected_cwd)) << run.velt_launch_record;
  EXPECT_NE(run.velt_launch_record.find("args=\r\n"), std::string::npos)
      << "started with parameters: " << run.velt_launch_record;

  DWORD kib = 0;
  ASSERT_TRUE(ReadEstimatedSize(&kib));
  unsigned long long record_bytes = run.velt_launch_record.size();
  EXPECT_EQ(kib, (FolderBytes(folder()) - record_bytes) / 1024);
}

TEST_F(InteractiveUpdateE2eTest, NoAtInstallAskLeavesEverythingUnchanged) {
  std::string before = ReadPackage();
  UpdateRun run = RunUpdate({}, {IDNO});

  EXPECT_EQ(run.exit_code, 0);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(Ansi(run.boxes[0].text), kInstallAskText);
  EXPECT_EQ(ReadPackage(), before);
  DWORD kib = 0;
  EXPECT_FALSE(ReadEstimatedSize(&kib));
  EXPECT_FALSE(run.velt_launched);
}

TEST_F(InteractiveUpdateE2eTest, NoAtCompletionInstallsWithoutLaunch) {
  UpdateRun run = RunUpdate({}, {IDYES, IDNO});

  EXPECT_EQ(run.exit_code, 0);
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(Ansi(run.boxes[1].text), kDoneText);
  EXPECT_EQ(ReadPackage(), CarriedPackage());
  DWORD kib = 0;
  EXPECT_TRUE(ReadEstimatedSize(&kib));
  EXPECT_FALSE(run.velt_launched);
}

TEST_F(InteractiveUpdateE2eTest, NewerInstalledPackageAsksOlderFileVersionFirst) {
  WritePackage(PackageWithVersionByte(44));
  UpdateRun run = RunUpdate({}, {IDYES, IDYES, IDNO});

  EXPECT_EQ(run.exit_code, 0);
  ASSERT_EQ(run.boxes.size(), 3u);
  EXPECT_EQ(Ansi(run.boxes[0].caption), kQuestionCaption);
  EXPECT_EQ(Ansi(run.boxes[0].text), kOlderText);
  EXPECT_EQ(Ansi(run.boxes[1].text), kInstallAskText);
  EXPECT_EQ(Ansi(run.boxes[2].text), kDoneText);
  EXPECT_EQ(ReadPackage(), CarriedPackage());
}

TEST_F(InteractiveUpdateE2eTest, NoToOlderFileVersionEndsWithoutWriting) {
  std::string newer = PackageWithVersionByte(44);
  WritePackage(newer);
  UpdateRun run = RunUpdate({}, {IDNO});

  EXPECT_EQ(run.exit_code, 0);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(Ansi(run.boxes[0].text), kOlderText);
  EXPECT_EQ(ReadPackage(), newer);
}

TEST_F(InteractiveUpdateE2eTest, EqualShortOrMissingPackageAsksOnlyInstallAsk) {
  for (const std::string& package : {PackageWithVersionByte(43), std::string("vtu"),
                                     PackageWithVersionByte(31), std::string()}) {
    if (package.empty()) {
      ASSERT_TRUE(DeleteFileA(PackagePath().c_str()));
    } else {
      WritePackage(package);
    }
    UpdateRun run = RunUpdate({}, {IDNO});
    EXPECT_EQ(run.exit_code, 0);
    ASSERT_EQ(run.boxes.size(), 1u) << "package size " << package.size();
    EXPECT_EQ(Ansi(run.boxes[0].text), kInstallAskText);
  }
}

TEST_F(InteractiveUpdateE2eTest, RunAppWithoutModestIsIgnored) {
  UpdateRun run = RunUpdate({"interactive", "runapp"}, {IDYES, IDNO});

  EXPECT_EQ(run.exit_code, 0);
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(Ansi(run.boxes[1].text), kDoneText);
  EXPECT_FALSE(run.velt_launched);
}

}  // namespace
}  // namespace velt::e2e

// The sample installation's language files end to end: English and Russian
// runs, the per-user "LangFile" choice, and missing or faulty language files.
// The Russian suite needs the whole test process in locale 1049 (under Wine:
// LANG=ru_RU.UTF-8 LC_ALL=ru_RU.UTF-8); it is skipped in any other locale.
#include <string>

#include "deployment/exit_codes.h"
#include "tests/common/unix_symlink.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"

namespace velt::e2e {
namespace {

std::string Ansi(const std::wstring& text) {
  return ToCodePage(text, 1252);
}
std::string Cyrillic(const std::wstring& text) {
  return ToCodePage(text, 1251);
}

bool IsCyrillicUserLocale() {
  switch (GetUserDefaultLCID()) {
    case 1026:
    case 1049:
    case 1058:
    case 1059:
    case 1087:
    case 1092:
    case 2073:
      return true;
    default:
      return false;
  }
}

class SampleLanguageE2eTest : public UpdateE2eTest {
 protected:
  void SetUp() override {
    if (IsCyrillicUserLocale())
      GTEST_SKIP() << "needs a non-Cyrillic user locale";
    UpdateE2eTest::SetUp();
    ASSERT_TRUE(UseLanguageFiles(SampleLanguageFolder())) << "no sample language files";
  }
  std::string LanguagePath(const std::string& name) const { return folder() + "language\\" + name; }
};

TEST_F(SampleLanguageE2eTest, EnglishRunShowsTheSampleTexts) {
  UpdateRun run = RunUpdate({}, {IDYES, IDNO});

  EXPECT_EQ(run.exit_code, 0);
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(Ansi(run.boxes[0].caption), "Velt sound update");
  EXPECT_EQ(Ansi(run.boxes[0].text),
            "Velt Live Update is about to install Flute sounds 11.\r\nGo ahead?");
  EXPECT_EQ(run.boxes[0].button_texts, (std::vector<std::wstring>{L"&Yes", L"&No"}));
  EXPECT_EQ(Ansi(run.boxes[1].caption), "Velt Live Update");
  EXPECT_EQ(Ansi(run.boxes[1].text),
            "Velt Live Update (Flute sounds 11) has been installed.\r\n\r\nStart Velt now?");
  EXPECT_EQ(ReadPackage(), CarriedPackage());
}

TEST_F(SampleLanguageE2eTest, LangFileChoosesAnotherListedFile) {
  SetUserSetting("LangFile", "german.lng");
  UpdateRun run = RunUpdate({}, {IDNO});

  EXPECT_EQ(run.exit_code, 0);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(Ansi(run.boxes[0].caption), "Velt-Klangaktualisierung");
  EXPECT_EQ(Ansi(run.boxes[0].text),
            "Velt Live-Aktualisierung installiert jetzt Fl\xF6tenkl\xE4nge 11.\r\nFortfahren?");
}

TEST_F(SampleLanguageE2eTest, LangFileComparesLetterCase) {
  SetUserSetting("LangFile", "German.lng");
  UpdateRun run = RunUpdate({}, {IDNO});

  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(Ansi(run.boxes[0].caption), "Velt sound update");
}

TEST_F(SampleLanguageE2eTest, MissingEnglishFileEndsTheRun) {
  ASSERT_TRUE(DeleteFileA(LanguagePath("english.lng").c_str()));
  UpdateRun run = RunUpdate({}, {IDOK});

  EXPECT_EQ(run.exit_code, kExitLanguageFailed);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(Ansi(run.boxes[0].text),
            "Can't work with no english.lng file!\r\nPlease reinstall the program.");
  EXPECT_EQ(run.boxes[0].buttons, std::vector<int>{IDOK});
}

TEST_F(SampleLanguageE2eTest, FaultyFileEndsTheRunNamingIt) {
  std::string faulty =
      ReadBinaryFile(ToWinePath(VELT_SOURCE_DIR "/tests/data/language/langver_trailing_space.lng"));
  ASSERT_FALSE(faulty.empty());
  ASSERT_TRUE(WriteBinaryFile(LanguagePath("Broken.lng"), faulty));
  std::string before = ReadPackage();
  UpdateRun run = RunUpdate({}, {IDOK});

  EXPECT_EQ(run.exit_code, kExitLanguageFailed);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(Ansi(run.boxes[0].text),
            "Broken.lng file contains errors.\r\nPlease reinstall the program.");
  EXPECT_EQ(ReadPackage(), before);
}

TEST_F(SampleLanguageE2eTest, FileWithExclamationMarkIsIgnored) {
  ASSERT_TRUE(WriteBinaryFile(LanguagePath("deutsch!.lng"), "[langver]\r\nbroken\r\n"));
  UpdateRun run = RunUpdate({}, {IDNO});

  EXPECT_EQ(run.exit_code, 0);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(Ansi(run.boxes[0].caption), "Velt sound update");
}

// Links the user planted in the language folder, as Unix symbolic links: one
// to a character device that never ends, one to a file outside the
// installation. Neither is read as a language file: the run ends in order.
TEST_F(SampleLanguageE2eTest, LinksToADeviceOrOutOfTheFolderAreFaulty) {
  const std::string outside = root() + "planted.lng";
  ASSERT_TRUE(WriteBinaryFile(outside, ReadBinaryFile(LanguagePath("german.lng"))));
  const std::string before = ReadPackage();
  for (const auto& [name, target] :
       {std::pair<std::string, std::string>{"endless.lng", "Z:\\dev\\zero"},
        {"outside.lng", outside}}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(velt::test::MakeUnixSymlink(LanguagePath(name), target));
    UpdateRun run = RunUpdate({}, {IDOK, IDOK, IDOK});
    // Removed by unlink(2) at once: a Windows deletion may act on the target.
    EXPECT_TRUE(velt::test::UnixUnlink(LanguagePath(name)));
    EXPECT_EQ(run.exit_code, kExitLanguageFailed);
    ASSERT_FALSE(run.boxes.empty());
    EXPECT_EQ(Ansi(run.boxes.back().text),
              name + " file contains errors.\r\nPlease reinstall the program.");
    EXPECT_EQ(ReadPackage(), before);
  }
}

class SampleLanguageRussianE2eTest : public UpdateE2eTest {
 protected:
  void SetUp() override {
    if (GetUserDefaultLCID() != 1049)
      GTEST_SKIP() << "needs the user locale 1049";
    UpdateE2eTest::SetUp();
    ASSERT_TRUE(UseLanguageFiles(SampleLanguageFolder())) << "no sample language files";
  }
};

TEST_F(SampleLanguageRussianE2eTest, RussianRunShowsTheRussianSampleTexts) {
  UpdateRun run = RunUpdate({}, {IDYES, IDNO});

  EXPECT_EQ(run.exit_code, 0);
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(Cyrillic(run.boxes[0].caption), "Обновление звуков Вельт");
  EXPECT_EQ(Cyrillic(run.boxes[0].text),
            "Живое обновление Вельт установит Звуки флейты 11.\r\nПродолжить?");
  EXPECT_EQ(run.boxes[0].button_texts, (std::vector<std::wstring>{L"&Да", L"&Нет"}));
  EXPECT_EQ(Cyrillic(run.boxes[1].caption), "Живое обновление Вельт");
  EXPECT_EQ(Cyrillic(run.boxes[1].text),
            "Живое обновление Вельт (Звуки флейты 11): установка завершена.\r\n\r\n"
            "Запустить Вельт сейчас?");
  EXPECT_EQ(ReadPackage(), CarriedPackage());
}

// The localized error box takes its caption from the file's "progname".
TEST_F(SampleLanguageRussianE2eTest, LocalizedErrorHasTheProgramNameAsCaption) {
  ASSERT_TRUE(StartRunningVelt(8000));
  UpdateRun run = RunUpdate({}, {IDOK});

  EXPECT_EQ(run.exit_code, kExitPackageLocked);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(Cyrillic(run.boxes[0].caption), "Вельт");
  EXPECT_EQ(Cyrillic(run.boxes[0].text), "Файл " + PackagePath() +
                                             " занят и не может быть заменён.\r\n"
                                             "Закройте Вельт и запустите обновление снова.");
}

TEST_F(SampleLanguageRussianE2eTest, LangFileChoosesEnglish) {
  SetUserSetting("LangFile", "english.lng");
  UpdateRun run = RunUpdate({}, {IDNO});

  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(Ansi(run.boxes[0].caption), "Velt sound update");
  EXPECT_EQ(run.boxes[0].button_texts, (std::vector<std::wstring>{L"&Yes", L"&No"}));
}

}  // namespace
}  // namespace velt::e2e

// The update under a Russian user locale (1049): Russian language file, Russian
// built-in messages and Russian button texts. Needs the whole test process in
// that locale (under Wine: LC_ALL=ru_RU.UTF-8 in the environment that starts
// Wine); skipped in any other locale.
#include <string>

#include "deployment/exit_codes.h"
#include "tests/e2e/e2e_harness.h"

namespace velt::e2e {
namespace {

class RussianLocaleE2eTest : public UpdateE2eTest {
 protected:
  void SetUp() override {
    if (GetUserDefaultLCID() != 1049)
      GTEST_SKIP() << "needs the user locale 1049";
    UpdateE2eTest::SetUp();
  }
};

TEST_F(RussianLocaleE2eTest, QuestionsComeFromRussianFileWithRussianButtons) {
  UpdateRun run = RunUpdate({}, {IDYES, IDNO});

  EXPECT_EQ(run.exit_code, 0);
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(run.boxes[0].caption, L"Вопрос обновления");
  EXPECT_EQ(run.boxes[0].text, L"Установить Обновление Вельта:\r\nЗвуки флейты 11?");
  EXPECT_EQ(run.boxes[0].button_texts, (std::vector<std::wstring>{L"&Да", L"&Нет"}));
  EXPECT_EQ(run.boxes[1].caption, L"Обновление Вельта");
  EXPECT_EQ(run.boxes[1].text,
            L"Готово: Обновление Вельта (Звуки флейты 11).\r\n\r\nЗапустить Вельт?");
  EXPECT_EQ(ReadPackage(), CarriedPackage());
}

TEST_F(RussianLocaleE2eTest, NoInstallationMessageIsRussian) {
  ASSERT_TRUE(DeleteFileA((folder() + "velt.exe").c_str()));
  UpdateRun run = RunUpdate({}, {IDOK});

  EXPECT_EQ(run.exit_code, kExitNoInstallation);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].caption, L"Обновление программы \"Вельт\"");
  EXPECT_EQ(run.boxes[0].text,
            L"Нет установленной программы \"Вельт\"!\r\nПожалуйста, сначала установите её.");
}

TEST_F(RussianLocaleE2eTest, MissingEnglishFileIsReportedInRussian) {
  ASSERT_TRUE(DeleteFileA((folder() + "language\\english.lng").c_str()));
  UpdateRun run = RunUpdate({}, {IDOK});

  EXPECT_EQ(run.exit_code, kExitLanguageFailed);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].text,
            L"Работа без файла english.lng невозможна!\r\nПожалуйста, переустановите программу.");
}

}  // namespace
}  // namespace velt::e2e

// Faulty language files end loading with the faulty-file box naming the file.
#include "language_fixture.h"

namespace velt_test {
namespace {

class LanguageFaultyFileTest : public LanguageTest {
 protected:
  // english.lng first, then the test data file under `listed_name`, then a
  // locked file that would show a box of its own if it were ever scanned.
  void InstallWith(const std::string& data_name, const std::string& listed_name) {
    AddSampleFile("english.lng");
    AddTestDataFile(data_name, listed_name);
    AddLanguageFile("zz.lng", MinimalFile("1031", "Z"));
    fake::FindEntry(std::string(kLanguageFolder) + "zz.lng")->held_until_ms = 1000;
  }

  void ExpectFaultyFileBox(const std::string& name) {
    ASSERT_EQ(Boxes().size(), 1u) << "later files are not scanned";
    EXPECT_EQ(Boxes()[0].text, name + " file contains errors.\r\nPlease reinstall the program.");
    EXPECT_EQ(Boxes()[0].caption, velt::ProgramTitleEnglish);
  }
};

TEST_F(LanguageFaultyFileTest, TrailingSpaceInLangverIsFaulty) {
  InstallWith("langver_trailing_space.lng", "Trailing.lng");
  EXPECT_FALSE(velt::LoadLanguage());
  ExpectFaultyFileBox("Trailing.lng");
}

TEST_F(LanguageFaultyFileTest, LeadingSpaceInLangverIsAccepted) {
  AddSampleFile("english.lng");
  AddTestDataFile("langver_leading_space.lng", "leading.lng");
  UseLocale(1031);
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(CurrentFileName(), "leading.lng");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(LanguageFaultyFileTest, FaultyLaterLangcodeLineIsFaulty) {
  InstallWith("langcode_second_line_faulty.lng", "second.lng");
  EXPECT_FALSE(velt::LoadLanguage());
  ExpectFaultyFileBox("second.lng");
}

// The first "langcode" line is converted when the file is selected; a faulty
// one ends loading in order instead of raising an error.
TEST_F(LanguageFaultyFileTest, FaultyFirstLangcodeLineIsFaulty) {
  InstallWith("langcode_first_line_faulty.lng", "first.lng");
  EXPECT_FALSE(velt::LoadLanguage());
  ExpectFaultyFileBox("first.lng");
  EXPECT_EQ(velt::LanguageId, 1033) << "left as the previous file set it";
}

TEST_F(LanguageFaultyFileTest, FaultyFileBoxIsRussianOnCyrillicLocales) {
  UseLocale(1049);
  AddSampleFile("english.lng");
  AddSampleFile("russian.lng");
  AddTestDataFile("langver_trailing_space.lng", "bad.lng");
  EXPECT_FALSE(velt::LoadLanguage());
  ASSERT_EQ(Boxes().size(), 1u);
  // "Файл bad.lng содержит ошибки!\r\nПожалуйста, переустановите программу."
  EXPECT_EQ(Boxes()[0].text,
            "\xD4\xE0\xE9\xEB bad.lng \xF1\xEE\xE4\xE5\xF0\xE6\xE8\xF2 "
            "\xEE\xF8\xE8\xE1\xEA\xE8!\r\n\xCF\xEE\xE6\xE0\xEB\xF3\xE9\xF1\xF2\xE0, "
            "\xEF\xE5\xF0\xE5\xF3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xE5 "
            "\xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xF3.");
  EXPECT_EQ(Boxes()[0].caption, "Trailing") << "progname of the file being scanned";
}

// One cause, one box: a listed file that cannot be read is faulty, without the
// lookups' own "Can't handle" boxes before it.
TEST_F(LanguageFaultyFileTest, UnreadableListedFileIsOneFaultyFileBox) {
  AddSampleFile("english.lng");
  fake::AddDirectory(std::string(kLanguageFolder) + "folder.lng");
  EXPECT_FALSE(velt::LoadLanguage());
  ExpectFaultyFileBox("folder.lng");
}

// A "langcode" list runs on to the next blank line, so a header right after it
// becomes one of its lines.
TEST_F(LanguageFaultyFileTest, LangcodeListWithoutBlankLineRunsIntoTheNextHeader) {
  AddSampleFile("english.lng");
  AddLanguageFile("run.lng", CrLfText({"[langcode]", "1031", "[langver]", "1"}));
  EXPECT_FALSE(velt::LoadLanguage());
  ExpectFaultyFileBox("run.lng");
}

TEST_F(LanguageFaultyFileTest, LockedFileIsOneFaultyFileBox) {
  AddSampleFile("english.lng");
  AddLanguageFile("locked.lng", MinimalFile("1031", "L"));
  fake::FindEntry(std::string(kLanguageFolder) + "locked.lng")->held_until_ms = 1000;
  EXPECT_FALSE(velt::LoadLanguage());
  ExpectFaultyFileBox("locked.lng");
}

// The default file read for a value the scanned file lacks: when it is what
// cannot be read, the box names it, not the file being scanned.
TEST_F(LanguageFaultyFileTest, AnUnreadableDefaultFileIsTheOneCalledFaulty) {
  AddSampleFile("english.lng");
  AddLanguageFile("untitled.lng", CrLfText({"[langcode]", "1031", "", "[langver]", "1"}));
  fake::World().on_call = [](const std::string&) {
    const std::vector<fake::FaultCall>& calls = fake::World().faults.calls;
    // Once untitled.lng is scanned, english.lng stops answering.
    if (!calls.empty() && calls.back().subject.find("untitled.lng") != std::string::npos)
      fake::FindEntry(std::string(kLanguageFolder) + "english.lng")->held_until_ms = 1000;
  };
  EXPECT_FALSE(velt::LoadLanguage());
  ExpectFaultyFileBox("english.lng");
}

}  // namespace
}  // namespace velt_test

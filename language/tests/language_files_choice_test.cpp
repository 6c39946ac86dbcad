// LoadLanguage: listing, required files, the scan and the choice of the current
// file by locale and by default.
#include "language_fixture.h"

namespace velt_test {
namespace {

class LanguageChoiceTest : public LanguageTest {
 protected:
  void InstallSamples() {
    AddSampleFile("english.lng");
    AddSampleFile("russian.lng");
    AddSampleFile("german.lng");
  }
};

const char kRussianTitle[] = "\xC2\xE5\xEB\xFC\xF2";  // "Вельт" in Windows-1251

TEST_F(LanguageChoiceTest, EnglishLocaleChoosesEnglishSample) {
  InstallSamples();
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(velt::LanguageList,
            (std::vector<std::string>{"english.lng", "russian.lng", "german.lng"}));
  EXPECT_EQ(CurrentFileName(), "english.lng");
  EXPECT_EQ(velt::ProgramTitle, "Velt");
  EXPECT_EQ(velt::LanguageId, 1033);
  EXPECT_EQ(velt::LocaleMatchIndex, 0);
  EXPECT_EQ(velt::GetText("liveupdatecaption"), "Velt Live Update");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(velt::Registry().HasOpenKey());
}

TEST_F(LanguageChoiceTest, CyrillicLocalesChooseRussianSample) {
  for (uint32_t lcid : {1049u, 1058u}) {
    SCOPED_TRACE(lcid);
    velt::StartLanguage();
    fake::World().entries.clear();
    UseLocale(lcid);
    InstallSamples();
    ASSERT_TRUE(velt::LoadLanguage());
    EXPECT_EQ(CurrentFileName(), "russian.lng");
    EXPECT_EQ(velt::ProgramTitle, kRussianTitle);
    EXPECT_EQ(velt::LanguageId, 1049) << "the first langcode line";
    EXPECT_EQ(velt::RussianFileIndex, 1);
    EXPECT_EQ(velt::EnglishFileIndex, 0);
  }
}

TEST_F(LanguageChoiceTest, LocaleMatchBeatsTheDefaultFile) {
  UseLocale(2055);  // German (Switzerland), listed second in german.lng
  InstallSamples();
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(CurrentFileName(), "german.lng");
  EXPECT_EQ(velt::LanguageId, 1031);
  EXPECT_EQ(velt::ProgramTitle, "Velt (Deutsch)");

  // The match listed first, before the default file.
  velt::StartLanguage();
  fake::World().entries.clear();
  AddSampleFile("german.lng");
  AddSampleFile("english.lng");
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(velt::LocaleMatchIndex, 0);
  EXPECT_EQ(CurrentFileName(), "german.lng");
}

TEST_F(LanguageChoiceTest, NoMatchSelectsTheDefaultFile) {
  UseLocale(1036);  // French: no file lists it
  InstallSamples();
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(velt::LocaleMatchIndex, -1);
  EXPECT_EQ(CurrentFileName(), "english.lng");

  velt::StartLanguage();
  UseLocale(1087);  // Kazakh: Cyrillic, listed by no file
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(CurrentFileName(), "russian.lng");
}

TEST_F(LanguageChoiceTest, LastMatchingFileInListingOrderWins) {
  // Listing order is creation order here, not alphabetical.
  AddLanguageFile("zulu.lng", MinimalFile("1031", "Zulu"));
  AddLanguageFile("english.lng", MinimalFile("1033", "English"));
  AddLanguageFile("alpha.lng", CrLfText({"[langcode]", "2055", "1031", "", "[langver]", "1",
                                         "[progname]", "Alpha"}));
  AddLanguageFile("beta.lng", MinimalFile("3079", "Beta"));
  UseLocale(1031);
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(velt::LanguageList,
            (std::vector<std::string>{"zulu.lng", "english.lng", "alpha.lng", "beta.lng"}));
  EXPECT_EQ(CurrentFileName(), "alpha.lng");
  EXPECT_EQ(velt::LanguageId, 2055);
}

TEST_F(LanguageChoiceTest, NamesWithExclamationMarkAreNeverListed) {
  AddLanguageFile("!first.lng", "[langver]\r\nbroken\r\n");
  AddLanguageFile("english.lng", MinimalFile("1033", "English"));
  AddLanguageFile("deutsch!.lng", MinimalFile("1033", "Deutsch"));
  AddLanguageFile("mid!dle.lng", "[langcode]\r\nbroken\r\n");
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(velt::LanguageList, (std::vector<std::string>{"english.lng"}));
  EXPECT_EQ(velt::ProgramTitle, "English");
}

TEST_F(LanguageChoiceTest, RequiredFileNamesMatchInAnyCaseAndHiddenFilesCount) {
  fake::AddFile(std::string(kLanguageFolder) + "ENGLISH.Lng", MinimalFile("1033", "Upper"),
                platform::kAttrHidden | platform::kAttrSystem | platform::kAttrReadOnly);
  AddLanguageFile("notes.txt", "not listed");
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(velt::LanguageList, (std::vector<std::string>{"ENGLISH.Lng"}));
  EXPECT_EQ(velt::EnglishFileIndex, 0);
  EXPECT_EQ(velt::ProgramTitle, "Upper");
}

TEST_F(LanguageChoiceTest, MissingEnglishFileOnOtherLocales) {
  AddLanguageFile("russian.lng", MinimalFile("1049", "R"));
  EXPECT_FALSE(velt::LoadLanguage());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text,
            "Can't work with no english.lng file!\r\nPlease reinstall the program.");
  EXPECT_EQ(Boxes()[0].caption, velt::ProgramTitleEnglish);
  EXPECT_FALSE(Boxes()[0].extended);
}

TEST_F(LanguageChoiceTest, NoLanguageFolderOnCyrillicLocaleNamesRussianFirst) {
  UseLocale(1049);
  EXPECT_FALSE(velt::LoadLanguage());
  ASSERT_EQ(Boxes().size(), 1u);
  // "Работа без файла russian.lng невозможна!\r\nПожалуйста, переустановите программу."
  EXPECT_EQ(
      Boxes()[0].text,
      "\xD0\xE0\xE1\xEE\xF2\xE0 \xE1\xE5\xE7 \xF4\xE0\xE9\xEB\xE0 russian.lng "
      "\xED\xE5\xE2\xEE\xE7\xEC\xEE\xE6\xED\xE0!\r\n\xCF\xEE\xE6\xE0\xEB\xF3\xE9\xF1\xF2\xE0, "
      "\xEF\xE5\xF0\xE5\xF3\xF1\xF2\xE0\xED\xEE\xE2\xE8\xF2\xE5 "
      "\xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xF3.");
  EXPECT_TRUE(Boxes()[0].extended);
  EXPECT_EQ(Boxes()[0].language, 0x0019);
}

TEST_F(LanguageChoiceTest, CyrillicLocaleNeedsEnglishToo) {
  UseLocale(1049);
  AddLanguageFile("russian.lng", MinimalFile("1049", "R"));
  AddLanguageFile("german.lng", MinimalFile("1031", "G"));
  EXPECT_FALSE(velt::LoadLanguage());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].text.find(" english.lng "), std::string::npos) << Boxes()[0].text;
  EXPECT_EQ(Boxes()[0].text.rfind("\xD0\xE0\xE1\xEE\xF2\xE0", 0), 0u) << "in Russian";
}

TEST_F(LanguageChoiceTest, EmptyLanguageFolderOnOtherLocales) {
  fake::AddDirectory(kLanguageFolder);
  AddLanguageFile("readme.txt", "");
  EXPECT_FALSE(velt::LoadLanguage());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].text.find("english.lng"), std::string::npos);
}

// A file without headers of its own takes every header value from the default
// file, its "langcode" list included, so it matches the default file's locales.
TEST_F(LanguageChoiceTest, FileWithoutHeadersBorrowsTheDefaultFilesValues) {
  AddLanguageFile("english.lng", MinimalFile("1033", "English"));
  AddTestDataFile("no_headers.lng", "plain.lng");
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(CurrentFileName(), "plain.lng");
  EXPECT_EQ(velt::ProgramTitle, "English");
  EXPECT_EQ(velt::LanguageId, 1033);
}

TEST_F(LanguageChoiceTest, HexadecimalCodesAndOddLineEndsAreAccepted) {
  AddSampleFile("english.lng");
  AddTestDataFile("langcode_hex_list.lng", "hex.lng");
  AddTestDataFile("line_ends_and_eof.lng", "mixed.lng");
  UseLocale(3079);
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(CurrentFileName(), "hex.lng");
  EXPECT_EQ(velt::LanguageId, 0x407);

  velt::StartLanguage();
  UseLocale(2055);  // both list it; mixed.lng comes later
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(CurrentFileName(), "mixed.lng");
  EXPECT_EQ(velt::ProgramTitle, "Mixed title");
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace velt_test

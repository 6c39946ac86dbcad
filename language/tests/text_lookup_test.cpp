// GetText and GetTextLines: values, multi-line values and the fallback to the
// default language file.
#include "language_fixture.h"

namespace velt_test {
namespace {

using velt::GetText;
using velt::GetTextLines;

class LanguageLookupTest : public LanguageTest {
 protected:
  // Lists english.lng (the default file on this locale) and other.lng, and
  // makes `current` (0: english, 1: other) the current file.
  void Install(const std::string& english, const std::string& other, int32_t current = 1) {
    AddLanguageFile("english.lng", english);
    AddLanguageFile("other.lng", other);
    velt::LanguageList = {"english.lng", "other.lng"};
    velt::EnglishFileIndex = 0;
    velt::LanguageFileIndex = current;
  }
};

TEST_F(LanguageLookupTest, ValueIsTheLineAfterTheFirstNamingHeader) {
  Install("", CrLfText({"free text", "[Greeting] first", "  Hello there  ", "[greeting]", "second",
                        "[spaces]", "   ", "[a]", "[b]", "text", "[last]"}));
  EXPECT_EQ(GetText("greeting"), "  Hello there  ");
  EXPECT_EQ(GetText("spaces"), "   ") << "a blank value has no fallback";
  EXPECT_EQ(GetText("a"), "[b]");
  EXPECT_EQ(GetText("b"), "text") << "a value line is examined as a header too";
  EXPECT_EQ(GetText("last"), "");
  EXPECT_EQ(GetText("absent"), "");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(LanguageLookupTest, MultiLineValueEndsAtTheFirstBlankLine) {
  Install("", CrLfText({"[lines]", "one", " two ", "three", " \t", "four", "", "[b]", "x", "y"}) +
                  "[end]\r\nlast\r\nfinal");
  EXPECT_EQ(GetTextLines("lines"), "one\r\n two \r\nthree");
  EXPECT_EQ(GetTextLines("b"), "x\r\ny\r\n[end]\r\nlast\r\nfinal");
  EXPECT_EQ(GetTextLines("end"), "last\r\nfinal");
  EXPECT_EQ(GetText("lines"), "one");
}

TEST_F(LanguageLookupTest, EmptyOrMissingValueFallsBackToTheDefaultFile) {
  Install(CrLfText({"[empty]", "from english", "", "[missing]", "english first", "english second",
                    "", "[lines]", "english lines", "", "[nowhere]", "", "[spaces]", "english"}),
          CrLfText({"[empty]", "", "[lines]", "", "more", "[spaces]", "  "}));
  EXPECT_EQ(GetText("empty"), "from english");
  EXPECT_EQ(GetTextLines("empty"), "from english");
  EXPECT_EQ(GetTextLines("missing"), "english first\r\nenglish second");
  EXPECT_EQ(GetTextLines("lines"), "english lines")
      << "the current file's continuation is not used";
  EXPECT_EQ(GetText("nowhere"), "");
  EXPECT_EQ(GetTextLines("spaces"), "  ");
  EXPECT_TRUE(Boxes().empty());
}

// The fallback of the one-line lookup is the default file's value line alone,
// also right after a multi-line lookup.
TEST_F(LanguageLookupTest, OneLineFallbackNeverReturnsContinuationLines) {
  Install(CrLfText({"[missing]", "first", "second", "", "[other]", "o1", "o2"}),
          CrLfText({"[here]", "h1", "h2"}));
  EXPECT_EQ(GetText("missing"), "first");
  EXPECT_EQ(GetTextLines("here"), "h1\r\nh2");
  EXPECT_EQ(GetText("missing"), "first");
  EXPECT_EQ(GetTextLines("other"), "o1\r\no2");
  EXPECT_EQ(GetText("missing"), "first");
}

TEST_F(LanguageLookupTest, DefaultValueIsReturnedAsFoundEvenWithAnEmptyFirstLine) {
  Install(CrLfText({"[gap]", "", "after gap", " ", "[gap]", "ignored"}), CrLfText({"[x]", "y"}));
  EXPECT_EQ(GetTextLines("gap"), "\r\nafter gap");
  EXPECT_EQ(GetText("gap"), "");
}

TEST_F(LanguageLookupTest, CurrentFileAsDefaultIsReadThroughASecondReader) {
  Install(CrLfText({"[k]", "", "tail", "", "[v]", "value"}), "", /*current=*/0);
  EXPECT_EQ(GetText("v"), "value");
  EXPECT_EQ(GetTextLines("k"), "\r\ntail");
  EXPECT_EQ(GetText("v"), "value") << "the current reader starts again from the beginning";
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(LanguageLookupTest, CyrillicLocaleFallsBackToRussian) {
  UseLocale(1049);
  AddLanguageFile("english.lng", CrLfText({"[k]", "english"}));
  AddLanguageFile("russian.lng", CrLfText({"[k]", "\xF0\xF3\xF1"}));
  AddLanguageFile("other.lng", CrLfText({"[j]", "j"}));
  velt::LanguageList = {"english.lng", "russian.lng", "other.lng"};
  velt::EnglishFileIndex = 0;
  velt::RussianFileIndex = 1;
  velt::LanguageFileIndex = 2;
  EXPECT_EQ(GetText("k"), "\xF0\xF3\xF1");
}

TEST_F(LanguageLookupTest, CurrentFileStaysOpenSharedForReadingBetweenLookups) {
  Install(CrLfText({"[k]", "e"}), CrLfText({"[k]", "o"}));
  const std::string other = std::string(kLanguageFolder) + "other.lng";
  EXPECT_EQ(GetText("k"), "o");
  EXPECT_FALSE(platform::DeleteFile(other)) << "held open between lookups";
  EXPECT_TRUE(platform::DeleteFile(std::string(kLanguageFolder) + "english.lng"))
      << "the default file is closed after each fallback";
  velt::EndLanguage();
  EXPECT_TRUE(platform::DeleteFile(other));
}

TEST_F(LanguageLookupTest, CurrentFileReadFailureShowsOneBoxAndGivesEmptyText) {
  Install(CrLfText({"[k]", "english"}), CrLfText({"[k]", "other"}));
  EXPECT_EQ(GetText("k"), "other");
  fake::World().failing.push_back("ReadFile");
  EXPECT_EQ(GetText("k"), "") << "no fallback after a failure";
  EXPECT_EQ(GetTextLines("k"), "");
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].text, "Can't handle the language support file other.lng");
  EXPECT_EQ(Boxes()[0].caption, velt::ProgramTitleEnglish);
  fake::World().failing.clear();
  EXPECT_EQ(GetText("k"), "other") << "the next lookup opens the file afresh";
  EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(LanguageLookupTest, CurrentFileVanishingOrLockedBetweenLookups) {
  Install(CrLfText({"[k]", "english"}), CrLfText({"[k]", "other"}));
  EXPECT_EQ(GetText("k"), "other");
  // Removed behind the open handle (e.g. by a broken network share): reads fail.
  fake::World().entries.erase(fake::NormalizePath(std::string(kLanguageFolder) + "other.lng"));
  EXPECT_EQ(GetText("k"), "");
  EXPECT_EQ(GetText("k"), "") << "reopening fails too";
  EXPECT_EQ(Boxes().size(), 2u);

  // Back, but held without sharing by another process.
  AddLanguageFile("other.lng", CrLfText({"[k]", "other"}));
  fake::FindEntry(std::string(kLanguageFolder) + "other.lng")->held_until_ms = 1000;
  EXPECT_EQ(GetTextLines("k"), "");
  ASSERT_EQ(Boxes().size(), 3u);
  EXPECT_EQ(Boxes()[2].text, "Can't handle the language support file other.lng");
}

TEST_F(LanguageLookupTest, DefaultFileFailureShowsABoxNamingIt) {
  UseLocale(1049);
  Install("", CrLfText({"[k]", ""}));
  AddLanguageFile("Russian.lng", CrLfText({"[k]", "r"}));
  velt::LanguageList.push_back("Russian.lng");
  velt::RussianFileIndex = 2;
  fake::FindEntry(std::string(kLanguageFolder) + "russian.lng")->held_until_ms = 1000;
  EXPECT_EQ(GetText("k"), "");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text,
            "\xCD\xE5 \xF3\xE4\xE0\xB8\xF2\xF1\xFF \xF0\xE0\xE1\xEE\xF2\xE0\xF2\xFC "
            "\xF1 \xF4\xE0\xE9\xEB\xEE\xEC \xFF\xE7\xFB\xEA\xEE\xE2\xEE\xE9 "
            "\xEF\xEE\xE4\xE4\xE5\xF0\xE6\xEA\xE8 Russian.lng");
  EXPECT_TRUE(Boxes()[0].extended);
  fake::World().now_ms = 2000;
  EXPECT_EQ(GetText("k"), "r");
}

}  // namespace
}  // namespace velt_test

namespace velt_test {
namespace {

// A file whose value for "k" starts in its first 4096-byte read and whose
// continuation lines run on past it, into a read that fails.
std::string FileWithValueAcrossTheFirstRead() {
  const std::string lines = CrLfText({"[k]", "first", "second"});
  std::string text = CrLfText({"[filler]", std::string(4096 - lines.size() - 12, 'x')});
  text += lines;  // "second" ends exactly at the first read's end
  EXPECT_EQ(text.size(), 4096u);
  return text + CrLfText({"third", "fourth"});
}

class LanguagePartialReadTest : public LanguageLookupTest {
 protected:
  static void FailReadsAfterTheFirst(const std::string& name) {
    fake::FakeEntry* entry = fake::FindEntry(std::string(kLanguageFolder) + name);
    entry->read_error = 1117;  // ERROR_IO_DEVICE
    entry->read_error_from = 4096;
  }
};

TEST_F(LanguagePartialReadTest, CurrentFileFailingInTheContinuationGivesTheTextSoFar) {
  Install(CrLfText({"[k]", "english"}), FileWithValueAcrossTheFirstRead());
  FailReadsAfterTheFirst("other.lng");
  EXPECT_EQ(GetTextLines("k"), "first\r\nsecond");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Can't handle the language support file other.lng");
}

TEST_F(LanguagePartialReadTest, DefaultFileFailingInTheContinuationGivesTheTextSoFar) {
  Install(FileWithValueAcrossTheFirstRead(), CrLfText({"[other]", "value"}));
  FailReadsAfterTheFirst("english.lng");
  EXPECT_EQ(GetTextLines("k"), "first\r\nsecond");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Can't handle the language support file english.lng");
}

}  // namespace
}  // namespace velt_test

// Placeholder substitution, FormatText/FormatTextLines and the localized error box.
#include "language/messages.h"
#include "language_fixture.h"

namespace velt_test {
namespace {

using velt::SubstitutePlaceholders;

TEST(MessagesPlaceholders, FillsInOrderOnlyWhileEachLowerOneWasPresent) {
  EXPECT_EQ(SubstitutePlaceholders("Copy %1 to %1", {"a"}), "Copy a to a");
  EXPECT_EQ(SubstitutePlaceholders("Step %2", {"x", "y"}), "Step %2");
  EXPECT_EQ(SubstitutePlaceholders("%1 and %3", {"a", "b", "c"}), "a and %3");
  EXPECT_EQ(SubstitutePlaceholders("%4%3%2%1", {"a", "b", "c", "d"}), "dcba");
  EXPECT_EQ(SubstitutePlaceholders("%1 %2 %4", {"a", "b", "c", "d"}), "a b %4");
  EXPECT_EQ(SubstitutePlaceholders("%1%2%3%4%5", {"a", "b", "c", "d", "e"}), "abcd%5");
  EXPECT_EQ(SubstitutePlaceholders("", {"a"}), "");
  EXPECT_EQ(SubstitutePlaceholders("no placeholders", {"a"}), "no placeholders");
}

TEST(MessagesPlaceholders, InsertedTextJoinsOnlyLaterSteps) {
  EXPECT_EQ(SubstitutePlaceholders("%1!", {"%2", "z"}), "z!");
  EXPECT_EQ(SubstitutePlaceholders("%1!", {"%1%1", "z"}), "%1%1!") << "not searched again";
  EXPECT_EQ(SubstitutePlaceholders("%1 %2", {"%3", "b", "c"}), "c b");
  EXPECT_EQ(SubstitutePlaceholders("%%11", {"x"}), "%x1");
  EXPECT_EQ(SubstitutePlaceholders("%11", {"x"}), "x1");
  EXPECT_EQ(SubstitutePlaceholders("a%1\r\nb %1", {"\xC0"}), "a\xC0\r\nb \xC0");
}

// A placeholder whose argument was not supplied stays as it is.
TEST(MessagesPlaceholders, MissingArgumentsLeaveTheirPlaceholders) {
  EXPECT_EQ(SubstitutePlaceholders("%1 and %2", {"a"}), "a and %2");
  EXPECT_EQ(SubstitutePlaceholders("%1 %2 %3 %4", {"a"}), "a %2 %3 %4");
  EXPECT_EQ(SubstitutePlaceholders("%1 %2", {}), "%1 %2");
  EXPECT_EQ(SubstitutePlaceholders("%1!", {"%2"}), "%2!");
}

class MessagesTest : public LanguageTest {
 protected:
  void SetUp() override {
    LanguageTest::SetUp();
    AddLanguageFile("english.lng", CrLfText({"[langcode]", "1033", "", "[langver]", "1",
                                             "[progname]", "Velt", "[fallback]", "Default %1"}));
    AddLanguageFile("german.lng",
                    CrLfText({"[langcode]", "$10407", "", "[langver]", "1", "[progname]", "Titel",
                              "[two]", "First %1", "second %1 and %2", "", "[fallback]", ""}));
    UseLocale(0x10407);  // German with phone-book sorting
    ASSERT_TRUE(velt::LoadLanguage());
    ASSERT_EQ(CurrentFileName(), "german.lng");
  }
};

TEST_F(MessagesTest, FormatTextAndFormatTextLines) {
  EXPECT_EQ(velt::FormatTextLines("two", {"a", "b"}), "First a\r\nsecond a and b");
  EXPECT_EQ(velt::FormatText("two", {"a", "b"}), "First a");
  EXPECT_EQ(velt::FormatText("fallback", {"x"}), "Default x");
  EXPECT_EQ(velt::FormatText("nowhere", {"x"}), "");
  EXPECT_EQ(velt::FormatTextLines("nowhere", {"x", "y"}), "");
}

// A text the files do not give (or a lookup could not read) would make a box
// that says nothing: the built-in text stands in.
TEST_F(MessagesTest, LocalizedErrorBoxUsesTitleAndLanguageOrTheBuiltInText) {
  velt::ShowLocalizedError(velt::FormatTextLines("two", {"1", "2"}), "en", "ru");
  velt::ShowLocalizedError(velt::GetText("nowhere"), "built in", "ru");
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].text, "First 1\r\nsecond 1 and 2");
  EXPECT_EQ(Boxes()[0].caption, "Titel");
  EXPECT_EQ(Boxes()[0].style, 0x200010u);
  EXPECT_TRUE(Boxes()[0].extended);
  EXPECT_EQ(Boxes()[0].language, 0x0407) << "low 16 bits of LanguageId";
  EXPECT_EQ(Boxes()[1].text, "built in");
  EXPECT_EQ(Boxes()[1].caption, velt::ProgramTitleEnglish);
}

}  // namespace
}  // namespace velt_test

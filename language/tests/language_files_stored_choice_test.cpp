// The per-user "LangFile" value overrides the automatic choice when it names a
// listed file exactly.
#include "language_fixture.h"
#include "platform/registry.h"

namespace velt_test {
namespace {

class LanguageStoredChoiceTest : public LanguageTest {
 protected:
  void SetUp() override {
    LanguageTest::SetUp();
    AddSampleFile("english.lng");
    AddSampleFile("russian.lng");
    AddSampleFile("german.lng");
  }
};

TEST_F(LanguageStoredChoiceTest, ExactNameSelectsThatFile) {
  fake::SetRegString(kSettingsKey, "LangFile", "german.lng");
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(CurrentFileName(), "german.lng");
  EXPECT_EQ(velt::LanguageId, 1031);
  EXPECT_EQ(velt::ProgramTitle, "Velt (Deutsch)");
  EXPECT_EQ(velt::GetText("asktorun"), "Velt jetzt starten?");
  EXPECT_EQ(velt::LocaleMatchIndex, 0) << "the locale match is kept as found";
  EXPECT_FALSE(velt::Registry().HasOpenKey());
  EXPECT_EQ(fake::GetRegValue(kSettingsKey, "LangFile")->data, std::string("german.lng\0", 11))
      << "never written";
}

TEST_F(LanguageStoredChoiceTest, OverridesACyrillicLocaleMatch) {
  UseLocale(1049);
  fake::SetRegString(kSettingsKey, "LangFile", "english.lng");
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(CurrentFileName(), "english.lng");
  EXPECT_EQ(velt::LanguageId, 1033);
}

TEST_F(LanguageStoredChoiceTest, NamesThatDoNotMatchExactlyLeaveTheAutomaticChoice) {
  for (const char* stored : {"German.lng", "german.lng ", "german", "french.lng", ""}) {
    SCOPED_TRACE(stored);
    velt::StartLanguage();
    fake::SetRegString(kSettingsKey, "LangFile", stored);
    ASSERT_TRUE(velt::LoadLanguage());
    EXPECT_EQ(CurrentFileName(), "english.lng");
    EXPECT_EQ(velt::LanguageId, 1033);
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(LanguageStoredChoiceTest, NonStringValueCountsAsMissing) {
  const std::string name("german.lng\0", 11);
  for (uint32_t type : {platform::kRegBinary, platform::kRegDword, platform::kRegNone}) {
    SCOPED_TRACE(type);
    velt::StartLanguage();
    fake::SetRegValue(kSettingsKey, "LangFile", type, name);
    ASSERT_TRUE(velt::LoadLanguage());
    EXPECT_EQ(CurrentFileName(), "english.lng");
    EXPECT_FALSE(velt::Registry().HasOpenKey());
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(LanguageStoredChoiceTest, ExpandableStringIsReadLikeAString) {
  fake::SetRegValue(kSettingsKey, "LangFile", platform::kRegExpandSz,
                    std::string("russian.lng\0", 12));
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(CurrentFileName(), "russian.lng");
}

TEST_F(LanguageStoredChoiceTest, MissingValueOrUnreadableRegistryKeepsTheChoice) {
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(CurrentFileName(), "english.lng");

  velt::StartLanguage();
  fake::SetRegString(kSettingsKey, "LangFile", "german.lng");
  fake::World().registry_fails = true;
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(CurrentFileName(), "english.lng");
}

}  // namespace
}  // namespace velt_test

// Start-up facts, the bilingual box, the settings key and command-line words.
#include <gtest/gtest.h>

#include "deployment/command_switches.h"
#include "platform/fake/fake_platform.h"
#include "platform/system.h"
#include "platform/text_rules.h"
#include "startup/startup_settings.h"
#include "startup/update_constants.h"
#include "sysinfo/os_description.h"

namespace {

class StartupSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { fake::ResetWorld(); }
  void TearDown() override {
    velt::EndStartupSettings();
    velt::EndSystemDescription();
  }
  void Start() {
    velt::StartSystemDescription();
    velt::StartStartupSettings();
    velt::SetBuildConstants();
    velt::SetProgramNames();
  }
};

TEST_F(StartupSettingsTest, OnlyTheSevenCyrillicLocalesCount) {
  for (uint32_t lcid : {1026u, 1049u, 1058u, 1059u, 1087u, 1092u, 2073u}) {
    EXPECT_TRUE(velt::IsCyrillicLocale(lcid)) << lcid;
  }
  // Other sublanguages and sort orders, Cyrillic Azerbaijani and Serbian, English.
  for (uint32_t lcid : {1033u, 2092u, 3098u, 0x10419u, 0x0819u + 0x400u, 0x0019u}) {
    EXPECT_FALSE(velt::IsCyrillicLocale(lcid)) << lcid;
  }
}

TEST_F(StartupSettingsTest, RussianLocaleShowsTheRussianBoxWithLanguage0x19) {
  fake::World().lcid = 1049;
  Start();
  EXPECT_EQ(velt::UserLcid, 1049u);
  EXPECT_TRUE(velt::CyrillicLocale);
  velt::ShowBilingualError("english", "russian");
  ASSERT_EQ(fake::World().boxes.size(), 1u);
  const fake::MessageBoxRecord& box = fake::World().boxes[0];
  EXPECT_TRUE(box.extended);
  EXPECT_EQ(box.text, "russian");
  EXPECT_EQ(box.caption, velt::ProgramTitle);
  EXPECT_EQ(box.style, 0x200010u);
  EXPECT_EQ(box.language, 0x0019);
}

TEST_F(StartupSettingsTest, OtherLocalesShowTheEnglishBox) {
  for (uint32_t lcid : {1033u, 2092u, 3098u}) {
    fake::ResetWorld();
    fake::World().lcid = lcid;
    Start();
    EXPECT_FALSE(velt::CyrillicLocale);
    velt::ShowBilingualError("english", "russian");
    ASSERT_EQ(fake::World().boxes.size(), 1u);
    EXPECT_FALSE(fake::World().boxes[0].extended);
    EXPECT_EQ(fake::World().boxes[0].text, "english");
    EXPECT_EQ(fake::World().boxes[0].caption, "Velt update");
    EXPECT_EQ(fake::World().boxes[0].style, 0x200010u);
    velt::EndStartupSettings();
  }
}

TEST_F(StartupSettingsTest, ProgramTitleIsWindows1251) {
  Start();
  EXPECT_EQ(velt::ProgramTitle,
            "\xCE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5 \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB "
            "\"\xC2\xE5\xEB\xFC\xF2\"");
}

TEST_F(StartupSettingsTest, FirstArgumentIsLowercasedOnlyForAsciiLetters) {
  fake::World().command_line = "\"C:\\Some Folder\\velt-update.exe\" MoDeSt RunApp";
  Start();
  EXPECT_EQ(velt::FirstArgument, "modest");
  EXPECT_EQ(velt::LowercaseArgument(2), "runapp");
  EXPECT_EQ(velt::LowercaseArgument(3), "");
  // Bytes above 127 (Cyrillic letters in Windows-1251) stay as they are.
  EXPECT_EQ(platform::AsciiLowercase("AZ\xC0\xDF"), "az\xC0\xDF");
}

TEST_F(StartupSettingsTest, NoArgumentsGiveAnEmptyFirstArgument) {
  fake::World().command_line = "velt-update.exe";
  Start();
  EXPECT_EQ(velt::FirstArgument, "");
}

TEST_F(StartupSettingsTest, CommandLineSplittingGroupsQuotesAndDropsThem) {
  using Words = std::vector<std::string>;
  EXPECT_EQ(platform::SplitCommandLine("prog"), Words{});
  EXPECT_EQ(platform::SplitCommandLine("prog   a\tb"), (Words{"a", "b"}));
  EXPECT_EQ(platform::SplitCommandLine("\"my prog\" \"two words\" x\"y z\""),
            (Words{"two words", "xy z"}));
  EXPECT_EQ(platform::SplitCommandLine("prog \"\""), (Words{""}));
  EXPECT_EQ(platform::SplitCommandLine(""), Words{});
}

TEST_F(StartupSettingsTest, SettingsKeyIsCreatedUnderTheCurrentUser) {
  Start();
  EXPECT_TRUE(velt::OpenSettingsKey());
  EXPECT_TRUE(velt::Registry().HasOpenKey());
  velt::Registry().CloseKey();
  EXPECT_TRUE(fake::RegKeyExists("HKCU\\Software\\Kolm\\Velt"));
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0);
}

TEST_F(StartupSettingsTest, RegistryFailureWhileOpeningSettingsIsNotAnError) {
  Start();
  fake::World().registry_fails = true;
  EXPECT_TRUE(velt::OpenSettingsKey());  // a key that cannot be opened raises nothing
  EXPECT_FALSE(velt::Registry().HasOpenKey());
}

TEST_F(StartupSettingsTest, RegistryViewFollowsTheSystemDescription) {
  // A 64-bit Windows 7: the description ends in " 64-bit".
  fake::World().version = {6, 1, 7601, 2, "Service Pack 1", 0, 1};
  fake::World().native_architecture = platform::kArchitectureAmd64;
  Start();
  EXPECT_TRUE(velt::Is64BitWindows);
  EXPECT_EQ(velt::Registry().Access(), 0xF013Fu);
  velt::EndStartupSettings();
  velt::EndSystemDescription();

  fake::World().native_architecture = platform::kArchitectureIntel;
  Start();
  EXPECT_FALSE(velt::Is64BitWindows);
  EXPECT_EQ(velt::Registry().Access(), 0xF003Fu);
}

TEST_F(StartupSettingsTest, RandomIsSeededFromTheCounterOrTheTickCount) {
  auto draw = [this] {
    Start();
    std::string letters;
    for (int i = 0; i < 8; ++i)
      letters += static_cast<char>('a' + velt::Random(26));
    velt::EndStartupSettings();
    velt::EndSystemDescription();
    return letters;
  };
  fake::World().performance_counter = 1;
  std::string first = draw();
  fake::World().performance_counter = 2;
  EXPECT_NE(draw(), first);
  fake::World().has_performance_counter = false;
  fake::World().tick_count = 1;
  EXPECT_EQ(draw(), first);  // the same seed gives the same letters
  for (char c : first)
    EXPECT_TRUE(c >= 'a' && c <= 'z');
}

}  // namespace

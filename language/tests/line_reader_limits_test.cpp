// Language files are read within limits: the installation folder may be
// writable by the user, and the text is shown by the elevated updater. A file
// beyond a limit, a device, a pipe or a link leading out of the folder is
// faulty, whatever keys it holds.
#include <algorithm>

#include "language/line_reader.h"
#include "language_fixture.h"

namespace velt_test {
namespace {

// How Wine reports a link to a file (as its target), and how Windows does.
constexpr uint32_t kWineFileLink = platform::kAttrArchive;
constexpr uint32_t kWindowsFileLink = platform::kAttrArchive | platform::kAttrReparsePoint;
const char kOutsideFile[] = "C:\\Users\\Anna\\planted.lng";

class LanguageLimitsTest : public LanguageTest {
 protected:
  // The sample english.lng, then lines of filler up to exactly `size` bytes.
  static std::string EnglishOfSize(size_t size) {
    std::string text = ReadSourceFile("samples/installation/language/english.lng");
    while (size - text.size() > 1000)
      text += std::string(998, '#') + "\r\n";
    return text + std::string(size - text.size(), '#');
  }

  // LoadLanguage fails and its one box calls `name` faulty.
  static void ExpectFaulty(const std::string& name) {
    EXPECT_FALSE(velt::LoadLanguage());
    ASSERT_EQ(Boxes().size(), 1u) << "one cause, one box";
    EXPECT_EQ(Boxes().back().text,
              name + " file contains errors.\r\nPlease reinstall the program.");
  }
};

TEST_F(LanguageLimitsTest, AFileOfOneMebibyteIsReadAndOneByteMoreIsFaulty) {
  AddLanguageFile("english.lng", EnglishOfSize(velt::kLanguageFileLimit));
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_EQ(velt::ProgramTitle, "Velt");
  EXPECT_TRUE(Boxes().empty());

  velt::EndLanguage();
  velt::StartLanguage();
  AddLanguageFile("english.lng", EnglishOfSize(velt::kLanguageFileLimit + 1));
  ExpectFaulty("english.lng");
}

// The keys come first; the long line after them makes the file faulty all the same.
TEST_F(LanguageLimitsTest, ALineBeyondTheLimitIsFaultyWhereverItIs) {
  const std::string keys =
      CrLfText({"[langcode]", "1033", "", "[langver]", "1", "[progname]", "E"});
  AddLanguageFile("english.lng", keys + std::string(velt::kLanguageLineLimit, 'x') + "\r\n");
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_TRUE(Boxes().empty());

  velt::EndLanguage();
  velt::StartLanguage();
  AddLanguageFile("english.lng", keys + std::string(velt::kLanguageLineLimit + 1, 'x') + "\r\n");
  ExpectFaulty("english.lng");
}

// A character device or a pipe reached under a language file's name (through
// a link, or a reserved name such as con.lng on Windows) would never end or
// would block: it is not read at all. A file that grows while it is read ends
// at the size limit.
TEST_F(LanguageLimitsTest, DevicesPipesAndEndlessFilesAreFaultyWithoutStalling) {
  const std::string valid = MinimalFile("1033", "E");
  for (uint32_t file_type : {2u, 3u, 1u}) {
    SCOPED_TRACE(file_type);
    velt::EndLanguage();
    velt::StartLanguage();
    fake::World().boxes.clear();
    AddLanguageFile("english.lng", valid);
    fake::FakeEntry* entry = fake::FindEntry(std::string(kLanguageFolder) + "english.lng");
    entry->file_type = file_type;
    entry->endless = true;
    const size_t calls_before = fake::World().faults.calls.size();
    ExpectFaulty("english.lng");
    const auto reads = std::count_if(
        fake::World().faults.calls.begin() + calls_before, fake::World().faults.calls.end(),
        [](const fake::FaultCall& call) { return call.operation == "ReadFile"; });
    if (file_type != 1)
      EXPECT_EQ(reads, 0) << "a device or pipe was read";
    else
      EXPECT_LE(reads, 3 * (1 + static_cast<int>(velt::kLanguageFileLimit / 4096)));
  }
}

// A link in the language folder may lead to any file of the machine; its text
// must not become the elevated updater's. Windows reports the link itself,
// Wine shows the target: either way the file is faulty. A link to a file of
// the same folder stays a language file. A language folder that is itself a
// link is none.
TEST_F(LanguageLimitsTest, ALinkToAFileOutsideTheFolderIsFaulty) {
  fake::AddFile(kOutsideFile, MinimalFile("1031", "Planted"));
  for (uint32_t attributes : {kWineFileLink, kWindowsFileLink}) {
    SCOPED_TRACE(attributes);
    velt::EndLanguage();
    velt::StartLanguage();
    fake::World().boxes.clear();
    AddSampleFile("english.lng");
    fake::AddLink(std::string(kLanguageFolder) + "planted.lng", kOutsideFile, attributes);
    ExpectFaulty("planted.lng");
  }

  velt::EndLanguage();
  velt::StartLanguage();
  fake::World().boxes.clear();
  AddLanguageFile("deutsch.lng", MinimalFile("1031", "Deutsch"));
  fake::AddLink(std::string(kLanguageFolder) + "planted.lng",
                std::string(kLanguageFolder) + "deutsch.lng", kWineFileLink);
  UseLocale(1031);
  ASSERT_TRUE(velt::LoadLanguage());
  EXPECT_TRUE(Boxes().empty());

  // The language folder itself a link to a folder outside, as either reports it.
  for (uint32_t attributes : {platform::kAttrReparsePoint, 0u}) {
    velt::StartLanguage();
    fake::World().boxes.clear();
    fake::World().entries.clear();
    fake::AddFile("C:\\Users\\Anna\\lang\\english.lng", MinimalFile("1033", "Planted"));
    fake::AddLink(platform::WithoutTrailingBackslash(kLanguageFolder), "C:\\Users\\Anna\\lang",
                  attributes | platform::kAttrDirectory);
    EXPECT_FALSE(velt::LoadLanguage()) << attributes;
    EXPECT_EQ(Boxes().at(0).text,
              "Can't work with no english.lng file!\r\nPlease reinstall the program.");
  }
}

}  // namespace
}  // namespace velt_test

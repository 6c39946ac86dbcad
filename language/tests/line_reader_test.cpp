// The language file's line rules: line ends, dropped CRs, the 0x1A end of text,
// header matching and blank lines.
#include "language/line_reader.h"
#include "language/header_match.h"
#include "language_fixture.h"

namespace velt_test {
namespace {

using velt::LineReader;
using velt::LineResult;

class LanguageLineRulesTest : public LanguageTest {
 protected:
  // The folder the files are opened in, C:\.
  platform::RawHandle Root() {
    if (!root_.IsValid())
      root_ = platform::OpenFolder("C:\\");
    return root_.Get();
  }

  // Every line of `data` as the reader yields it.
  std::vector<std::string> Lines(const std::string& data) {
    fake::AddFile("C:\\t.lng", data);
    LineReader reader;
    EXPECT_TRUE(velt::OpenLineReader(reader, Root(), "C:\\", "t.lng"));
    std::vector<std::string> lines;
    std::string line;
    LineResult result;
    while ((result = velt::ReadLine(reader, &line)) == LineResult::kLine)
      lines.push_back(line);
    EXPECT_EQ(result, LineResult::kEnd);
    EXPECT_EQ(velt::ReadLine(reader, &line), LineResult::kEnd) << "end stays the end";
    return lines;
  }

 private:
  platform::ScopedHandle root_;
};

using LineList = std::vector<std::string>;

TEST_F(LanguageLineRulesTest, LineEndsAndCarriageReturns) {
  EXPECT_EQ(Lines("a\nb\r\nc"), (LineList{"a", "b", "c"}));
  EXPECT_EQ(Lines("a\r\n\r\nb\r\n"), (LineList{"a", "", "b"}));
  EXPECT_EQ(Lines("lone\rcr\r\nx\r"), (LineList{"lonecr", "x"}));
  EXPECT_EQ(Lines("a\r\r\nb"), (LineList{"a", "b"}));
  EXPECT_EQ(Lines(""), LineList{});
  EXPECT_EQ(Lines("\n"), (LineList{""}));
  EXPECT_EQ(Lines("  blanks stay  \n"), (LineList{"  blanks stay  "}));
}

TEST_F(LanguageLineRulesTest, ByteOneAEndsTheText) {
  EXPECT_EQ(Lines("a\r\nb\x1A"
                  "c\r\nd\r\n"),
            (LineList{"a", "b"}));
  EXPECT_EQ(Lines("a\r\n\x1A[k]\r\nv\r\n"), (LineList{"a"}));
  EXPECT_EQ(Lines("\x1A"
                  "a"),
            LineList{});
}

TEST_F(LanguageLineRulesTest, LinesLongerThanOneReadChunk) {
  const std::string long_line(10000, 'x');
  EXPECT_EQ(Lines(long_line + "\r\n" + long_line + "y"), (LineList{long_line, long_line + "y"}));
  // A CR LF split across the chunk boundary at 4096 bytes.
  const std::string before(4095, 'a');
  EXPECT_EQ(Lines(before + "\r\nb"), (LineList{before, "b"}));
}

TEST_F(LanguageLineRulesTest, RewindStartsAgainAndFileIsSharedForReadingOnly) {
  fake::AddFile("C:\\t.lng", "one\r\ntwo\r\n");
  LineReader reader;
  ASSERT_TRUE(velt::OpenLineReader(reader, Root(), "C:\\", "t.lng"));
  std::string line;
  ASSERT_EQ(velt::ReadLine(reader, &line), LineResult::kLine);
  ASSERT_EQ(velt::ReadLine(reader, &line), LineResult::kLine);
  ASSERT_EQ(velt::ReadLine(reader, &line), LineResult::kEnd);
  ASSERT_TRUE(velt::RewindLineReader(reader));
  ASSERT_EQ(velt::ReadLine(reader, &line), LineResult::kLine);
  EXPECT_EQ(line, "one");

  EXPECT_FALSE(platform::DeleteFile("C:\\t.lng"));
  EXPECT_FALSE(platform::CreateFile("C:\\t.lng", platform::FileAccess::kWrite,
                                    platform::FileShare::kRead,
                                    platform::FileDisposition::kOpenExisting)
                   .IsValid());
  EXPECT_TRUE(platform::CreateFile("C:\\t.lng", platform::FileAccess::kRead,
                                   platform::FileShare::kRead,
                                   platform::FileDisposition::kOpenExisting)
                  .IsValid());
  velt::CloseLineReader(reader);
  EXPECT_TRUE(platform::DeleteFile("C:\\t.lng"));
}

TEST_F(LanguageLineRulesTest, ReadFailureIsReported) {
  fake::AddFile("C:\\t.lng", "one\r\n");
  LineReader reader;
  ASSERT_TRUE(velt::OpenLineReader(reader, Root(), "C:\\", "t.lng"));
  fake::World().failing.push_back("ReadFile");
  std::string line;
  EXPECT_EQ(velt::ReadLine(reader, &line), LineResult::kError);
  EXPECT_FALSE(velt::OpenLineReader(reader, Root(), "C:\\", "missing.lng"));
}

TEST_F(LanguageLineRulesTest, HeaderLinesNameKeysWithoutRegardToAsciiCase) {
  using velt::HeaderNamesKey;
  EXPECT_TRUE(HeaderNamesKey("[langver]", "langver"));
  EXPECT_TRUE(HeaderNamesKey("[LangVer]", "langver"));
  EXPECT_TRUE(HeaderNamesKey("[langver] and more words", "langver"));
  EXPECT_TRUE(HeaderNamesKey("[langver]\t \x01", "langver"));
  EXPECT_TRUE(HeaderNamesKey("[PROGNAME]", "ProgName"));
  EXPECT_FALSE(HeaderNamesKey("[langversion]", "langver"));
  EXPECT_FALSE(HeaderNamesKey(" [langver]", "langver"));
  EXPECT_FALSE(HeaderNamesKey("\t[langver]", "langver"));
  EXPECT_FALSE(HeaderNamesKey("[ langver]", "langver"));
  EXPECT_FALSE(HeaderNamesKey("[langver", "langver"));
  EXPECT_FALSE(HeaderNamesKey("langver]", "langver"));
  EXPECT_FALSE(HeaderNamesKey("", "langver"));
  // Only A-Z change case: Windows-1251 letters must match exactly.
  EXPECT_TRUE(HeaderNamesKey("[\xC0\xE1]", "\xC0\xE1"));
  EXPECT_FALSE(HeaderNamesKey("[\xE0\xE1]", "\xC0\xE1"));
}

TEST_F(LanguageLineRulesTest, BlankLinesHoldOnlyCharactersUpToSpace) {
  EXPECT_TRUE(velt::IsBlankLine(""));
  EXPECT_TRUE(velt::IsBlankLine(" \t\x01 "));
  EXPECT_FALSE(velt::IsBlankLine(" x "));
  EXPECT_FALSE(velt::IsBlankLine("\xA0"));  // a non-breaking space is above 0x20
}

}  // namespace
}  // namespace velt_test

// The message boxes on a real display: Wine's X11 driver drawing on a virtual
// X display that scripts/box-pictures.sh starts, naming a folder for the
// pictures in VELT_BOX_PICTURES. For each box of the main paths it checks what
// the null driver cannot show: a question is topmost (WS_EX_TOPMOST, read by
// this other process) and shows the question icon and Yes/No; an error shows the error icon and OK;
// the text is drawn. Each box is saved as <language>-<name>.bmp, its text area as
// <language>-<name>-text.bmp and its text as <language>-<name>.txt. The Russian
// pass (user locale 1049) runs after the English one and checks that a text
// that differs from the English one is also drawn differently.
//
// Wine 8.0's MessageBox gives no box WS_EX_TOPMOST for MB_TOPMOST (only for
// MB_SYSTEMMODAL), so whether the questions must be topmost is learnt from a
// box of the test's own with their style, and said when it is not.
#include <cstdio>
#include <string>
#include <vector>

#include "deployment/exit_codes.h"
#include "tests/common/unix_symlink.h"
#include "tests/e2e/drawn_box.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"

namespace velt::e2e {
namespace {

enum class Kind { kQuestion, kError };

// MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL | MB_TOPMOST, as the updater asks.
constexpr UINT kQuestionStyle = 0x42024;

struct ExpectedBox {
  const char* name;
  Kind kind;
};

// Whether this Wine makes a box of the questions' style topmost (asked once).
bool QuestionStyleIsTopmostHere() {
  static const int topmost = [] {
    bool seen = false;
    WithOwnBox(
        kQuestionStyle,
        [](HWND box, void* context) {
          *static_cast<bool*>(context) = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        },
        &seen);
    if (!seen) {
      std::printf("[ topmost  ] not observable: a box of style 0x%X is not topmost here\n",
                  kQuestionStyle);
    }
    return seen ? 1 : 0;
  }();
  return topmost == 1;
}

size_t VisibleCharacters(const std::wstring& text) {
  size_t visible = 0;
  for (wchar_t c : text)
    visible += c != L' ' && c != L'\r' && c != L'\n';
  return visible;
}

class RealDisplayEnvironment : public UpdateE2eTest {
 protected:
  void SetUp() override {
    pictures_ = WinePathFromEnvironment("VELT_BOX_PICTURES");
    if (pictures_.empty())
      GTEST_SKIP() << "VELT_BOX_PICTURES is not set: run scripts/box-pictures.sh";
    pictures_ += "\\";
    std::string why;
    if (!DisplayShowsWindows(&why))
      GTEST_SKIP() << "Wine's X11 driver shows nothing on this display: " << why;
    language_ = GetUserDefaultLCID() == 1049 ? "ru" : "en";
    UpdateE2eTest::SetUp();
  }
  // A fixed installation folder, C:\Kolm\Velt\, so that the pictures are the
  // same from run to run (this prefix is the real-display runs' own).
  std::string MakeRoot() override {
    const std::string root = "C:\\Kolm\\";
    RemoveTree(root);
    return CreateDirectoryA(root.c_str(), nullptr) ? root : std::string();
  }
  void TearDown() override {
    velt::test::UnixUnlink(PackagePath());  // the link of CantInstallFile, by unlink(2)
    UpdateE2eTest::TearDown();
  }

  // Runs the updater, checking and saving each box while it is shown; the
  // run must show exactly the boxes `expected`, in order.
  UpdateRun RunChecked(const std::vector<std::string>& args,
                       const std::vector<int>& answers,
                       const std::vector<ExpectedBox>& expected) {
    size_t checked = 0;
    BeforeAnswering([&](size_t index, const SeenBox& seen) {
      ASSERT_LT(index, expected.size()) << "an unexpected box: " << ToUtf8(seen.text);
      CheckDrawnBox(seen, expected[index]);
      ++checked;
    });
    UpdateRun run = RunUpdate(args, answers);
    EXPECT_EQ(run.boxes.size(), expected.size());
    EXPECT_EQ(checked, expected.size());
    return run;
  }

  void CheckDrawnBox(const SeenBox& seen, const ExpectedBox& expected) {
    SCOPED_TRACE(language_ + "-" + expected.name);
    DrawnBox drawn;
    ASSERT_TRUE(ReadDrawnBox(seen.window, 5000, &drawn)) << "the box was never drawn";
    const std::string base = pictures_ + language_ + "-" + expected.name;
    EXPECT_TRUE(WriteBmp(base + ".bmp", drawn.window));
    EXPECT_TRUE(WriteBmp(base + "-text.bmp", drawn.text));
    EXPECT_TRUE(WriteBinaryFile(base + ".txt", ToUtf8(seen.text)));
    // A drawn character has a few pixels of ink at the least.
    EXPECT_GE(drawn.text_ink, static_cast<int>(4 * VisibleCharacters(seen.text)));
    if (expected.kind == Kind::kQuestion) {
      EXPECT_EQ(seen.buttons, (std::vector<int>{IDYES, IDNO}));
      EXPECT_EQ(seen.topmost, QuestionStyleIsTopmostHere());
      EXPECT_EQ(drawn.icon, "question") << drawn.icon_mismatch << " pixels unlike it";
    } else {
      EXPECT_EQ(seen.buttons, std::vector<int>{IDOK});
      EXPECT_EQ(drawn.icon, "error") << drawn.icon_mismatch << " pixels unlike it";
    }
    if (language_ == "ru")
      CompareWithEnglish(seen, drawn, expected.name);
  }

  void CompareWithEnglish(const SeenBox& seen, const DrawnBox& drawn, const std::string& name) {
    const std::string english = pictures_ + "en-" + name;
    bool ok = false;
    const std::string english_text = ReadBinaryFile(english + ".txt", &ok);
    ASSERT_TRUE(ok) << "no English picture of " << name << ": the English pass runs first";
    const Picture english_picture = ReadBmp(english + "-text.bmp");
    ASSERT_FALSE(english_picture.empty());
    if (english_text != ToUtf8(seen.text)) {
      EXPECT_NE(CountDifferences(drawn.text, english_picture), 0)
          << "the Russian text is drawn like the English one";
    }
  }

  std::string pictures_;
  std::string language_;
};

TEST_F(RealDisplayEnvironment, InstallAndCompletionQuestions) {
  UpdateRun run =
      RunChecked({}, {IDYES, IDNO},
                 {{"install-question", Kind::kQuestion}, {"completion-question", Kind::kQuestion}});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_EQ(ReadPackage(), CarriedPackage());
}

TEST_F(RealDisplayEnvironment, OlderVersionQuestion) {
  WritePackage(PackageWithVersionByte(44));
  UpdateRun run = RunChecked({}, {IDNO}, {{"older-version-question", Kind::kQuestion}});
  EXPECT_EQ(run.exit_code, kExitOk);
}

TEST_F(RealDisplayEnvironment, NoInstallation) {
  ASSERT_TRUE(DeleteFileA((folder() + "velt.exe").c_str()));
  UpdateRun run = RunChecked({}, {IDOK}, {{"no-installation", Kind::kError}});
  EXPECT_EQ(run.exit_code, kExitNoInstallation);
}

TEST_F(RealDisplayEnvironment, MissingLanguageFile) {
  ASSERT_TRUE(DeleteFileA((folder() + "language\\english.lng").c_str()));
  UpdateRun run = RunChecked({}, {IDOK}, {{"missing-language-file", Kind::kError}});
  EXPECT_EQ(run.exit_code, kExitLanguageFailed);
}

// A link at the data file's name makes the write fail.
TEST_F(RealDisplayEnvironment, CantInstallFile) {
  const std::string target = root() + "elsewhere.cok";
  ASSERT_TRUE(WriteBinaryFile(target, "outside"));
  ASSERT_TRUE(DeleteFileA(PackagePath().c_str()));
  ASSERT_TRUE(velt::test::MakeUnixSymlink(PackagePath(), target));
  UpdateRun run = RunChecked({"modest"}, {IDOK}, {{"cant-install-file", Kind::kError}});
  EXPECT_EQ(run.exit_code, kExitInstallFailed);
}

TEST_F(RealDisplayEnvironment, DamagedInstaller) {
  const std::string damaged = WriteDamagedUpdater();
  ASSERT_FALSE(damaged.empty());
  UseUpdater(damaged);
  UpdateRun run = RunChecked({}, {IDOK}, {{"damaged-installer", Kind::kError}});
  EXPECT_EQ(run.exit_code, kExitSelfCheckFailed);
}

}  // namespace
}  // namespace velt::e2e

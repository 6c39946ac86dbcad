// An installer built with every release option changed: another data file
// (VELT_PAYLOAD), its version given (VELT_UPDATE_VERSION), another content key
// (VELT_CONTENT_KEY) and another data file name (VELT_PACKAGE_FILE_NAME). It
// names the key's text and the version in its questions and installs the
// payload under that name.
//
// The build is made by scripts/e2e-release-build.sh, which names the installer
// in VELT_RELEASE_UPDATER, the payload it carries (version 13) in
// VELT_RELEASE_PAYLOAD (Unix or Windows paths) and the data file's name in
// VELT_RELEASE_FILE_NAME; the content key is "drums", whose text the sample
// language files hold. Without them the test is skipped.
#include <cstdlib>
#include <string>

#include "deployment/exit_codes.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"

namespace velt::e2e {
namespace {

class ReleaseBuildEnvironment : public UpdateE2eTest {
 protected:
  void SetUp() override {
    updater_ = WinePathFromEnvironment("VELT_RELEASE_UPDATER");
    payload_ = WinePathFromEnvironment("VELT_RELEASE_PAYLOAD");
    const char* file_name = std::getenv("VELT_RELEASE_FILE_NAME");
    if (updater_.empty() || payload_.empty() || file_name == nullptr)
      GTEST_SKIP() << "VELT_RELEASE_* are not set: run scripts/e2e-release-build.sh";
    file_name_ = file_name;
    UsePackageFileName(file_name_);
    UpdateE2eTest::SetUp();
    ASSERT_TRUE(UseLanguageFiles(SampleLanguageFolder())) << "no sample language files";
  }

  std::string updater_;
  std::string payload_;
  std::string file_name_;
};

TEST_F(ReleaseBuildEnvironment, NamesTheKeysTextAndVersionAndInstallsTheNamedFile) {
  bool ok = false;
  const std::string payload = ReadBinaryFile(payload_, &ok);
  ASSERT_TRUE(ok) << "cannot read " << payload_;
  ASSERT_GE(payload.size(), 5u);
  ASSERT_EQ(payload[4], 32 + 13) << "the script's payload is not version 13";
  ASSERT_NE(file_name_, "vtup.cok");

  UseUpdater(updater_);
  UpdateRun run = RunUpdate({}, {IDYES, IDNO});
  EXPECT_EQ(run.exit_code, kExitOk);
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252),
            "Velt Live Update is about to install Drum sounds 13.\r\nGo ahead?");
  EXPECT_EQ(ToCodePage(run.boxes[1].text, 1252),
            "Velt Live Update (Drum sounds 13) has been installed.\r\n\r\nStart Velt now?");
  EXPECT_TRUE(ReadPackage() == payload) << PackagePath() << " is not the payload";
  EXPECT_FALSE(FileExists(folder() + "vtup.cok")) << "written under the sample's name";
  EXPECT_FALSE(NewFileLeft());
  DWORD kib = 0;
  ASSERT_TRUE(ReadEstimatedSize(&kib)) << "EstimatedSize not recorded";
  EXPECT_GE(kib, payload.size() / 1024);
  EXPECT_FALSE(run.velt_launched);
}

}  // namespace
}  // namespace velt::e2e

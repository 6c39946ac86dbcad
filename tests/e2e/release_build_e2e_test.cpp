// An installer built for another data file with the one release option
// (-DVELT_PAYLOAD=...): it takes the update's version from the payload's own
// version byte, says it in its questions and installs that payload.
//
// The build is made by scripts/e2e-release-build.sh, which names the installer
// in VELT_RELEASE_UPDATER and the payload it carries (version 12) in
// VELT_RELEASE_PAYLOAD (Unix or Windows paths); without them the test is skipped.
#include <string>

#include "startup/exit_codes.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/e2e_texts.h"

namespace velt::e2e {
namespace {

class ReleaseBuildEnvironment : public UpdateE2eTest {
 protected:
  void SetUp() override {
    updater_ = WinePathFromEnvironment("VELT_RELEASE_UPDATER");
    payload_ = WinePathFromEnvironment("VELT_RELEASE_PAYLOAD");
    if (updater_.empty() || payload_.empty())
      GTEST_SKIP() << "VELT_RELEASE_UPDATER/PAYLOAD are not set: run scripts/e2e-release-build.sh";
    UpdateE2eTest::SetUp();
  }

  std::string updater_;
  std::string payload_;
};

TEST_F(ReleaseBuildEnvironment, SaysThePayloadsVersionAndInstallsIt) {
  bool ok = false;
  const std::string payload = ReadBinaryFile(payload_, &ok);
  ASSERT_TRUE(ok) << "cannot read " << payload_;
  ASSERT_GE(payload.size(), 5u);
  ASSERT_EQ(payload[4], 32 + 12) << "the script's payload is not version 12";
  ASSERT_NE(payload, CarriedPackage());

  UseUpdater(updater_);
  UpdateRun run = RunUpdate({}, {IDYES, IDNO});
  EXPECT_EQ(run.exit_code, kExitOk);
  ASSERT_EQ(run.boxes.size(), 2u);
  EXPECT_EQ(ToCodePage(run.boxes[0].caption, 1252), kQuestionCaption);
  EXPECT_EQ(ToCodePage(run.boxes[0].text, 1252),
            "Install the Velt live update:\r\nFlute sounds 12?");
  EXPECT_EQ(ToCodePage(run.boxes[1].text, 1252),
            "Done: Velt live update (Flute sounds 12).\r\n\r\nStart Velt now?");
  EXPECT_TRUE(ReadPackage() == payload);
  EXPECT_FALSE(NewFileLeft());
  EXPECT_FALSE(run.velt_launched);
}

}  // namespace
}  // namespace velt::e2e

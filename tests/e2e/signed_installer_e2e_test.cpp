// The installer after Authenticode signing: signing rewrites the PE header
// (checksum, certificate directory) and appends the signature, so a self-check
// over the whole file would reject every signed release. The signed copy must
// update exactly as the unsigned one does.
//
// The signed copy is made by scripts/e2e-signed-installer.sh, which names it in
// VELT_SIGNED_UPDATER (a Unix path, or a Windows path); without it the test is
// skipped.
#include <cstring>
#include <string>

#include "deployment/exit_codes.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"

namespace velt::e2e {
namespace {

// The size of the certificate table named by the PE optional header of `image`;
// 0 when there is none or the image is not a PE file.
DWORD CertificateTableSize(const std::string& image) {
  if (image.size() < sizeof(IMAGE_DOS_HEADER))
    return 0;
  IMAGE_DOS_HEADER dos;
  std::memcpy(&dos, image.data(), sizeof(dos));
  const size_t at = static_cast<size_t>(dos.e_lfanew);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || at + sizeof(IMAGE_NT_HEADERS32) > image.size())
    return 0;
  IMAGE_NT_HEADERS32 nt;  // the product is a PE32 image
  std::memcpy(&nt, image.data() + at, sizeof(nt));
  if (nt.Signature != IMAGE_NT_SIGNATURE ||
      nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    return 0;
  }
  return nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY].Size;
}

class SignedInstallerEnvironment : public UpdateE2eTest {
 protected:
  void SetUp() override {
    signed_exe_ = WinePathFromEnvironment("VELT_SIGNED_UPDATER");
    if (signed_exe_.empty())
      GTEST_SKIP() << "VELT_SIGNED_UPDATER is not set: run scripts/e2e-signed-installer.sh";
    UpdateE2eTest::SetUp();
  }

  std::string signed_exe_;
};

TEST_F(SignedInstallerEnvironment, SignedCopyWritesTheCarriedPackage) {
  bool ok = false;
  const std::string image = ReadBinaryFile(signed_exe_, &ok);
  ASSERT_TRUE(ok) << "cannot read " << signed_exe_;
  ASSERT_GT(CertificateTableSize(image), 0u) << signed_exe_ << " carries no signature";
  ASSERT_NE(image, ReadBinaryFile(UpdaterPath()));

  UseUpdater(signed_exe_);
  UpdateRun run = RunUpdate({"modest"}, {});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_TRUE(run.boxes.empty()) << (run.boxes.empty() ? "" : ToUtf8(run.boxes[0].text));
  EXPECT_TRUE(ReadPackage() == CarriedPackage());
  EXPECT_FALSE(NewFileLeft());
}

}  // namespace
}  // namespace velt::e2e

// The updater downloaded into a folder where an unelevated program planted
// DLLs under the names of system DLLs: none of them may ever be loaded into the
// elevated process, whether it shows boxes or runs silently.
#include <string>
#include <vector>

#include "deployment/exit_codes.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_harness.h"

namespace velt::e2e {
namespace {

// System DLLs the updater or the DLLs it uses load, directly or not.
const char* const kPlantedNames[] = {
    "version",  "shcore",  "imm32",    "bcrypt",  "crypt32",  "shlwapi",   "gdi32",
    "sechost",  "zlib1",   "rsaenh",   "uxtheme", "ole32",    "oleaut32",  "msimg32",
    "comctl32", "win32u",  "user32",   "shell32", "rpcrt4",   "combase",   "propsys",
    "dwmapi",   "userenv", "advapi32", "msvcrt",  "ucrtbase", "kernelbase"};

class DllPlantingE2eTest : public UpdateE2eTest {
 protected:
  void SetUp() override {
    UpdateE2eTest::SetUp();
    downloads_ = root() + "downloads\\";
    ASSERT_TRUE(CreateDirectoryA(downloads_.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(UpdaterPath().c_str(), (downloads_ + "velt-update.exe").c_str(), FALSE));
    const std::string planted = ToWinePath(VELT_TOOLS_DIR "/planted.dll");
    for (const char* name : kPlantedNames) {
      ASSERT_TRUE(CopyFileA(planted.c_str(), (downloads_ + name + ".dll").c_str(), FALSE))
          << planted;
    }
    UseUpdater(downloads_ + "velt-update.exe");
  }
  std::vector<std::string> LoadedMarks() const {
    std::vector<std::string> marks;
    for (const char* name : kPlantedNames) {
      if (FileExists(downloads_ + name + ".dll.loaded"))
        marks.push_back(name);
    }
    return marks;
  }

  std::string downloads_;
};

TEST_F(DllPlantingE2eTest, NoPlantedDllLoadsInAnInteractiveRun) {
  UpdateRun run = RunUpdate({}, {IDYES, IDNO});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_EQ(run.boxes.size(), 2u);
  EXPECT_TRUE(ReadPackage() == CarriedPackage());
  EXPECT_TRUE(LoadedMarks().empty()) << "loaded: " << LoadedMarks().front() << ".dll";
}

TEST_F(DllPlantingE2eTest, NoPlantedDllLoadsInASilentRunThatStartsVelt) {
  UpdateRun run = RunUpdate({"modest", "runapp"}, {});
  EXPECT_EQ(run.exit_code, kExitOk);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_TRUE(run.velt_launched);
  EXPECT_TRUE(LoadedMarks().empty()) << "loaded: " << LoadedMarks().front() << ".dll";
}

// The planted DLL itself works: loaded by a program that searches its own
// folder, it leaves its mark.
TEST_F(DllPlantingE2eTest, ThePlantedDllMarksItsLoading) {
  HMODULE module = LoadLibraryA((downloads_ + "shcore.dll").c_str());
  ASSERT_NE(module, nullptr);
  FreeLibrary(module);
  EXPECT_EQ(LoadedMarks(), std::vector<std::string>{"shcore"});
}

}  // namespace
}  // namespace velt::e2e

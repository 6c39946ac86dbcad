// A value of type REG_NONE exists: where a string is read, it is a value of the
// wrong type like any other (the error each reader reports for such values),
// not a missing one. "LangFile" is the exception by choice: a stored language
// choice that is not a string counts as no choice.
#include "driver/program.h"
#include "driver/tests/update_fixture.h"

namespace velt_test {
namespace {

class RegNoneValueTest : public UpdateTest {
 protected:
  static void SetNone(const std::string& key, const std::string& name) {
    fake::SetRegValue(key, name, platform::kRegNone, "");
  }
  // The whole program, its top-level report included.
  static int RunProgram() {
    fake::World().command_line = "velt-update.exe modest";
    return velt::RunProgram();
  }
};

TEST_F(RegNoneValueTest, StringValuesOfTypeNoneAreErrors) {
  struct Case {
    const char* key;
    const char* name;
    int exit_code;
  } cases[] = {
      {"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Desktop",
       velt::kExitNoRegistryAccess},
      {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
       velt::kExitUncaughtError},
      {kUninstallKey, "UninstallString", velt::kExitUncaughtError},
      {kSettingsKey, "TheLastRunFolder", velt::kExitUncaughtError},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    SetNone(c.key, c.name);
    EXPECT_EQ(RunProgram(), c.exit_code);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Package(), PackageWithVersionByte(42));
  }
}

TEST_F(RegNoneValueTest, LangFileOfTypeNoneIsNoChoice) {
  SetNone(kSettingsKey, "LangFile");
  EXPECT_EQ(RunProgram(), velt::kExitOk);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(Package() == BuiltPayload());
}

}  // namespace
}  // namespace velt_test

// Named mappings, child processes and their output, waits, the shell,
// elevation, the tokens a program is started with and what they tell.
#include <cstdint>
#include <string>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

class ProcessContract : public ContractTest {
 protected:
  static std::string Interpreter() { return platform::GetSystemDirectory() + "\\cmd.exe"; }
};

// As the system's description is taken: the console's output comes through a
// pipe whose write end alone the child inherits.
TEST_F(ProcessContract, ACommandInAHiddenConsoleWritesToAnInheritedPipe) {
  platform::ScopedHandle reader;
  platform::ScopedHandle writer;
  ASSERT_TRUE(platform::CreateOutputPipe(&reader, &writer));
  EXPECT_TRUE(HandleInheritable(writer.Get()));
  EXPECT_FALSE(HandleInheritable(reader.Get()));

  platform::ProcessInfo info;
  const std::string interpreter = Interpreter();
  ASSERT_TRUE(platform::CreateProcess(
      interpreter, "\"" + interpreter + "\" /c ver", platform::GetSystemDirectory(),
      platform::kCreateNewConsole | platform::kCreateNewProcessGroup, platform::kSwHide,
      writer.Get(), &info))
      << platform::GetLastError();
  writer.Reset();
  std::string output;
  char buffer[512];
  uint32_t read = 0;
  while (platform::ReadFile(reader.Get(), buffer, sizeof(buffer), &read) && read > 0)
    output.append(buffer, read);
  EXPECT_EQ(platform::WaitForSingleObject(info.process.Get(), 30000), 0u);
  EXPECT_EQ(ProcessExitCode(info.process.Get()), 0u);
  EXPECT_NE(output.find("Windows"), std::string::npos) << output;
}

TEST_F(ProcessContract, ExitCodesComeBackAndAMissingProgramStartsNothing) {
  platform::ProcessInfo info;
  ASSERT_TRUE(platform::CreateProcess(Interpreter(), "cmd.exe /c exit 7", "", 0, platform::kSwHide,
                                      nullptr, &info));
  EXPECT_EQ(platform::WaitForSingleObject(info.process.Get(), platform::kInfinite), 0u);
  EXPECT_EQ(ProcessExitCode(info.process.Get()), 7u);

  platform::ProcessInfo missing;
  EXPECT_FALSE(platform::CreateProcess(Joined(NewFolder(), "velt_no_such_program.exe"), "x", "", 0,
                                       platform::kSwHide, nullptr, &missing));
  EXPECT_EQ(platform::GetLastError(), platform::kErrorFileNotFound);
  EXPECT_FALSE(missing.process.IsValid());
  EXPECT_FALSE(missing.thread.IsValid());
}

TEST_F(ProcessContract, AWaitTimesOutUntilTheObjectIsSignalled) {
  void* event = NewEvent();
  EXPECT_EQ(platform::WaitForSingleObject(event, 20), 0x102u);  // WAIT_TIMEOUT
  SignalEvent(event);
  EXPECT_EQ(platform::WaitForSingleObject(event, 0), 0u);
  EXPECT_EQ(platform::WaitForSingleObject(nullptr, 0), platform::kWaitFailed);
}

// The shell's answer is a number: above 32 it started the program.
TEST_F(ProcessContract, TheShellReportsSuccessAboveThirtyTwoAndFailureBelow) {
  EXPECT_LE(platform::ShellExecute("open", Joined(NewFolder(), "velt.exe"), "", "",
                                   platform::kSwShowNormal),
            32);
  EXPECT_GT(platform::ShellExecute("open", "cmd.exe", "/c exit 0", "", platform::kSwHide), 32);
}

TEST_F(ProcessContract, ASecondMappingOfTheSameNameReportsAlreadyExists) {
  const std::string name = ObjectName("velt_contract_memfile");
  uint32_t error = 99;
  {
    platform::ScopedHandle first = platform::CreateFileMapping(name, 4096, &error);
    ASSERT_TRUE(first.IsValid());
    EXPECT_EQ(error, platform::kErrorSuccess);
    platform::ScopedHandle second = platform::CreateFileMapping(name, 4096, &error);
    EXPECT_TRUE(second.IsValid());
    EXPECT_EQ(error, platform::kErrorAlreadyExists);
  }
  // Once every handle is closed the name is free again.
  platform::ScopedHandle again = platform::CreateFileMapping(name, 4096, &error);
  EXPECT_TRUE(again.IsValid());
  EXPECT_EQ(error, platform::kErrorSuccess);
}

// The suite runs as the updater does, carrying its manifest, which requires an
// administrator: above its user's ordinary rights, with the unelevated half
// linked (as Windows with UAC on runs it, and both Wines; the kinds without a
// split only the fake's other worlds show). It can take another process's
// token to start a program as that user: the token it takes speaks for that
// process's user, unelevated as that process runs, not for this elevated one.
TEST_F(ProcessContract, ATokenForLaunchIsTakenFromAnotherProcess) {
  EXPECT_EQ(platform::GetProcessElevation(), platform::Elevation::kSplit);
  EXPECT_TRUE(platform::IsUserAnAdmin());
  const uint32_t other = ProcessWithToken();
  ASSERT_NE(other, 0u);
  platform::ScopedHandle token = platform::OpenProcessTokenForLaunch(other);
  ASSERT_TRUE(token.IsValid()) << platform::GetLastError();
  const std::string holder = TokenHolder(token.Get());
  EXPECT_EQ(holder, ProcessTokenHolder(other));
  EXPECT_NE(holder.find(", not elevated"), std::string::npos) << holder;
  EXPECT_EQ(OwnTokenHolder().find(", not elevated"), std::string::npos) << OwnTokenHolder();
}

// The log's starter is examined by its id: its creation time tells it from a
// newer process given the id after it ended, and its own token is checked. A
// process this test starts was created after this one; this one's parent
// before it.
TEST_F(ProcessContract, AProcessIsExaminedByItsIdItsCreationTimeAndItsToken) {
  uint64_t own = 0;
  ASSERT_TRUE(platform::GetProcessCreationTime(platform::CurrentProcess(), &own));
  const uint32_t other = ProcessWithToken();
  platform::ScopedHandle process = platform::OpenProcessToExamine(other);
  ASSERT_TRUE(process.IsValid()) << platform::GetLastError();
  uint64_t created = 0;
  ASSERT_TRUE(platform::GetProcessCreationTime(process.Get(), &created));
  EXPECT_GE(created, own);
  platform::ScopedHandle token = platform::OpenProcessTokenToCheck(process.Get());
  ASSERT_TRUE(token.IsValid()) << platform::GetLastError();
  EXPECT_EQ(TokenHolder(token.Get()), ProcessTokenHolder(other));
  EXPECT_FALSE(platform::OpenProcessToExamine(0xFFFFFFF0u).IsValid());
  EXPECT_EQ(platform::GetLastError(), 87u);  // ERROR_INVALID_PARAMETER

  const uint32_t parent = platform::GetParentProcessId();
  EXPECT_NE(parent, OwnProcessId());
  if (parent == 0 && WineDiffers("a program started from Unix has no parent: its parent's id is 0"))
    return;
  platform::ScopedHandle started_this = platform::OpenProcessToExamine(parent);
  ASSERT_TRUE(started_this.IsValid()) << parent << ": " << platform::GetLastError();
  ASSERT_TRUE(platform::GetProcessCreationTime(started_this.Get(), &created));
  EXPECT_LE(created, own);
}

// A program started with another process's token gets that user's
// environment, as a logon makes it, not this process's.
TEST_F(ProcessContract, AnEnvironmentBlockIsTheTokensUsersNotThisProcesss) {
  SetEnvironment("VELT_CONTRACT_STARTER", "this process only");
  platform::ScopedHandle token = platform::OpenProcessTokenForLaunch(ProcessWithToken());
  platform::ScopedEnvironmentBlock block = platform::CreateEnvironmentBlock(token.Get());
  ASSERT_TRUE(block.IsValid()) << platform::GetLastError();
  std::string names;
  for (const std::string& variable : EnvironmentBlockVariables(block.Get()))
    names.append(" ").append(platform::AsciiUppercase(variable.substr(0, variable.find('=') + 1)));
  EXPECT_EQ(names.find(" VELT_CONTRACT_STARTER="), std::string::npos) << names;
  EXPECT_NE(names.find(" USERPROFILE="), std::string::npos) << names;
}

TEST_F(ProcessContract, NoProcessGivesNoToken) {
  for (uint32_t id : {0u, 0xFFFFFFF0u}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(platform::OpenProcessTokenForLaunch(id).IsValid());
    EXPECT_EQ(platform::GetLastError(), 87u);  // ERROR_INVALID_PARAMETER
  }
}

// This process's token: elevated, of its user, in the console's session; its
// linked half is its user's ordinary one. Windows labels the halves high and
// medium integrity.
TEST_F(ProcessContract, TheOwnTokenAndItsLinkedHalfAreTold) {
  platform::ScopedHandle own = platform::OpenOwnToken();
  platform::TokenFacts facts;
  ASSERT_TRUE(platform::GetTokenFacts(own.Get(), &facts)) << platform::GetLastError();
  EXPECT_EQ(facts.user.compare(0, 8, "S-1-5-21"), 0) << facts.user;
  EXPECT_TRUE(facts.elevated);
  EXPECT_EQ(facts.integrity, platform::kHighIntegrity);
  EXPECT_EQ(facts.session, platform::GetActiveConsoleSessionId());

  platform::TokenFacts linked;
  ASSERT_TRUE(platform::GetTokenFacts(platform::GetLinkedToken(own.Get()).Get(), &linked));
  EXPECT_EQ(linked.user, facts.user);
  EXPECT_EQ(linked.session, facts.session);
  EXPECT_FALSE(linked.elevated);
  if (WineDiffers("every token is labelled high integrity, the unelevated half too"))
    EXPECT_EQ(linked.integrity, platform::kHighIntegrity);
  else
    EXPECT_EQ(linked.integrity, platform::kMediumIntegrity);

  platform::TokenFacts other;
  ASSERT_TRUE(platform::GetTokenFacts(platform::OpenProcessTokenForLaunch(ProcessWithToken()).Get(),
                                      &other));
  EXPECT_EQ(other.user, facts.user);
  platform::TokenFacts untouched{"untouched", 7, false, 0};
  EXPECT_FALSE(platform::GetTokenFacts(nullptr, &untouched));
  EXPECT_EQ(untouched.user, "untouched");
  EXPECT_EQ(untouched.session, 7u);
}

// Only SYSTEM (with the TCB privilege) may take the token of the user logged
// on at the console.
TEST_F(ProcessContract, OnlySystemMayTakeTheConsoleUsersToken) {
  const uint32_t session = platform::GetActiveConsoleSessionId();
  ASSERT_NE(session, platform::kNoSession);
  platform::ScopedHandle token = platform::QueryUserToken(session);
  if (WineDiffers("WTSQueryUserToken hands any program the console user's token, elevated as "
                  "that program runs")) {
    platform::TokenFacts facts;
    ASSERT_TRUE(platform::GetTokenFacts(token.Get(), &facts));
    EXPECT_EQ(TokenHolder(token.Get()), OwnTokenHolder());
    EXPECT_EQ(facts.session, session);
  } else {
    EXPECT_FALSE(token.IsValid());
    EXPECT_EQ(platform::GetLastError(), 1314u);  // ERROR_PRIVILEGE_NOT_HELD
  }
}

}  // namespace
}  // namespace velt::contract

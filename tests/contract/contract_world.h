// The contract suite: one set of tests per platform/*.h area, compiled twice,
// over the in-memory fake (native unit tests) and over Win32 (the Windows-side
// tests, under Wine). Both must behave as Windows does; where Wine is known to
// differ, the test says so through WineDiffers and checks Wine's behaviour.
//
// This header declares what a test arranges that the platform's own interface
// cannot: scratch folders, keys and drives, attributes, links, the
// environment, and the machine the fake has to be told about (a 32-bit process
// on 64-bit Windows 7 SP1, elevated, an administrator, as Wine presents it).
// Each test binary links one implementation (fake/ or win32/).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/text_rules.h"

namespace velt::contract {

// Starts a test on a fresh world; EndTest removes what it made.
void BeginTest();
void EndTest();

// The Wine releases a difference was seen in, by major version: 8.0 and 10.0
// are measured; a release before 10 counts as 8, one after as 10.
struct WineReleases {
  int first;
  int last;
};
inline constexpr WineReleases kEveryWine{0, 1 << 30};
inline constexpr WineReleases kBeforeWine10{0, 9};
inline constexpr WineReleases kFromWine10{10, 1 << 30};

// False over the fake, on Windows and under a Wine outside `releases`. Under
// Wine in `releases` it prints "[ wine differs ] Wine <version>: <difference>"
// and returns true: the caller then checks that Wine's behaviour instead of
// the Windows one it states.
bool WineDiffers(const std::string& difference, WineReleases releases = kEveryWine);

// A new empty folder with a trailing backslash, removed at the end.
std::string NewFolder();
// The system drive's root, "C:\".
std::string SystemRoot();
// A name at the system drive's root that nothing has; whatever the test puts
// there is removed at the end.
std::string NewNameAtSystemRoot();
// The root ("X:\") of a drive letter of its own, mapped to a new empty folder
// for this test; empty when no letter can be mapped.
std::string NewDrive();
// A new empty folder (trailing backslash) that no drive letter reaches, as on
// a volume without one or one the mount manager does not know; empty where a
// test cannot make one (on Windows it would need a volume of its own).
std::string NewFolderNoDriveReaches();

// Arranging and inspecting files without the platform under test.
void PutFile(const std::string& path, const std::string& bytes);
void PutFolder(const std::string& path);
// The whole file; "<missing>" when it cannot be read.
std::string FileBytes(const std::string& path);
bool PathExists(const std::string& path);
void SetAttributes(const std::string& path, uint32_t attributes);
// The short (8.3) spelling of the existing `path` (GetShortPathNameA); the
// fake's world is given one for the path's last name.
std::string ShortPath(const std::string& path);
// A symbolic link at `link` to `target` (which need not exist), as an
// unelevated user could plant it; `folder` when the target is a folder.
bool MakeLink(const std::string& link, const std::string& target, bool folder);
// A hard link at `link` to the file `existing` (CreateHardLinkA).
bool MakeHardLink(const std::string& link, const std::string& existing);

// A key path below Software ("Software\VeltContract\<unique>"), deleted at the
// end from HKCU and from both views of HKLM.
std::string NewKeyPath();
// Sets (or with `value` null removes) an environment variable of this process.
void SetEnvironment(const std::string& name, const char* value);
// Another process, whose token the program may take to start a program as its
// user: the fake's desktop shell; under Win32 a child this test starts
// suspended, with this user's unelevated token where there is one (as a
// desktop shell runs), ended with the test.
uint32_t ProcessWithToken();
// Whom a token speaks for, as "<user's SID>, elevated" or "..., not elevated":
// of a token the program took, of the process ProcessWithToken named (read
// through that process itself), and of this process.
std::string TokenHolder(void* token);
std::string ProcessTokenHolder(uint32_t process_id);
std::string OwnTokenHolder();
// This process's id.
uint32_t OwnProcessId();
// The variables of an environment block (CreateEnvironmentBlock's), each as
// "NAME=value".
std::vector<std::string> EnvironmentBlockVariables(void* block);

// A kernel object made under `name` ("Global\\...") by a program of this
// user before the guard: an event, or a mutex with default security (whose
// owner is what the maker's token gives). Closed at the end.
enum class Squatter { kEvent, kMutexOfDefaultSecurity };
void MakeSquatter(const std::string& name, Squatter kind);
// The owner and access list of a kernel object opened with READ_CONTROL, in
// the access lists' text form with generic rights: "O:BAD:P(A;;GA;;;BA)".
std::string KernelObjectSecurity(void* object);
// Runs `action` on this thread impersonating a token like this process's
// whose Administrators group is for denying only, as an unelevated
// administrator's programs run.
void AsUnelevated(const std::function<void()>& action);

// A hidden top-level window of the class `class_name`, as the installed
// program's main window; destroyed at the end unless DestroyTestWindow was.
void* NewWindow(const std::string& class_name);
void DestroyTestWindow(void* window);
// The first message posted to `window` and not yet taken, as
// "<message> <wparam> <lparam>" in decimal; empty when there is none.
std::string TakePostedMessage(void* window);
// The next message boxes of this process are answered with `buttons`
// (kIdYes, kIdNo, kIdOk), one a box in order, as a user presses them: by the
// fake's world, under Win32 by a thread of the test that finds each box.
void AnswerBoxes(const std::vector<int>& buttons);
// The boxes answered so far, each as "<caption>: <text> [<buttons' ids>]".
std::vector<std::string> AnsweredBoxes();

// What the platform's interface does not ask of handles and processes:
// whether a child started with inheritance inherits `handle`, and the code a
// process the test started ended with. A command of the system's interpreter
// ("cmd.exe /c ver", "cmd.exe /c exit <n>") runs as Windows runs it; the
// fake's world knows these two.
bool HandleInheritable(void* handle);
uint32_t ProcessExitCode(void* process);
// An event that no one has signalled, closed at the end; SignalEvent signals it.
void* NewEvent();
void SignalEvent(void* event);
// Another program moves `from` to `to`, or removes the empty folder `folder`,
// by its name; false when the system refuses.
bool MovedByAnotherProgram(const std::string& from, const std::string& to);
bool RemovedByAnotherProgram(const std::string& folder);
// The high-resolution counter's counts a second.
int64_t CounterFrequency();
// A Russian system (the user's locale 1049, code pages 1251 and 866): the
// fake's world is told so and true comes back; under Win32 the locale is the
// one Wine was started in, and true only when that is Russian
// (LANG=ru_RU.UTF-8).
bool RussianSystem();

// The resource VELTTEST of type COK in Russian, not the neutral language,
// holding "vtup\x2A\0payload": compiled into the Win32 test binary
// (win32/resources_contract_test.rc), put in the fake's world.
void CarryTestResource();

// Paths compare without regard to case: the fake keeps them lowercase.
inline std::string Lower(const std::string& text) {
  return platform::AsciiLowercase(text);
}
// A kernel object's name of `stem` that no other test uses.
inline std::string ObjectName(const std::string& stem) {
  return stem + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
}
// `folder` and `name` joined by exactly one backslash.
inline std::string Joined(const std::string& folder, const std::string& name) {
  return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

class ContractTest : public ::testing::Test {
 protected:
  void SetUp() override { BeginTest(); }
  void TearDown() override { EndTest(); }
};

}  // namespace velt::contract

// Processes, named file mappings and the shell.
#pragma once

#include <cstdint>
#include <string>

#include "platform/handles.h"

namespace platform {

constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;
constexpr uint32_t kCreateNewConsole = 0x10;
constexpr uint32_t kCreateNewProcessGroup = 0x200;
constexpr uint32_t kInfinite = 0xFFFFFFFF;
constexpr uint32_t kWaitFailed = 0xFFFFFFFF;

// CreateFileMappingA backed by the paging file, default security, PAGE_READWRITE.
// `*last_error` receives GetLastError right after the call.
ScopedHandle CreateFileMapping(const std::string& name,
                               uint32_t maximum_size,
                               uint32_t* last_error);

// ShellExecuteA with no owner window; returns its result.
intptr_t ShellExecute(const std::string& verb,
                      const std::string& file,
                      const std::string& parameters,
                      const std::string& directory,
                      int show);

struct ProcessInfo {
  ScopedHandle process;
  ScopedHandle thread;
};
// CreatePipe: an anonymous pipe whose write end a child can inherit (as its
// standard output) and whose read end it cannot. False when it cannot be made;
// the out-parameters are then untouched.
bool CreateOutputPipe(ScopedHandle* read_end, ScopedHandle* write_end);
// CreateProcessA of the program `application` (a full path: nothing is
// searched for) with `command_line`, the caller's environment, `directory` as
// its working directory (empty: the caller's), STARTF_USESHOWWINDOW with
// `show_window`. With a valid `std_output` the child
// writes its standard output there (STARTF_USESTDHANDLES; inheritable handles
// are inherited); otherwise no handle is inherited.
bool CreateProcess(const std::string& application,
                   const std::string& command_line,
                   const std::string& directory,
                   uint32_t creation_flags,
                   int show_window,
                   RawHandle std_output,
                   ProcessInfo* info);
// WaitForSingleObject.
uint32_t WaitForSingleObject(RawHandle handle, uint32_t milliseconds);

// How this process's rights stand to its user's ordinary rights.
enum class Elevation {
  // No more than the user's own: not elevated, or elevated without a linked
  // token (UAC off, the built-in administrator, Windows before Vista).
  kNone,
  // Elevated above the user's ordinary rights, which a linked token holds.
  kSplit,
  // The token cannot be examined.
  kUnknown,
};
// This process's elevation (TokenElevationType).
Elevation GetProcessElevation();
// The id of the desktop shell's process (GetShellWindow, then
// GetWindowThreadProcessId); 0 when there is no shell window.
uint32_t GetShellProcessId();
// The token of process `process_id`, duplicated as a primary token to start a
// program with; invalid when it cannot be had.
ScopedHandle OpenProcessTokenForLaunch(uint32_t process_id);
// DestroyEnvironmentBlock of a block CreateEnvironmentBlock made.
bool DestroyEnvironmentBlock(RawHandle block);
struct EnvironmentBlockTraits : RawHandleTraits {
  static void Close(RawHandle block) { DestroyEnvironmentBlock(block); }
};
using ScopedEnvironmentBlock = ScopedGeneric<EnvironmentBlockTraits>;
// CreateEnvironmentBlock (userenv.dll, loaded from the system folder) of
// `token`, inheriting nothing of this process's: the variables a logon of the
// token's user gives (the system's and the user's own, its profile folders
// and TEMP), in UTF-16. Invalid when it cannot be made.
ScopedEnvironmentBlock CreateEnvironmentBlock(RawHandle token);
// Starts `application` with `token`, as the token's user, on the interactive
// desktop "winsta0\\default" of the token's session, with no parameters (its
// command line is the quoted path) in `directory` and with the environment
// block `environment` (CreateEnvironmentBlock's): CreateProcessAsUserA, or
// CreateProcessWithTokenW where this process lacks the privilege for the
// former. Does not wait.
bool CreateProcessWithToken(RawHandle token,
                            const std::string& application,
                            const std::string& directory,
                            int show_window,
                            RawHandle environment);

// What decides whether a token may start a program for the desktop's user.
struct TokenFacts {
  std::string user;      // TokenUser's SID as text ("S-1-5-18")
  uint32_t session = 0;  // TokenSessionId
  // TokenElevationType is Full, or TokenElevation says elevated. False where
  // the system knows no elevation (before Windows Vista).
  bool elevated = false;
  // The last RID of TokenIntegrityLevel's label (kMediumIntegrity...); 0 where
  // the system knows no integrity levels (before Windows Vista).
  uint32_t integrity = 0;
};
constexpr uint32_t kMediumIntegrity = 0x2000;
constexpr uint32_t kHighIntegrity = 0x3000;
constexpr uint32_t kSystemIntegrity = 0x4000;
// GetTokenInformation of `token` (opened with TOKEN_QUERY). False when any of
// it cannot be had; `*facts` is then untouched.
bool GetTokenFacts(RawHandle token, TokenFacts* facts);
// This process's own token, to examine (TOKEN_QUERY); invalid on failure.
ScopedHandle OpenOwnToken();
// TokenLinkedToken: the other half of a split token (of an elevated token its
// unelevated one), as a primary token where this process may have one (with
// the TCB privilege, as SYSTEM), else as the system hands it out, good to
// examine. Invalid when the token has no linked token.
ScopedHandle GetLinkedToken(RawHandle token);

// The process that started this one (NtQueryInformationProcess's
// InheritedFromUniqueProcessId; under UAC, the process that asked for the
// elevation). 0 when it cannot be had. The process may have ended and its id
// been given to a newer one: compare their creation times.
uint32_t GetParentProcessId();
// OpenProcess with PROCESS_QUERY_LIMITED_INFORMATION (PROCESS_QUERY_INFORMATION
// where the system has no such right): to read its times and open its token.
// Invalid on failure (ERROR_INVALID_PARAMETER: no process has the id).
ScopedHandle OpenProcessToExamine(uint32_t process_id);
// GetCurrentProcess's pseudo-handle: this process, never closed.
inline RawHandle CurrentProcess() {
  return InvalidHandleValue();
}
// GetProcessTimes: when `process` was created, in 100 ns units since 1601.
// False when it cannot be had; `*created` is then untouched.
bool GetProcessCreationTime(RawHandle process, uint64_t* created);
// OpenProcessToken of an open process with TOKEN_QUERY and TOKEN_DUPLICATE:
// to examine (GetTokenFacts) and to check access with (CheckTokenAccess).
// Invalid on failure.
ScopedHandle OpenProcessTokenToCheck(RawHandle process);

constexpr uint32_t kNoSession = 0xFFFFFFFF;
// WTSGetActiveConsoleSessionId: the session at the physical console;
// kNoSession when none is attached to it.
uint32_t GetActiveConsoleSessionId();
// WTSQueryUserToken (wtsapi32, loaded from the system folder): the primary
// token of the user logged on in `session`. Invalid when nobody is logged on
// there, or this process may not ask (it needs the TCB privilege: SYSTEM).
ScopedHandle QueryUserToken(uint32_t session);

}  // namespace platform

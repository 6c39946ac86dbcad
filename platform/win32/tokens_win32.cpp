// Tokens examined before a program is started with them, and the token of the
// user at the console.
#include <utility>

#include "platform/process.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_api.h"

// After <windows.h>, which it needs.
#include <sddl.h>

namespace platform {
namespace {

// The access a token to start a program with needs (DuplicateTokenEx), and
// CreateEnvironmentBlock of it (query, impersonate, duplicate).
constexpr DWORD kLaunchTokenAccess = TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY |
                                     TOKEN_ADJUST_DEFAULT | TOKEN_ADJUST_SESSIONID |
                                     TOKEN_IMPERSONATE;

// GetTokenInformation of a fixed-size class. A class the system does not know
// (before Windows Vista: ERROR_INVALID_PARAMETER) leaves `*value` as it was.
bool QueryToken(HANDLE token, TOKEN_INFORMATION_CLASS information_class, DWORD* value) {
  DWORD size = 0;
  return ::GetTokenInformation(token, information_class, value, sizeof(*value), &size) ||
         ::GetLastError() == ERROR_INVALID_PARAMETER;
}

// A primary copy of `token` to start a program with; null where it cannot be
// made (an identification token, without the TCB privilege).
HANDLE PrimaryCopy(HANDLE token) {
  HANDLE primary = nullptr;
  return ::DuplicateTokenEx(token, kLaunchTokenAccess, nullptr, SecurityImpersonation, TokenPrimary,
                            &primary)
             ? primary
             : nullptr;
}

// The SID's last sub-authority: a label's RID.
uint32_t LastRid(PSID sid) {
  const UCHAR count = *::GetSidSubAuthorityCount(sid);
  return count == 0 ? 0 : *::GetSidSubAuthority(sid, count - 1);
}

}  // namespace

bool GetTokenFacts(RawHandle token, TokenFacts* facts) {
  // TOKEN_USER and TOKEN_MANDATORY_LABEL: a pointer and a SID of at most 68 bytes.
  union {
    TOKEN_USER user;
    TOKEN_MANDATORY_LABEL label;
    BYTE bytes[128];
  } record;
  DWORD size = 0;
  if (!::GetTokenInformation(token, TokenUser, &record, sizeof(record), &size))
    return false;
  char* sid_text = nullptr;
  if (!::ConvertSidToStringSidA(record.user.User.Sid, &sid_text))
    return false;
  TokenFacts found;
  found.user = sid_text;
  ::LocalFree(sid_text);
  // TOKEN_ELEVATION_TYPE and TOKEN_ELEVATION are one DWORD each.
  DWORD session = kNoSession;
  DWORD type = TokenElevationTypeDefault;
  DWORD elevated = 0;
  if (!QueryToken(token, TokenSessionId, &session) || session == kNoSession ||
      !QueryToken(token, TokenElevationType, &type) ||
      !QueryToken(token, TokenElevation, &elevated)) {
    return false;
  }
  found.session = session;
  found.elevated = type == TokenElevationTypeFull || elevated != 0;
  if (::GetTokenInformation(token, TokenIntegrityLevel, &record, sizeof(record), &size))
    found.integrity = LastRid(record.label.Label.Sid);
  else if (::GetLastError() != ERROR_INVALID_PARAMETER)
    return false;
  *facts = found;
  return true;
}

ScopedHandle OpenProcessTokenForLaunch(uint32_t process_id) {
  ScopedHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process_id));
  if (!process.IsValid())
    return ScopedHandle();
  HANDLE token = nullptr;
  if (!::OpenProcessToken(process.Get(), TOKEN_DUPLICATE | TOKEN_QUERY, &token))
    return ScopedHandle();
  ScopedHandle shell_token(token);
  return ScopedHandle(PrimaryCopy(token));
}

ScopedHandle OpenOwnToken() {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
    return ScopedHandle();
  return ScopedHandle(token);
}

ScopedHandle GetLinkedToken(RawHandle token) {
  TOKEN_LINKED_TOKEN linked = {};
  DWORD size = 0;
  if (!::GetTokenInformation(token, TokenLinkedToken, &linked, sizeof(linked), &size))
    return ScopedHandle();
  ScopedHandle handed_out(linked.LinkedToken);
  // Without the TCB privilege the system hands out an identification token,
  // which cannot become a primary one.
  HANDLE primary = PrimaryCopy(linked.LinkedToken);
  return primary != nullptr ? ScopedHandle(primary) : std::move(handed_out);
}

uint32_t GetActiveConsoleSessionId() {
  using ConsoleSessionFunction = DWORD(WINAPI*)();
  static auto console_session =
      LoadedSystemFunction<ConsoleSessionFunction>("kernel32.dll", "WTSGetActiveConsoleSessionId");
  return console_session ? console_session() : kNoSession;
}

ScopedHandle QueryUserToken(uint32_t session) {
  static auto query_user_token =
      LoadSystemFunction<BOOL(WINAPI*)(ULONG, PHANDLE)>("wtsapi32.dll", "WTSQueryUserToken");
  HANDLE token = nullptr;
  if (!query_user_token || !query_user_token(session, &token))
    return ScopedHandle();
  return ScopedHandle(token);
}

}  // namespace platform

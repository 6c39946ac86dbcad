// Access checks of another token, and owners, over advapi32.
#include "platform/access.h"

#include <aclapi.h>

#include "platform/files.h"
#include "platform/win32/win32_api.h"

// After <windows.h>, which it needs.
#include <sddl.h>

namespace platform {

ScopedHandle OpenToReadSecurity(const std::string& path) {
  return ScopedHandle(
      ::CreateFileA(WithoutTrailingBackslash(path).c_str(), READ_CONTROL,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool CheckTokenAccess(RawHandle object, RawHandle token, uint32_t desired, bool* granted) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const SECURITY_INFORMATION parts =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  if (::GetSecurityInfo(object, SE_FILE_OBJECT, parts, nullptr, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                             FILE_ALL_ACCESS};
  DWORD access = desired;
  ::MapGenericMask(&access, &mapping);
  // AccessCheck takes an impersonation token; a primary one (as SYSTEM, or
  // Wine, hands out) is copied at identification level first.
  HANDLE identification = nullptr;
  ScopedHandle copy;
  if (::DuplicateTokenEx(token, TOKEN_QUERY, nullptr, SecurityIdentification, TokenImpersonation,
                         &identification)) {
    copy.Reset(identification);
    token = identification;
  }
  // Room for the privileges a check may use, beyond the one the record holds.
  alignas(PRIVILEGE_SET) BYTE privileges[sizeof(PRIVILEGE_SET) + 8 * sizeof(LUID_AND_ATTRIBUTES)];
  DWORD privileges_size = sizeof(privileges);
  DWORD granted_access = 0;
  BOOL status = FALSE;
  const BOOL checked = ::AccessCheck(descriptor, token, access, &mapping,
                                     reinterpret_cast<PPRIVILEGE_SET>(privileges), &privileges_size,
                                     &granted_access, &status);
  const DWORD error = ::GetLastError();
  ::LocalFree(descriptor);
  if (!checked)
    return (::SetLastError(error), false);
  *granted = status != FALSE && (granted_access & access) == access;
  return true;
}

bool GetFileOwner(RawHandle file, std::string* owner) {
  PSID sid = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  char* text = nullptr;
  const bool read = ::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &sid,
                                      nullptr, nullptr, nullptr, &descriptor) == ERROR_SUCCESS &&
                    ::ConvertSidToStringSidA(sid, &text);
  if (read)
    *owner = text;
  ::LocalFree(text);
  ::LocalFree(descriptor);
  return read;
}

}  // namespace platform

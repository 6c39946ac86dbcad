// What another principal may do with a file or folder, and who owns one. An
// elevated process whose starter chose a path (a log) writes there only what
// the starter could have written itself.
#pragma once

#include <cstdint>
#include <string>

#include "platform/handles.h"

namespace platform {

// Access rights of files and folders, as AccessCheck takes them.
constexpr uint32_t kFileReadData = 0x1;
constexpr uint32_t kFileAddFile = 0x2;    // folders: create a file in it
constexpr uint32_t kFileWriteData = 0x2;  // files: write
constexpr uint32_t kFileDeleteChild = 0x40;
constexpr uint32_t kDelete = 0x10000;

// Opens `path` only to read its security descriptor (READ_CONTROL), sharing
// everything and without following a link at its own name. Invalid on failure.
ScopedHandle OpenToReadSecurity(const std::string& path);

// AccessCheck of `token` (another process's, opened with TOKEN_QUERY and
// TOKEN_DUPLICATE, or a linked token, primary or not) against the security
// descriptor of the file or folder `object` (opened with READ_CONTROL):
// `*granted` tells whether every right in `desired` is granted. False,
// `*granted` untouched, when it cannot be checked.
bool CheckTokenAccess(RawHandle object, RawHandle token, uint32_t desired, bool* granted);

constexpr char kAdministratorsSid[] = "S-1-5-32-544";
constexpr char kSystemSid[] = "S-1-5-18";
// The owner of the open file (opened with READ_CONTROL: kWriteDelete,
// OpenInFolder's kDelete) as a SID's text ("S-1-5-32-544"), from its
// security descriptor (GetSecurityInfo). False when it cannot be read;
// `*owner` is then untouched.
bool GetFileOwner(RawHandle file, std::string* owner);

}  // namespace platform

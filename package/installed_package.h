// The installed package file's version, read before it is replaced. Every
// look at it goes through the held installation folder's handle: a link at its
// name is never followed, and no open waits for another process's
// opportunistic lock.
#pragma once

#include <cstdint>
#include <string>

#include "platform/handles.h"

namespace velt {

// What has the data file's name in the installation folder.
enum class InstalledPackage {
  kNone,  // nothing (the system says it is not found), or a folder
  kLink,  // a link, or a file of more than one name: its version is not read
  kFile,  // a file, also one that cannot be examined: it is tested like any other
};
// Looks at `path`'s last component in the folder open as `folder`.
InstalledPackage FindInstalledPackage(platform::RawHandle folder, const std::string& path);

// The version the header of `path`'s last component in the folder open as
// `folder` stores: the version byte minus its bias (the bias negated only when
// the file truly ends before the byte). The file is opened without sharing, so
// a process that holds it makes the open fail. An open or a read refused in a
// way that waiting may clear (platform::RefusalMayClear) is tried again:
// kPackageAttempts attempts at most, sleeping kPackageRetryDelayMs after each
// (startup/release_facts.h); any other failure, a link found at the name
// among them, ends the reading at once. False when it failed (`*version`
// untouched); `*error` then holds the last error, which also goes to the run
// log with `path`.
bool ReadInstalledVersion(platform::RawHandle folder,
                          const std::string& path,
                          int32_t* version,
                          uint32_t* error);

// The same version from one attempt that waits for nobody and lets others read
// meanwhile: what the run log reports where no version test is made. False
// when the file cannot be opened or read, or is a link (`*version` untouched).
bool ReadInstalledVersionOnce(platform::RawHandle folder,
                              const std::string& path,
                              int32_t* version);

}  // namespace velt

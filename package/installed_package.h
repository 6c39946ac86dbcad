// The installed package file's version, read before it is replaced.
#pragma once

#include <cstdint>
#include <string>

namespace velt {

// False only when no file of that name truly exists (the system says it is not
// found, or the name is a folder). A file whose attributes cannot be read for
// another reason may exist and must be examined like any other.
bool InstalledPackageMayExist(const std::string& path);

// The version the header stores: the version byte minus its bias (the bias
// negated only when the file truly ends before the byte). The file is opened
// without sharing, so a process that holds it makes the open fail. An open or
// a read refused in a way that waiting may clear (platform::RefusalMayClear)
// is tried again: kPackageAttempts attempts at most, sleeping
// kPackageRetryDelayMs after each (startup/release_facts.h); any other failure
// ends the reading at once. False when it failed (`*version` untouched);
// `*error` then holds the last error, which also goes to the run log.
bool ReadInstalledVersion(const std::string& path, int32_t* version, uint32_t* error);

// The same version from one attempt that waits for nobody and lets others read
// meanwhile: what the run log reports where no version test is made. False
// when the file cannot be opened or read (`*version` untouched).
bool ReadInstalledVersionOnce(const std::string& path, int32_t* version);

}  // namespace velt

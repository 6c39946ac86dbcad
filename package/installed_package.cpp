#include "package/installed_package.h"

#include "package/package_format.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/system.h"
#include "startup/release_facts.h"
#include "startup/run_log.h"

namespace velt {
namespace {

// Reads the header's version into `*version` (as a byte of 0 when the file
// ends before it). False when a read fails.
bool ReadVersionByte(platform::RawHandle file, int32_t* version) {
  uint8_t header[kPackageVersionOffset + 1] = {};
  uint32_t total = 0;
  while (total < sizeof(header)) {
    uint32_t read = 0;
    if (!platform::ReadFile(file, header + total, sizeof(header) - total, &read))
      return false;
    if (read == 0)
      break;  // the file is shorter than its header
    total += read;
  }
  *version = PackageDataVersion(total == sizeof(header) ? header[kPackageVersionOffset] : 0);
  return true;
}

}  // namespace

bool InstalledPackageMayExist(const std::string& path) {
  const uint32_t attributes = platform::GetFileAttributes(path);
  if (attributes == platform::kInvalidFileAttributes) {
    return !platform::IsNotFoundError(platform::GetLastError());
  }
  return (attributes & platform::kAttrDirectory) == 0;
}

bool ReadInstalledVersion(const std::string& path, int32_t* version) {
  uint32_t error = 0;
  for (int attempt = 0; attempt < kPackageAttempts; ++attempt) {
    platform::ScopedHandle file =
        platform::CreateFile(path, platform::FileAccess::kRead, platform::FileShare::kNone,
                             platform::FileDisposition::kOpenExisting);
    if (file.IsValid() && ReadVersionByte(file.Get(), version))
      return true;
    error = platform::GetLastError();
    file.Reset();
    platform::Sleep(kPackageRetryDelayMs);
  }
  LogFailure({"reading the version of ", path, ", ", DecimalText(kPackageAttempts), " attempts ",
              DecimalText(kPackageRetryDelayMs), " ms apart; the last"},
             error);
  return false;
}

bool ReadInstalledVersionOnce(const std::string& path, int32_t* version) {
  platform::ScopedHandle file =
      platform::CreateFile(path, platform::FileAccess::kRead, platform::FileShare::kRead,
                           platform::FileDisposition::kOpenExisting);
  return file.IsValid() && ReadVersionByte(file.Get(), version);
}

}  // namespace velt

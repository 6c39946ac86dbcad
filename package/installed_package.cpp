#include "package/installed_package.h"

#include "deployment/run_log.h"
#include "package/package_format.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/text_rules.h"
#include "startup/install_environment.h"
#include "startup/release_facts.h"
#include "startup/startup_settings.h"

namespace velt {
namespace {

// The name `path` ends with.
std::string LastComponent(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether the open `file` reaches another file than `name` in `folder`: both
// final paths are known and the file's is not the folder's and `name` (Wine
// follows a link to a file and shows its target's attributes).
bool ReachesAnotherFile(platform::RawHandle folder,
                        platform::RawHandle file,
                        const std::string& name) {
  std::string folder_path;
  std::string reached;
  if (!platform::GetFinalPathNameByHandle(folder, &folder_path) ||
      !platform::GetFinalPathNameByHandle(file, &reached)) {
    return false;
  }
  AddTrailingBackslash(folder_path);  // a drive root's has one already
  return !platform::SameAsciiText(reached, folder_path + name);
}

// Whether the open `file`, of which `information` tells, is a link rather
// than `name` itself in `folder`: the system reports a link (as Windows does,
// opened without following it), it is a file with another name besides (a
// hard link, whose other name may be anyone's file), or it reaches another
// file.
bool IsALink(platform::RawHandle folder,
             platform::RawHandle file,
             const std::string& name,
             const platform::FileInformation& information) {
  const uint32_t attributes = information.attributes;
  return (attributes & platform::kAttrReparsePoint) != 0 ||
         ((attributes & platform::kAttrDirectory) == 0 && information.links > 1) ||
         ReachesAnotherFile(folder, file, name);
}

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

// One attempt: opens the file with `share` and reads its version. False with
// `*error` telling why: the system's error, or kErrorStoppedOnSymlink for a
// link at the name, which is never followed.
bool ReadOnce(platform::RawHandle folder,
              const std::string& name,
              platform::FileShare share,
              int32_t* version,
              uint32_t* error) {
  platform::ScopedHandle file =
      platform::OpenInFolder(folder, name, platform::InFolderAccess::kRead, share);
  if (!file.IsValid()) {
    *error = platform::GetLastError();
    return false;
  }
  platform::FileInformation information;
  if (!platform::GetFileInformation(file.Get(), &information)) {
    *error = platform::GetLastError();
    return false;
  }
  if (IsALink(folder, file.Get(), name, information)) {
    *error = platform::kErrorStoppedOnSymlink;
    return false;
  }
  if (!ReadVersionByte(file.Get(), version)) {
    *error = platform::GetLastError();
    return false;
  }
  return true;
}

}  // namespace

InstalledPackage FindInstalledPackage(platform::RawHandle folder, const std::string& path) {
  const std::string name = LastComponent(path);
  platform::ScopedHandle examined = platform::OpenInFolder(
      folder, name, platform::InFolderAccess::kExamine, platform::FileShare::kRead);
  if (!examined.IsValid()) {
    return platform::IsNotFoundError(platform::GetLastError()) ? InstalledPackage::kNone
                                                               : InstalledPackage::kFile;
  }
  platform::FileInformation information;
  if (!platform::GetFileInformation(examined.Get(), &information))
    return InstalledPackage::kFile;
  if (IsALink(folder, examined.Get(), name, information))
    return InstalledPackage::kLink;
  return (information.attributes & platform::kAttrDirectory) != 0 ? InstalledPackage::kNone
                                                                  : InstalledPackage::kFile;
}

bool ReadInstalledVersion(platform::RawHandle folder,
                          const std::string& path,
                          int32_t* version,
                          uint32_t* error) {
  const std::string name = LastComponent(path);
  for (int attempt = 1; attempt <= kPackageAttempts; ++attempt) {
    if (ReadOnce(folder, name, platform::FileShare::kNone, version, error))
      return true;
    if (!platform::RefusalMayClear(*error)) {
      LogFailure({"reading the version of ", path}, *error);
      return false;
    }
    platform::Sleep(kPackageRetryDelayMs);
  }
  LogFailure({"reading the version of ", path, ", ", platform::DecimalText(kPackageAttempts),
              " attempts ", platform::DecimalText(kPackageRetryDelayMs), " ms apart; the last"},
             *error);
  return false;
}

bool ReadInstalledVersionOnce(platform::RawHandle folder,
                              const std::string& path,
                              int32_t* version) {
  uint32_t error = 0;
  return ReadOnce(folder, LastComponent(path), platform::FileShare::kRead, version, &error);
}

}  // namespace velt

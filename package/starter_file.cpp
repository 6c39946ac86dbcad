#include "package/starter_file.h"

#include "package/temporary_file.h"
#include "platform/access.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/text_rules.h"
#include "startup/install_folder.h"
#include "startup/startup_settings.h"

namespace velt {
namespace {

using platform::WithoutTrailingBackslash;

// Whether the folder open as `folder` is the one `spelled` names, with no link
// on the way: its final path is that path, whatever the letter case. Only a
// system without final paths is taken at its word; any other failure, the
// folder's own when it was opened included, refuses.
bool ReachedAsSpelled(const InstallFolder& folder, const std::string& spelled) {
  std::string reached;
  if (!platform::GetFinalPathNameByHandle(folder.handle(), &reached))
    return platform::GetLastError() == platform::kErrorCallNotImplemented;
  return folder.FinalPathKnown() && platform::AsciiLowercase(WithoutTrailingBackslash(reached)) ==
                                        platform::AsciiLowercase(WithoutTrailingBackslash(spelled));
}

// Whether `token` is granted every right in `desired` on `object`; false when
// that cannot be checked.
bool Grants(platform::RawHandle object, platform::RawHandle token, uint32_t desired) {
  bool granted = false;
  return platform::CheckTokenAccess(object, token, desired, &granted) && granted;
}

// Whether the user's ordinary rights may create `name` in `folder` and, when a
// file has that name, write and delete it. Always true for a process that has
// no more than those rights (not elevated, SYSTEM, an administrator without a
// split token, a token whose elevation cannot be told but that has no linked
// half).
bool StarterMayWrite(const InstallFolder& folder, const std::string& name) {
  const platform::Elevation elevation = platform::GetProcessElevation();
  if (elevation == platform::Elevation::kNone)
    return true;
  const platform::ScopedHandle own = platform::OpenOwnToken();
  const platform::ScopedHandle token = platform::GetLinkedToken(own.Get());
  if (!token.IsValid()) {
    // Whatever its elevation, a token with no linked half has no lesser
    // rights of its user beside it.
    return elevation == platform::Elevation::kUnknown && own.IsValid() &&
           platform::GetLastError() == platform::kErrorNoSuchLogonSession;
  }
  const platform::ScopedHandle folder_security = platform::OpenToReadSecurity(folder.path());
  if (!folder_security.IsValid() ||
      !platform::SameFileObject(folder_security.Get(), folder.handle()) ||
      !Grants(folder_security.Get(), token.Get(), platform::kFileAddFile)) {
    return false;
  }
  const platform::ScopedHandle existing = platform::OpenToReadSecurity(folder.path() + name);
  if (!existing.IsValid())
    return platform::IsNotFoundError(platform::GetLastError());
  return Grants(existing.Get(), token.Get(), platform::kFileWriteData) &&
         (Grants(existing.Get(), token.Get(), platform::kDelete) ||
          Grants(folder_security.Get(), token.Get(), platform::kFileDeleteChild));
}

}  // namespace

platform::ScopedHandle CreateFileForStarter(const std::string& path) {
  const std::string full = platform::GetFullPathName(path);
  const size_t slash = full.rfind('\\');
  if (slash == std::string::npos || slash + 1 == full.size())
    return platform::ScopedHandle();
  const std::string folder_path = full.substr(0, slash + 1);
  const std::string name = full.substr(slash + 1);
  InstallFolder folder;
  if (!folder.Open(folder_path) || !ReachedAsSpelled(folder, folder_path) ||
      !folder.NameIsNoLink(name) || !StarterMayWrite(folder, name)) {
    return platform::ScopedHandle();
  }
  RemoveEarlierTemporaryFiles(folder, name);
  platform::ScopedHandle file = CreateTemporaryFile(folder, name, platform::FileShare::kRead);
  if (!file.IsValid())
    return file;
  if (!folder.StillReached() || !platform::RenameFileByHandle(file.Get(), folder.handle(), name)) {
    platform::SetDeleteOnClose(file.Get());  // only the file made here goes
    file.Reset();
  }
  return file;
}

}  // namespace velt

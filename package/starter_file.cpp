#include "package/starter_file.h"

#include "package/log_starter.h"
#include "package/temporary_file.h"
#include "platform/access.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text_rules.h"

namespace velt {
namespace {

using platform::WithoutTrailingBackslash;

// Whether the full path `full` leads to another machine: a UNC path (also as
// "\\?\UNC\") or a drive whose type is remote. Decided by the spelling and
// the drive's type alone.
bool OnTheNetwork(const std::string& full) {
  return full.rfind("\\\\", 0) == 0 ||
         (full.size() > 2 && full[1] == ':' &&
          platform::GetDriveType(full.substr(0, 3)) == platform::kDriveRemote);
}

// Whether the folder open as `folder` is the one `spelled` names, with no link
// on the way: its final path is that path or its long form, whatever the
// letter case. Only a system without final paths is taken at its word; any
// other failure, the folder's own when it was opened included, refuses.
bool ReachedAsSpelled(const InstallFolder& folder, const std::string& spelled) {
  std::string reached;
  if (!platform::GetFinalPathNameByHandle(folder.handle(), &reached))
    return platform::GetLastError() == platform::kErrorCallNotImplemented;
  reached = WithoutTrailingBackslash(reached);
  return folder.FinalPathKnown() &&
         (platform::SameAsciiText(reached, WithoutTrailingBackslash(spelled)) ||
          platform::SameAsciiText(reached,
                                  WithoutTrailingBackslash(platform::GetLongPathName(spelled))));
}

// Whether `token` is granted every right in `desired` on `object`; false when
// that cannot be checked.
bool Grants(platform::RawHandle object, platform::RawHandle token, uint32_t desired) {
  bool granted = false;
  return platform::CheckTokenAccess(object, token, desired, &granted) && granted;
}

// Whether `token` may create `name` in `folder` and, when a file has that
// name, write and delete it.
bool MayWrite(platform::RawHandle token, const InstallFolder& folder, const std::string& name) {
  const platform::ScopedHandle folder_security = platform::OpenToReadSecurity(folder.path());
  if (!folder_security.IsValid() ||
      !platform::SameFileObject(folder_security.Get(), folder.handle()) ||
      !Grants(folder_security.Get(), token, platform::kFileAddFile)) {
    return false;
  }
  const platform::ScopedHandle existing = platform::OpenToReadSecurity(folder.path() + name);
  if (!existing.IsValid())
    return platform::IsNotFoundError(platform::GetLastError());
  return Grants(existing.Get(), token, platform::kFileWriteData) &&
         (Grants(existing.Get(), token, platform::kDelete) ||
          Grants(folder_security.Get(), token, platform::kFileDeleteChild));
}

}  // namespace

platform::ScopedHandle StarterFile::Create(const std::string& path) {
  const std::string full = platform::GetFullPathName(path);
  const size_t slash = full.rfind('\\');
  if (slash == std::string::npos || slash + 1 == full.size())
    return platform::ScopedHandle();
  const LogStarter starter = IdentifyLogStarter();
  const bool checked = starter.kind == LogStarter::kUser;
  if (starter.kind == LogStarter::kUnknown || (checked && OnTheNetwork(full)))
    return platform::ScopedHandle();
  const std::string folder_path = full.substr(0, slash + 1);
  name_ = full.substr(slash + 1);
  if (!folder_.Open(folder_path) || !ReachedAsSpelled(folder_, folder_path) ||
      !folder_.NameIsNoLink(name_) || (checked && !MayWrite(starter.token.Get(), folder_, name_))) {
    return platform::ScopedHandle();
  }
  platform::ScopedHandle file = CreateTemporaryFile(folder_, name_, platform::FileShare::kRead);
  if (!file.IsValid())
    return file;
  if (!folder_.StillReached() ||
      !platform::RenameFileByHandle(file.Get(), folder_.handle(), name_)) {
    platform::SetDeleteOnClose(file.Get());  // only the file made here goes
    file.Reset();
    return file;
  }
  made_ = true;
  platform::GetFileOwner(file.Get(), &owner_);
  return file;
}

void StarterFile::RemoveEarlierFiles() const {
  if (made_)
    RemoveEarlierTemporaryFiles(folder_, name_, owner_, false);
}

}  // namespace velt

// Fake handle-based file operations: pinned and held folders, examination
// without following a link the system reports, identities and final paths,
// renames and deletion through the handle.
#include "platform/errors.h"
#include "platform/fake/fake_internal.h"
#include "platform/files.h"
#include "platform/text_rules.h"

namespace fake {

std::string ExaminedPath(const std::string& path) {
  return ReachedNotFollowingAReportedLink(ResolvePath(NormalizePath(path), false));
}

uint64_t EntryId(const std::string& reached) {
  auto it = World().entries.find(reached);
  return it == World().entries.end() ? 0 : it->second.id;
}

}  // namespace fake

namespace platform {
namespace {

using fake::Fail;
using fake::FakeEntry;
using fake::FakeHandle;
using fake::World;

using fake::kErrorDirectory;

FakeHandle* AnyFileHandle(RawHandle handle) {
  for (FakeHandle::Kind kind : {FakeHandle::kFile, FakeHandle::kFolder, FakeHandle::kExamine}) {
    if (FakeHandle* found = fake::LookupHandle(handle, kind))
      return found;
  }
  return nullptr;
}

}  // namespace

}  // namespace platform

namespace fake {

std::string ReachedNotFollowingAReportedLink(const std::string& named) {
  auto it = World().entries.find(named);
  if (it != World().entries.end() && !it->second.link_target.empty() &&
      (it->second.attributes & platform::kAttrReparsePoint) != 0) {
    return named;
  }
  return ResolvePath(named, true);
}

}  // namespace fake

namespace platform {

ScopedHandle OpenFolder(const std::string& path) {
  if (fake::Faulted("OpenFolder", fake::kFaultsOfOpens, fake::NormalizePath(path)))
    return ScopedHandle();
  const std::string reached = fake::ExaminedPath(path);
  auto it = World().entries.find(reached);
  if (reached.size() > 2 && it == World().entries.end())
    return (Fail(kErrorPathNotFound), ScopedHandle());
  if (reached.size() > 2 && !it->second.directory && it->second.link_target.empty())
    return (Fail(kErrorDirectory), ScopedHandle());
  FakeHandle handle;
  handle.kind = FakeHandle::kFolder;
  handle.path = reached;
  handle.id = fake::EntryId(reached);
  handle.share_delete = false;
  return ScopedHandle(fake::NewHandle(handle));
}

ScopedHandle HoldFolder(const std::string& path) {
  if (fake::Faulted("HoldFolder", fake::kFaultsOfOpens, fake::NormalizePath(path)))
    return ScopedHandle();
  const std::string reached = fake::ResolvePath(fake::NormalizePath(path), true);
  auto it = World().entries.find(reached);
  if (reached.size() > 2 && it == World().entries.end())
    return (Fail(kErrorPathNotFound), ScopedHandle());
  if (reached.size() > 2 && !it->second.directory)
    return (Fail(kErrorDirectory), ScopedHandle());
  FakeHandle handle;
  handle.kind = FakeHandle::kFolder;
  handle.path = reached;
  handle.id = fake::EntryId(reached);
  handle.share_delete = false;
  return ScopedHandle(fake::NewHandle(handle));
}

namespace {

ScopedHandle Examine(const std::string& path, bool through_links) {
  if (fake::Faulted("OpenForExamination", fake::kFaultsOfOpens, fake::NormalizePath(path)))
    return ScopedHandle();
  if (fake::NamesAFileAsAFolder(path))
    return (Fail(fake::kErrorInvalidName), ScopedHandle());
  const std::string reached =
      through_links ? fake::ResolvePath(fake::NormalizePath(path), true) : fake::ExaminedPath(path);
  if (reached.size() > 2 && World().entries.count(reached) == 0)
    return (Fail(kErrorFileNotFound), ScopedHandle());
  if (fake::BeingDeleted(reached))
    return (Fail(kErrorDeletePending), ScopedHandle());
  FakeHandle handle;
  handle.kind = FakeHandle::kExamine;
  handle.path = reached;
  handle.id = fake::EntryId(reached);
  return ScopedHandle(fake::NewHandle(handle));
}

}  // namespace

ScopedHandle OpenForExamination(const std::string& path) {
  return Examine(path, false);
}

ScopedHandle OpenForExaminationThroughLinks(const std::string& path) {
  return Examine(path, true);
}

std::string GetFullPathName(const std::string& path) {
  if (path.empty() ||
      fake::Faulted("GetFullPathName", fake::kFaultError, fake::NormalizePath(path)))
    return (Fail(kErrorPathNotFound), std::string());
  const std::string full = fake::FullPath(path);
  return full.size() == 2 ? full + "\\" : full;
}

std::string GetLongPathName(const std::string& path) {
  const std::string named = fake::NormalizePath(path);
  if (fake::Faulted("GetLongPathName", fake::kFaultError, named))
    return std::string();
  if (!fake::Exists(named))
    return (Fail(kErrorFileNotFound), std::string());
  const std::string spelled = fake::SpelledPath(named);
  return spelled.size() == 2 ? spelled + "\\" : spelled;
}

uint32_t GetDriveType(const std::string& root) {
  const bool remote = root.size() == 3 && root[1] == ':' &&
                      World().remote_drives.find(AsciiLowercaseChar(root[0])) != std::string::npos;
  return remote ? kDriveRemote : 3;  // DRIVE_FIXED
}

bool GetFileAttributesByHandle(RawHandle handle, uint32_t* attributes) {
  FakeHandle* open = AnyFileHandle(handle);
  if (!open)
    return Fail(6);
  if (fake::Faulted("GetFileAttributesByHandle", fake::kFaultError, open->path))
    return false;
  if (open->path.size() <= 2) {
    *attributes = kAttrDirectory;
    return true;
  }
  FakeEntry* entry = fake::FindEntry(open->path);
  if (!entry)
    return Fail(kErrorFileNotFound);
  *attributes = entry->attributes;
  return true;
}

bool GetFileInformation(RawHandle handle, FileInformation* information) {
  FakeHandle* open = AnyFileHandle(handle);
  if (!open)
    return Fail(6);
  if (fake::Faulted("GetFileInformation", fake::kFaultError, open->path))
    return false;
  FakeEntry* entry = open->path.size() <= 2 ? nullptr : fake::FindEntry(open->path);
  if (open->path.size() > 2 && (!entry || entry->file_type != 1))
    return Fail(1);  // ERROR_INVALID_FUNCTION: nothing on a disk answers
  information->attributes = entry ? entry->attributes : kAttrDirectory;
  information->size = entry ? entry->data.size() : 0;
  information->links = entry ? entry->links : 1;
  return true;
}

// Counted as the same call: on Windows both are GetFileInformationByHandle's.
bool GetFileIdentity(RawHandle handle, FileIdentity* identity) {
  FileInformation information;
  if (!GetFileInformation(handle, &information))
    return false;
  const FakeHandle* open = AnyFileHandle(handle);  // there: the information was had
  identity->volume = static_cast<uint32_t>(open->path[0]);
  identity->index = open->id;
  return true;
}

bool IsDiskFile(RawHandle file) {
  FakeHandle* open = AnyFileHandle(file);
  if (!open)
    return false;
  FakeEntry* entry = fake::FindEntry(open->path);
  return !entry || entry->file_type == 1;
}

bool GetFinalPathNameByHandle(RawHandle handle, std::string* path) {
  FakeHandle* open = AnyFileHandle(handle);
  if (!open)
    return Fail(6);
  if (!World().final_path_supported)
    return Fail(120);  // ERROR_CALL_NOT_IMPLEMENTED
  if (fake::Faulted("GetFinalPathNameByHandle", fake::kFaultError, open->path))
    return false;
  for (const std::string& folder : World().no_final_path_below) {
    if (open->path == folder || open->path.rfind(folder + "\\", 0) == 0)
      return Fail(kErrorPathNotFound);
  }
  // A drive root keeps its backslash ("C:\\").
  *path = fake::SpelledPath(open->path);
  if (path->size() == 2)
    *path += "\\";
  return true;
}

bool RenameFileByHandle(RawHandle file, RawHandle folder, const std::string& name) {
  FakeHandle* source = fake::LookupHandle(file, FakeHandle::kFile);
  FakeHandle* root = fake::LookupHandle(folder, FakeHandle::kFolder);
  if (!source || !root || !source->can_delete)
    return Fail(6);
  if (fake::Faulted("RenameFileByHandle", fake::kFaultsOfOpens, source->path))
    return false;
  const std::string target = fake::NormalizePath(root->path + "\\" + name);
  auto moved = World().entries.find(source->path);
  if (moved == World().entries.end())
    return Fail(kErrorFileNotFound);
  auto existing = World().entries.find(target);
  if (existing != World().entries.end() && target != source->path) {
    FakeEntry& old = existing->second;
    if (old.directory || (old.attributes & kAttrReadOnly) || fake::HeldByOtherProcess(old) ||
        old.oplocked) {
      return Fail(kErrorAccessDenied);
    }
    if (old.renames_refused > 0) {
      --old.renames_refused;
      return Fail(old.rename_refusal);
    }
    if (fake::OpenByThisProcess(target))
      return Fail(kErrorAccessDenied);
  }
  FakeEntry entry = moved->second;
  entry.name = name;
  if (existing != World().entries.end())
    entry.sequence = existing->second.sequence;
  World().entries.erase(moved);
  World().entries[target] = entry;
  source->path = target;
  fake::Changed();
  return true;
}

bool SetDeleteOnClose(RawHandle file) {
  FakeHandle* open = fake::LookupHandle(file, FakeHandle::kFile);
  if (!open || !open->can_delete)
    return Fail(6);
  if (fake::Faulted("SetDeleteOnClose", fake::kFaultsOfCalls, open->path))
    return false;
  const FakeEntry* entry = fake::FindEntry(open->path);
  if (entry && (entry->attributes & kAttrReadOnly) != 0)
    return Fail(kErrorAccessDenied);  // STATUS_CANNOT_DELETE
  open->delete_on_close = true;
  fake::Changed();
  return true;
}

}  // namespace platform

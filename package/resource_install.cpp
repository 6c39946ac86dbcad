#include "package/resource_install.h"

#include "package/install_folder.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/phase/phase_marks.h"
#include "platform/resources.h"
#include "platform/system.h"
#include "startup/startup_settings.h"

namespace velt {
namespace {

// Bytes handed to one WriteFile call; the data come straight from the resource.
constexpr uint32_t kWriteChunk = 1u << 20;
constexpr int kTemporaryNameLetters = 8;

void ReportInstallFailure(const std::string& destination) {
  ShowBilingualError("Can't install file " + destination,
                     "Не удается установить файл " + destination);
}

// Writes `size` bytes to the open file and flushes it. Every write must report
// its whole count: a short count means the disk is full, even when the call
// itself claims success.
bool WriteAndFlush(platform::RawHandle file, const uint8_t* data, uint32_t size) {
  VELT_PHASE_MARK("write");
  uint32_t done = 0;
  while (done < size) {
    const uint32_t chunk = size - done < kWriteChunk ? size - done : kWriteChunk;
    uint32_t written = 0;
    if (!platform::WriteFile(file, data + done, chunk, &written) || written != chunk)
      return false;
    done += chunk;
  }
  VELT_PHASE_MARK("flush");
  if (!platform::FlushFileBuffers(file))
    return false;
  VELT_PHASE_MARK("flush_done");
  return true;
}

bool IsHeldByAnotherProcess(uint32_t error) {
  return error == platform::kErrorSharingViolation || error == platform::kErrorLockViolation ||
         error == platform::kErrorAccessDenied;
}

// True while another process holds `path` open: an open that shares nothing
// fails. The replacement alone cannot tell, because some systems let a file be
// renamed over one that is open.
bool DestinationIsHeld(const std::string& path) {
  if (!platform::FileExists(path))
    return false;
  platform::ScopedHandle probe =
      platform::CreateFile(path, platform::FileAccess::kRead, platform::FileShare::kNone,
                           platform::FileDisposition::kOpenExisting);
  if (probe.IsValid())
    return false;
  return IsHeldByAnotherProcess(platform::GetLastError());
}

// Renames the written file over `name` in the folder, waiting for another
// process to let go of the old file within the retry budget. Right before each
// attempt the folder and the old file must still be no links; a replacement
// refused while nobody holds the old file (read-only, denied, a folder) fails
// at once.
bool ReplaceInFolder(const InstallFolder& folder,
                     platform::RawHandle written,
                     const std::string& name) {
  const std::string destination = folder.path() + name;
  VELT_PHASE_MARK("replace");
  for (int attempt = 1; attempt <= kInstallAttempts; ++attempt) {
    if (!folder.StillNoLink() || !folder.NameIsNoLink(name))
      return false;
    if (!DestinationIsHeld(destination)) {
      if (platform::RenameFileByHandle(written, folder.handle(), name))
        return true;
      const uint32_t error = platform::GetLastError();
      if (!IsHeldByAnotherProcess(error) ||
          (error == platform::kErrorAccessDenied && !DestinationIsHeld(destination))) {
        return false;
      }
    }
    platform::Sleep(kInstallRetryDelayMs);  // after every failed attempt, as the version test
  }
  return false;
}

// A new file for the bytes, under a name nobody can predict, created only when
// nothing (no file, no link) has that name; it must really lie in the folder.
platform::ScopedHandle CreateTemporaryFile(const InstallFolder& folder, const std::string& name) {
  std::string candidate = name + ".";
  for (int i = 0; i < kTemporaryNameLetters; ++i)
    candidate += static_cast<char>('a' + Random(26));
  candidate += ".tmp";
  platform::ScopedHandle file =
      platform::CreateFile(folder.path() + candidate, platform::FileAccess::kWriteDelete,
                           platform::FileShare::kNone, platform::FileDisposition::kCreateNew);
  if (file.IsValid() && !folder.Holds(file.Get(), candidate)) {
    platform::SetDeleteOnClose(file.Get());
    file.Reset();
  }
  return file;
}

// Writes `size` bytes as `name` in `folder_path`; see InstallResourceFile.
bool InstallBytes(const std::string& folder_path,
                  const std::string& name,
                  const uint8_t* data,
                  uint32_t size,
                  platform::RawHandle held_folder) {
  InstallFolder folder;
  if (!folder.Open(folder_path) || !folder.NameIsNoLink(name) ||
      (platform::IsValidRawHandle(held_folder) &&
       !platform::SameFileObject(folder.handle(), held_folder))) {
    return false;
  }
  platform::ScopedHandle temporary = CreateTemporaryFile(folder, name);
  if (!temporary.IsValid())
    return false;
  if (WriteAndFlush(temporary.Get(), data, size) &&
      ReplaceInFolder(folder, temporary.Get(), name)) {
    return platform::CloseHandle(temporary.Release());
  }
  // Only the file created here goes, through its own handle.
  platform::SetDeleteOnClose(temporary.Get());
  return false;
}

}  // namespace

bool InstallResourceFile(const std::string& name,
                         const std::string& type,
                         const std::string& destination,
                         platform::RawHandle held_folder) {
  platform::ScopedResource resource;
  const size_t slash = destination.rfind('\\');
  const std::string folder = slash == std::string::npos ? "" : destination.substr(0, slash + 1);
  const std::string file_name = destination.substr(slash == std::string::npos ? 0 : slash + 1);
  if (!resource.Load(name, type) ||
      !InstallBytes(folder, file_name, resource.data(), resource.size(), held_folder)) {
    ReportInstallFailure(destination);
    return false;
  }
  return true;
}

}  // namespace velt

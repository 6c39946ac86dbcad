#include "package/resource_install.h"

#include "package/file_holders.h"
#include "package/install_folder.h"
#include "package/temporary_file.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/phase/phase_marks.h"
#include "platform/resources.h"
#include "platform/system.h"
#include "startup/release_facts.h"
#include "startup/run_log.h"
#include "startup/startup_settings.h"

namespace velt {
namespace {

// Bytes handed to one WriteFile call; the data come straight from the resource.
constexpr uint32_t kWriteChunk = 1u << 20;

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
    if (!platform::WriteFile(file, data + done, chunk, &written)) {
      LogFailure({"writing the new data file"}, platform::GetLastError());
      return false;
    }
    if (written != chunk) {
      Log({"writing the new data file: ", DecimalText(done + written), " of ", DecimalText(size),
           " bytes written (the disk is full)"});
      return false;
    }
    done += chunk;
  }
  VELT_PHASE_MARK("flush");
  if (!platform::FlushFileBuffers(file)) {
    LogFailure({"flushing the new data file"}, platform::GetLastError());
    return false;
  }
  VELT_PHASE_MARK("flush_done");
  return true;
}

bool IsHeldByAnotherProcess(uint32_t error) {
  return error == platform::kErrorSharingViolation || error == platform::kErrorLockViolation ||
         error == platform::kErrorAccessDenied;
}

// True while another process holds `path` open: an open that shares nothing
// fails (`*error` tells how). The replacement alone cannot tell, because some
// systems let a file be renamed over one that is open.
bool DestinationIsHeld(const std::string& path, uint32_t* error) {
  if (!platform::FileExists(path))
    return false;
  platform::ScopedHandle probe =
      platform::CreateFile(path, platform::FileAccess::kRead, platform::FileShare::kNone,
                           platform::FileDisposition::kOpenExisting);
  if (probe.IsValid())
    return false;
  *error = platform::GetLastError();
  return IsHeldByAnotherProcess(*error);
}

// A refusal that no other process causes: the old file is read-only or a
// folder. Any other refusal may come from a process that held the file for a
// moment (an indexer, a virus scanner, a second updater) and is waited out.
bool RefusalLasts(const std::string& path) {
  const uint32_t attributes = platform::GetFileAttributes(path);
  return attributes != platform::kInvalidFileAttributes &&
         (attributes & (platform::kAttrReadOnly | platform::kAttrDirectory)) != 0;
}

// Renames the written file over `name` in the folder, waiting for other
// processes to let go of the old file within the retry budget. Right before
// each attempt the folder and the old file must still be no links; a
// replacement refused for a lasting reason fails at once.
bool ReplaceInFolder(const InstallFolder& folder,
                     platform::RawHandle written,
                     const std::string& name) {
  const std::string destination = folder.path() + name;
  VELT_PHASE_MARK("replace");
  uint32_t error = 0;
  for (int attempt = 1; attempt <= kPackageAttempts; ++attempt) {
    if (!folder.StillNoLink() || !folder.NameIsNoLink(name)) {
      Log({"replacing ", destination, ": it or its folder is a link, or cannot be examined"});
      return false;
    }
    if (!DestinationIsHeld(destination, &error)) {
      if (platform::RenameFileByHandle(written, folder.handle(), name))
        return true;
      error = platform::GetLastError();
      if (!IsHeldByAnotherProcess(error) ||
          (error == platform::kErrorAccessDenied && RefusalLasts(destination))) {
        LogFailure({"replacing ", destination}, error);
        return false;
      }
    }
    platform::Sleep(kPackageRetryDelayMs);  // after every failed attempt, as the version test
  }
  LogFailure({"replacing ", destination, ", refused ", DecimalText(kPackageAttempts), " times ",
              DecimalText(kPackageRetryDelayMs), " ms apart; the last"},
             error);
  if (RunLogRequested())
    NoteFileHolders(NameFileHolders(destination));
  return false;
}

// Writes `size` bytes as `name` in `folder_path`; see InstallResourceFile.
bool InstallBytes(const std::string& folder_path,
                  const std::string& name,
                  const uint8_t* data,
                  uint32_t size,
                  platform::RawHandle held_folder) {
  InstallFolder folder;
  if (!folder.Open(folder_path) || !folder.NameIsNoLink(name)) {
    Log({"installing into ", folder_path, ": the folder or ", name,
         " is a link, or cannot be opened"});
    return false;
  }
  if (platform::IsValidRawHandle(held_folder) &&
      !platform::SameFileObject(folder.handle(), held_folder)) {
    Log({"installing into ", folder_path, ": not the installation folder held since the start"});
    return false;
  }
  RemoveEarlierTemporaryFiles(folder, name);
  platform::ScopedHandle temporary = CreateTemporaryFile(folder, name, platform::FileShare::kNone);
  if (!temporary.IsValid()) {
    LogFailure({"creating the new data file in ", folder.path()}, platform::GetLastError());
    return false;
  }
  if (WriteAndFlush(temporary.Get(), data, size) &&
      ReplaceInFolder(folder, temporary.Get(), name)) {
    if (platform::CloseHandle(temporary.Release()))
      return true;
    LogFailure({"closing the new data file"}, platform::GetLastError());
    return false;
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
  if (!resource.Load(name, type)) {
    LogFailure({"loading the carried resource ", name, "/", type}, platform::GetLastError());
    ReportInstallFailure(destination);
    return false;
  }
  if (!InstallBytes(folder, file_name, resource.data(), resource.size(), held_folder)) {
    ReportInstallFailure(destination);
    return false;
  }
  NotePackageWritten();
  Log({"installed ", destination, " (", DecimalText(resource.size()), " bytes)"});
  return true;
}

}  // namespace velt

#include "package/resource_install.h"

#include "deployment/file_holders.h"
#include "deployment/run_log.h"
#include "package/temporary_file.h"
#include "platform/access.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/phase/phase_marks.h"
#include "platform/resources.h"
#include "platform/system.h"
#include "platform/text_rules.h"
#include "startup/install_folder.h"
#include "startup/release_facts.h"
#include "startup/startup_settings.h"

namespace velt {
namespace {

// The data file must be no link, nor a file with another name besides.
constexpr InstallFolder::Names kOneName = InstallFolder::Names::kNoOtherName;

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
      Log({"writing the new data file: ", platform::DecimalText(done + written), " of ",
           platform::DecimalText(size), " bytes written (the disk is full)"});
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

// Whether another process holds `name` in `folder` so that it cannot be
// replaced now: an open for deletion alone that shares nothing, made through
// the folder's handle and never waiting for an opportunistic lock, fails with
// a refusal that waiting may clear (`*error` tells which). Any other failure
// but "not found" is lasting: `*error` tells it and `*lasting` is set.
bool DestinationIsHeld(const InstallFolder& folder,
                       const std::string& name,
                       uint32_t* error,
                       bool* lasting) {
  platform::ScopedHandle probe = platform::OpenInFolder(
      folder.handle(), name, platform::InFolderAccess::kDelete, platform::FileShare::kNone);
  if (probe.IsValid())
    return false;
  *error = platform::GetLastError();
  if (platform::RefusalMayClear(*error))
    return true;
  *lasting = !platform::IsNotFoundError(*error);
  return false;
}

// A refusal of the replacement that no other process causes: the old file is
// read-only or a folder.
bool RefusalLasts(const std::string& path) {
  const uint32_t attributes = platform::GetFileAttributes(path);
  return attributes != platform::kInvalidFileAttributes &&
         (attributes & (platform::kAttrReadOnly | platform::kAttrDirectory)) != 0;
}

// Renames the written file over `name` in the folder, waiting for other
// processes to let go of the old file within the retry budget. Right before
// each attempt the folder and the old file must still be no links, and the
// old file must be free: held or being deleted, it is waited for; refused for
// good (this process may not delete it), the replacement fails at once.
// Windows refuses a rename over a file another process opened just then with
// access denied: that is tried again, unless the old file is read-only or a
// folder.
InstallOutcome ReplaceInFolder(const InstallFolder& folder,
                               platform::RawHandle written,
                               const std::string& name) {
  const std::string destination = folder.path() + name;
  VELT_PHASE_MARK("replace");
  uint32_t error = 0;
  bool seen_held = false;  // the last refusal came from a holder, not the rename
  for (int attempt = 1; attempt <= kPackageAttempts; ++attempt) {
    bool being_deleted = false;  // waited for as a holder
    if (!folder.StillReached() || !folder.NameIsNoLink(name, kOneName, &being_deleted)) {
      if (!being_deleted) {
        Log({"replacing ", destination, ": it or its folder is a link, or cannot be examined"});
        return {};
      }
      error = platform::kErrorDeletePending;
    }
    bool lasting = false;
    seen_held = being_deleted || DestinationIsHeld(folder, name, &error, &lasting);
    if (!seen_held) {
      if (!lasting && platform::RenameFileByHandle(written, folder.handle(), name))
        return {true, false};
      error = lasting ? error : platform::GetLastError();
      if (lasting || (!platform::RefusalMayClear(error) &&
                      (error != platform::kErrorAccessDenied || RefusalLasts(destination)))) {
        LogFailure({"replacing ", destination}, error);
        return {};
      }
    }
    platform::Sleep(kPackageRetryDelayMs);  // after every failed attempt, as the version test
  }
  LogFailure({"replacing ", destination, ", refused ", platform::DecimalText(kPackageAttempts),
              " times ", platform::DecimalText(kPackageRetryDelayMs), " ms apart; the last"},
             error);
  if (RunLogRequested())
    NoteFileHolders(NameFileHolders(destination));
  return {false, seen_held || platform::RefusalMayClear(error)};
}

// Writes `size` bytes as `name` in `folder`; see InstallResourceFile.
InstallOutcome InstallBytes(const InstallFolder& folder,
                            const std::string& name,
                            const uint8_t* data,
                            uint32_t size) {
  bool being_deleted = false;  // looked at again before each replacement attempt
  if (!folder.StillReached() ||
      (!folder.NameIsNoLink(name, kOneName, &being_deleted) && !being_deleted)) {
    Log({"installing into ", folder.path(), ": the folder is no longer the one held, or ", name,
         " is a link, or either cannot be examined"});
    return {};
  }
  platform::ScopedHandle temporary = CreateTemporaryFile(folder, name, platform::FileShare::kNone);
  if (!temporary.IsValid()) {
    LogFailure({"creating the new data file in ", folder.path()}, platform::GetLastError());
    return {};
  }
  InstallOutcome outcome;
  if (WriteAndFlush(temporary.Get(), data, size))
    outcome = ReplaceInFolder(folder, temporary.Get(), name);
  if (outcome.written) {
    // Earlier runs' files go once this one's is in place, owned as it is.
    std::string owner;
    platform::GetFileOwner(temporary.Get(), &owner);
    RemoveEarlierTemporaryFiles(folder, name, owner, true);
    // Flushed and renamed into place, the file is installed whatever its close says.
    if (!platform::CloseHandle(temporary.Release()))
      LogFailure({"closing the new data file, installed all the same"}, platform::GetLastError());
    return outcome;
  }
  // Only the file created here goes, through its own handle.
  platform::SetDeleteOnClose(temporary.Get());
  return outcome;
}

}  // namespace

InstallOutcome InstallResourceFile(const std::string& name,
                                   const std::string& type,
                                   const InstallFolder& folder,
                                   const std::string& file_name) {
  platform::ScopedResource resource;
  const std::string destination = folder.path() + file_name;
  if (!resource.Load(name, type)) {
    LogFailure({"loading the carried resource ", name, "/", type}, platform::GetLastError());
    ReportInstallFailure(destination);
    return {};
  }
  const InstallOutcome outcome = InstallBytes(folder, file_name, resource.data(), resource.size());
  if (!outcome.written) {
    if (!outcome.held)
      ReportInstallFailure(destination);
    return outcome;
  }
  NotePackageWritten();
  Log({"installed ", destination, " (", platform::DecimalText(resource.size()), " bytes)"});
  return outcome;
}

}  // namespace velt

#include "package/resource_install.h"

#include "driver/phase/phase_marks.h"
#include "driver/startup_settings.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/resources.h"
#include "platform/system.h"

namespace velt {
namespace {

// Bytes handed to one WriteFile call; the data come straight from the resource.
constexpr uint32_t kWriteChunk = 1u << 20;

void ReportInstallFailure(const std::string& destination) {
  ShowBilingualError("Can't install file " + destination,
                     "Не удается установить файл " + destination);
}

// Writes `size` bytes to a new file at `path`, flushes and closes it. Every write
// must report its whole count: a short count means the disk is full, even when
// the call itself claims success.
bool WriteWholeFile(const std::string& path, const uint8_t* data, uint32_t size) {
  platform::ScopedHandle file =
      platform::CreateFile(path, platform::FileAccess::kWrite, platform::FileShare::kNone,
                           platform::FileDisposition::kCreateAlways);
  if (!file.IsValid())
    return false;
  VELT_PHASE_MARK("write");
  uint32_t done = 0;
  while (done < size) {
    const uint32_t chunk = size - done < kWriteChunk ? size - done : kWriteChunk;
    uint32_t written = 0;
    if (!platform::WriteFile(file.Get(), data + done, chunk, &written) || written != chunk) {
      return false;
    }
    done += chunk;
  }
  VELT_PHASE_MARK("flush");
  if (!platform::FlushFileBuffers(file.Get()))
    return false;
  VELT_PHASE_MARK("flush_done");
  return platform::CloseHandle(file.Release());
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

// Replaces `destination` with `source` in one step, waiting for another process
// to let go of the destination within the retry budget. A replacement refused
// while nobody holds the destination (read-only, denied, a folder) fails at once.
bool ReplaceDestination(const std::string& source, const std::string& destination) {
  VELT_PHASE_MARK("replace");
  for (int attempt = 1; attempt <= kInstallAttempts; ++attempt) {
    if (!DestinationIsHeld(destination)) {
      if (platform::MoveFileReplacing(source, destination))
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

}  // namespace

std::string InstallTemporaryPath(const std::string& destination) {
  return destination + ".new";
}

bool InstallResourceFile(const std::string& name,
                         const std::string& type,
                         const std::string& destination) {
  platform::ScopedResource resource;
  if (!resource.Load(name, type)) {
    ReportInstallFailure(destination);
    return false;
  }
  const std::string temporary = InstallTemporaryPath(destination);
  if (!WriteWholeFile(temporary, resource.data(), resource.size()) ||
      !ReplaceDestination(temporary, destination)) {
    platform::DeleteFile(temporary);
    ReportInstallFailure(destination);
    return false;
  }
  return true;
}

}  // namespace velt

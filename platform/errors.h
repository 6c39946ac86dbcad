// Win32 error codes the program distinguishes.
#pragma once

#include <cstdint>

namespace platform {

constexpr uint32_t kErrorSuccess = 0;
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorHandleDiskFull = 39;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorLockViolation = 33;
constexpr uint32_t kErrorDiskFull = 112;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorMoreData = 234;
constexpr uint32_t kErrorNoMoreFiles = 18;
constexpr uint32_t kErrorCallNotImplemented = 120;
constexpr uint32_t kErrorStoppedOnSymlink = 681;
constexpr uint32_t kErrorNoSuchLogonSession = 1312;  // a token without a linked half  // a link met where none may be followed
// A file that is being deleted: Windows refuses its opens with access denied,
// which the platform layer tells apart by the system's own status.
constexpr uint32_t kErrorDeletePending = 303;

// True for the errors that say a path names nothing (file or folder not found).
inline bool IsNotFoundError(uint32_t error) {
  return error == kErrorFileNotFound || error == kErrorPathNotFound;
}

// True for the refusals another process causes for a while, which waiting
// may clear: it holds the file without sharing, has a range of it locked, or
// is deleting it. A plain access denial never clears by waiting.
inline bool RefusalMayClear(uint32_t error) {
  return error == kErrorSharingViolation || error == kErrorLockViolation ||
         error == kErrorDeletePending;
}

// The calling thread's last error code (GetLastError).
uint32_t GetLastError();
// Sets it (SetLastError).
void SetLastError(uint32_t error);

}  // namespace platform

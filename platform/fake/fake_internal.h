// Helpers shared by the fake platform's files: handles, errors and sharing.
#pragma once

#include <string>

#include "platform/fake/fake_platform.h"
#include "platform/handles.h"

namespace fake {

constexpr uint32_t kErrorInvalidName = 123;  // ERROR_INVALID_NAME
constexpr uint32_t kErrorDirectory = 267;    // ERROR_DIRECTORY

// Sets the last error to `error` and returns false.
bool Fail(uint32_t error);
// Counts a call of `operation` on `subject`; when a fault is due, sets its
// error and returns true (the operation must then fail).
bool Faulted(const char* operation, uint32_t fitting, const std::string& subject = {});
// Notes a change of what outlives the process (FakeWorld::revision).
void Changed();
// Notes that the file's data is about to change: from now until its next
// flush a power loss would leave what it holds now.
void WillWrite(FakeEntry& entry);
// The open handle of `kind`, or null.
FakeHandle* LookupHandle(platform::RawHandle handle, FakeHandle::Kind kind);
platform::RawHandle NewHandle(FakeHandle handle);
// The folder part of a normalized path ("" for a drive root).
std::string ParentPath(const std::string& normalized);
// Whether another process holds the entry open without sharing right now.
bool HeldByOtherProcess(const FakeEntry& entry);
// Whether a file or folder handle of this process reaches `path`.
bool OpenByThisProcess(const std::string& path);
// The file at `path` is being deleted: marked so, or by a handle of this
// process that is still open. Every open by name fails (kErrorDeletePending).
bool BeingDeleted(const std::string& path);
// Whether an open of `path` for `write` with `share_read` conflicts with a
// handle this process holds (no sharing of writes ever).
bool ConflictsWithOpenHandles(const std::string& path, bool write, bool share_read);
// Whether `path` ends with a backslash after the name of a file, which then
// names nothing.
bool NamesAFileAsAFolder(const std::string& path);
// The normalized path an open of `path` reaches: links on the way are
// followed, and the last one too unless the system reports it as a link.
std::string ExaminedPath(const std::string& path);
// The id of the entry at `reached`; 0 for a drive root or a missing entry.
uint64_t EntryId(const std::string& reached);
// The path an open of the normalized `named` (links on its way already
// resolved) reaches: the link at it itself where the system reports it as a
// link (kAttrReparsePoint) and the open asks not to follow one; otherwise,
// links followed.
std::string ReachedNotFollowingAReportedLink(const std::string& named);
// Whether `path` or a folder above it is pinned by a folder handle that does
// not share deletion.
bool PinnedByFolderHandle(const std::string& path);

// Pipes (fake_process.cpp): reading the read end, and closing either end.
bool ReadPipe(platform::RawHandle handle, void* buffer, uint32_t size, uint32_t* read);
void ClosePipeEnd(const FakeHandle& end);

}  // namespace fake

// Files and directories, shaped like the Win32 ANSI file functions. Paths are
// ANSI strings; relative paths resolve against the process's current directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/handles.h"

namespace platform {

constexpr uint32_t kAttrReadOnly = 0x1;
constexpr uint32_t kAttrHidden = 0x2;
constexpr uint32_t kAttrSystem = 0x4;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kAttrReparsePoint = 0x400;
constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFF;

// kWriteDelete: write, and rename or delete the file through its handle.
// kDelete: neither read nor write, only delete or rename (what replacing the
// file by another needs).
enum class FileAccess { kRead, kWrite, kWriteDelete, kDelete };
// kNone: no other opener may read, write or delete while the handle is open.
// kRead: others may read but not write or delete.
enum class FileShare { kNone, kRead };
// kCreateNew fails (ERROR_FILE_EXISTS) when anything, a link included, has the
// name already, so it never opens an existing file or follows a link.
enum class FileDisposition { kOpenExisting, kCreateAlways, kCreateNew };

// GetFileAttributesA; kInvalidFileAttributes when the path does not exist or
// cannot be examined (GetLastError tells why; kErrorDeletePending as for
// CreateFile).
uint32_t GetFileAttributes(const std::string& path);
// True when `path` exists and is not a directory.
bool FileExists(const std::string& path);
// True when `path` exists and is a directory.
bool DirectoryExists(const std::string& path);
// GetFullPathNameA: `path` made absolute against the current directory, "/"
// turned into "\\", "." and ".." resolved, nothing looked up on the disk;
// empty on failure.
std::string GetFullPathName(const std::string& path);
// `path` without its trailing backslashes, but a drive root ("C:\") keeps its
// own and a lone backslash stays.
std::string WithoutTrailingBackslash(std::string path);
// GetLongPathNameA: the existing `path` with each short (8.3) name spelt
// long, as its folders list it; a link on the way keeps its own name. Empty
// when something on the way does not exist or the call fails.
std::string GetLongPathName(const std::string& path);

constexpr uint32_t kDriveRemote = 4;  // DRIVE_REMOTE
// GetDriveTypeA of a drive's root ("C:\"): kDriveRemote for a network drive.
uint32_t GetDriveType(const std::string& root);

// CreateFileA. Returns an invalid handle on failure (GetLastError tells why;
// a file that is being deleted, which Windows refuses with access denied,
// gives kErrorDeletePending where the system tells them apart).
ScopedHandle CreateFile(const std::string& path,
                        FileAccess access,
                        FileShare share,
                        FileDisposition disposition);
// ReadFile: reads up to `size` bytes; `*read` is 0 at the end of the file.
bool ReadFile(RawHandle file, void* buffer, uint32_t size, uint32_t* read);
// WriteFile: `*written` may be less than `size` even when the call succeeds.
bool WriteFile(RawHandle file, const void* data, uint32_t size, uint32_t* written);
// Moves the file pointer to `offset` bytes from the start.
bool SeekFile(RawHandle file, uint64_t offset);
// FlushFileBuffers.
bool FlushFileBuffers(RawHandle file);
// DeleteFileA.
bool DeleteFile(const std::string& path);

// Opens the folder `path` as the root of handle-based renames: without
// following a link at its own name where the system can tell, and without
// sharing deletion, so that while the handle is open the folder cannot be
// renamed, moved or deleted. Invalid on failure.
ScopedHandle OpenFolder(const std::string& path);
// Opens `path` only to examine it (its attributes and final path), sharing
// everything and without following a link at its own name where the system
// can tell. Invalid on failure (kErrorDeletePending as for CreateFile).
ScopedHandle OpenForExamination(const std::string& path);
// The same, but following a link at its own name too, as HoldFolder does.
ScopedHandle OpenForExaminationThroughLinks(const std::string& path);
// Opens the folder `path` to hold it: links on the way and at its own name
// are followed, and deletion is not shared, so that while the handle is open
// the folder it reached cannot be renamed, moved or deleted. Invalid on failure.
ScopedHandle HoldFolder(const std::string& path);
// The attributes of the open file or folder (NtQueryInformationFile: the same
// as GetFileInformationByHandle tells, without asking the volume).
bool GetFileAttributesByHandle(RawHandle handle, uint32_t* attributes);
// What GetFileInformationByHandle tells of an open file or folder but its
// volume (read through NtQueryInformationFile, which asks nothing of the volume:
// under Wine that is a round trip to its mount manager, another process).
// `links` (nNumberOfLinks) counts a file's names, its hard links.
struct FileInformation {
  uint32_t attributes = 0;
  uint64_t size = 0;
  uint32_t links = 1;
};
bool GetFileInformation(RawHandle handle, FileInformation* information);
// The volume's serial number and the index on it (GetFileInformationByHandle):
// together they name one file or folder, whatever path reaches it.
struct FileIdentity {
  uint32_t volume = 0;
  uint64_t index = 0;
};
bool GetFileIdentity(RawHandle handle, FileIdentity* identity);
// True when both handles reach the same file or folder; false when either
// cannot be examined.
bool SameFileObject(RawHandle first, RawHandle second);
// GetFileType is FILE_TYPE_DISK: the handle reaches a file on a disk, not a
// character device, a console or a pipe.
bool IsDiskFile(RawHandle file);
// GetFinalPathNameByHandleA: the path the handle really reaches, links
// resolved, without the "\\?\" prefix: a drive path ("C:\...") or a network
// path ("\\server\share\..."). False where the system cannot tell (before
// Windows Vista; the last error is then kErrorCallNotImplemented), where no
// drive letter reaches the file (a volume without one, or one the mount
// manager does not know: kErrorPathNotFound), or the call fails; `*path` is
// then untouched. A handle's identity (GetFileInformation) is known even then.
bool GetFinalPathNameByHandle(RawHandle handle, std::string* path);
// Renames the file open as `file` (opened with kWriteDelete) to `name` inside
// the folder open as `folder`, replacing whatever has that name; a link there
// is replaced itself, never followed. Fails while another process has the
// existing file open.
bool RenameFileByHandle(RawHandle file, RawHandle folder, const std::string& name);
// Marks the file open as `file` (opened with kWriteDelete, or by OpenInFolder
// with kDelete) for deletion when its last handle closes.
bool SetDeleteOnClose(RawHandle file);

// One entry of a directory listing (WIN32_FIND_DATAA).
struct FindData {
  std::string name;
  uint32_t attributes = 0;
  uint64_t size = 0;
};
// FindFirstFileA: on success fills `*first` and returns the open enumeration.
ScopedFindHandle FindFirstFile(const std::string& pattern, FindData* first);
// FindNextFileA: false when no entry is left.
bool FindNextFile(RawHandle find, FindData* next);

// What an open relative to a folder's handle is for.
enum class InFolderAccess {
  kExamine,  // attributes, identity and final path only; shares everything
  kRead,     // a file's bytes (never a folder's), sharing as asked
  kDelete,   // a file only to examine (its owner too), rename or delete it, sharing as asked
  kList,     // a folder's entries and opens in it (never a file's); shares everything
};
// Opens `name` (one component, no "..") in the folder open as `folder`
// through that handle, never through a path (NtCreateFile with the handle as
// its root): a link at the name is not followed where the system can tell
// (the link itself is opened), and the open never waits for another
// process's opportunistic lock: it completes at once while the lock's break
// goes on. Invalid on failure (kErrorFileNotFound: nothing has the name).
ScopedHandle OpenInFolder(RawHandle folder,
                          const std::string& name,
                          InFolderAccess access,
                          FileShare share);
// The entries of the folder open as `folder` (by HoldFolder, OpenFolder or
// OpenInFolder with kList), without "." and "..", in the system's order;
// `size` is a file's length. False when it cannot be listed, also when the
// handle is a file's; `*entries` is then untouched.
bool ListFolder(RawHandle folder, std::vector<FindData>* entries);

bool SetCurrentDirectory(const std::string& path);
std::string GetCurrentDirectory();

}  // namespace platform

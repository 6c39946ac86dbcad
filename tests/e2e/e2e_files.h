// File and folder helpers for the end-to-end tests. Paths are Windows paths
// (ANSI); the build's Unix paths reach Wine through drive Z:.
#pragma once

#include <string>

namespace velt::e2e {

// "/a/b" -> "Z:\a\b".
std::string ToWinePath(const std::string& unix_path);
// The environment variable `name` as a Windows path (a Unix path, starting with
// '/', is translated); empty when unset or empty.
std::string WinePathFromEnvironment(const char* name);

// A new empty folder below the temporary folder, named `stem` plus a unique
// suffix; returned with a trailing backslash, or empty on failure.
std::string MakeTempFolder(const std::string& stem);
// Deletes `folder` with everything inside; true when nothing is left.
bool RemoveTree(const std::string& folder);

bool FileExists(const std::string& path);
// Creates or replaces `path` with exactly `bytes`.
bool WriteBinaryFile(const std::string& path, const std::string& bytes);
// The whole file; empty (and `*ok` false when given) when it cannot be read.
std::string ReadBinaryFile(const std::string& path, bool* ok = nullptr);
// Copies every file (not folders) of `from_folder` into `to_folder`; both end
// with a backslash. Returns the number of files copied.
int CopyFolderFiles(const std::string& from_folder, const std::string& to_folder);

}  // namespace velt::e2e

namespace velt::e2e {

// Total size in bytes of every file below `folder` (trailing backslash), all subfolders included.
unsigned long long FolderBytes(const std::string& folder);

}  // namespace velt::e2e

namespace velt::e2e {

// `text` with A to Z lowercased (paths compare without regard to case).
std::string AsciiLower(std::string text);

}  // namespace velt::e2e

// Velt's uninstall entry: where the installation folder is found.
#pragma once

#include <string>

namespace velt {

// The folder part of an "UninstallString" value, ending with a backslash: the
// text up to the last backslash before the value's last character. A value in
// quotation marks is taken from inside them (arguments after the closing mark
// are dropped). False when there is no such backslash (an empty value included).
bool UninstallFolderPart(const std::string& value, std::string* folder);

// Reads "UninstallString" of the HKLM key `key_path` through the shared registry
// and sets `*folder` to its folder part. False (folder untouched) when the key,
// the value or a folder part is missing. Errors raised while reading pass on.
bool ReadUninstallFolder(const std::string& key_path, std::string* folder);

// `uninstall_path` with "WOW6432Node\" inserted after its first backslash.
std::string Wow64UninstallPath(const std::string& uninstall_path);

}  // namespace velt

// The VS_VERSIONINFO block of an RT_VERSION resource: the fixed file
// information and the strings of its first string table.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace pe {

struct VersionInfo {
  uint16_t file_version[4] = {};               // major, minor, build, revision
  uint16_t product_version[4] = {};            // likewise
  std::string language;                        // the string table's key, e.g. "040904B0"
  std::map<std::string, std::string> strings;  // ASCII keys and values
};

// Parses the resource bytes. False with a reason in `error` when the block
// structure or the fixed information's signature is broken.
bool ParseVersionInfo(const std::string& bytes, VersionInfo* info, std::string* error);

}  // namespace pe

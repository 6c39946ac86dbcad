// The installed package file's version, read before it is replaced.
#pragma once

#include <cstdint>
#include <string>

namespace velt {

constexpr int kPackageOpenAttempts = 17;
constexpr uint32_t kPackageOpenRetryMs = 256;

// The version the header stores: byte 4 minus 32 (-32 when the file is shorter
// than five bytes). The file is opened without sharing, so a process that holds
// it makes the open fail; up to 17 attempts, sleeping 256 ms after each failed
// one. False when every attempt failed (`*version` untouched).
bool ReadInstalledVersion(const std::string& path, int32_t* version);

}  // namespace velt

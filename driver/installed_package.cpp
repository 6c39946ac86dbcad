#include "driver/installed_package.h"

#include "platform/files.h"
#include "platform/system.h"

namespace velt {
namespace {

constexpr uint32_t kVersionOffset = 4;
constexpr int32_t kVersionBias = 32;

int32_t ReadVersionByte(platform::RawHandle file) {
  uint8_t header[kVersionOffset + 1] = {};
  uint32_t total = 0;
  while (total < sizeof(header)) {
    uint32_t read = 0;
    if (!platform::ReadFile(file, header + total, sizeof(header) - total, &read) || read == 0) {
      break;
    }
    total += read;
  }
  uint8_t biased = total == sizeof(header) ? header[kVersionOffset] : 0;
  return static_cast<int32_t>(biased) - kVersionBias;
}

}  // namespace

bool ReadInstalledVersion(const std::string& path, int32_t* version) {
  for (int attempt = 0; attempt < kPackageOpenAttempts; ++attempt) {
    platform::ScopedHandle file =
        platform::CreateFile(path, platform::FileAccess::kRead, platform::FileShare::kNone,
                             platform::FileDisposition::kOpenExisting);
    if (file.IsValid()) {
      *version = ReadVersionByte(file.Get());
      return true;
    }
    platform::Sleep(kPackageOpenRetryMs);
  }
  return false;
}

}  // namespace velt

#include "package/self_check.h"

#include <cstring>

#include "package/package_format.h"
#include "package/payload_checksum.h"
#include "package/payload_digest.h"
#include "platform/resources.h"
#include "startup/release_facts.h"
#include "startup/startup_settings.h"
#include "startup/update_constants.h"

namespace velt {

const char kDamagedInstallerEnglish[] = "The installer is damaged. Please download it again.";
const char kDamagedInstallerRussian[] =
    "Файл установки повреждён. Пожалуйста, загрузите его заново.";

namespace {

// The payload has the size and digest recorded at build time and a header that
// describes exactly its bytes with this update's version.
bool PayloadIsIntact(const uint8_t* data, uint32_t size) {
  if (size != kPayloadBuildSize)
    return false;
  uint8_t digest[kPayloadChecksumSize];
  PayloadChecksum(data, size, digest);
  if (std::memcmp(digest, kPayloadBuildDigest, sizeof digest) != 0)
    return false;
  return ValidatePackage(data, size, UpdateVersion, nullptr);
}

}  // namespace

bool CheckInstallerIntegrity() {
  bool intact = false;
  {
    platform::ScopedResource payload;
    intact = payload.Load(kPackageResourceName, kPackageResourceType) &&
             PayloadIsIntact(payload.data(), payload.size());
  }
  if (!intact)
    ShowBilingualError(kDamagedInstallerEnglish, kDamagedInstallerRussian);
  return intact;
}

}  // namespace velt

// The installer's check of its own integrity, made before anything is written.
#pragma once

#include <cstdint>
#include <string>

namespace velt {

// Texts of the box shown when the check fails.
extern const char kDamagedInstallerEnglish[];
extern const char kDamagedInstallerRussian[];

// True when the payload resource exists, has the size and XXH3-128 digest recorded
// at build time, and its header is well formed with the version byte
// UpdateVersion + 32. Only the payload is hashed, so signing the executable does
// not affect the result. Otherwise shows the bilingual "installer is damaged" box
// and returns false.
bool CheckInstallerIntegrity();

}  // namespace velt

// The facts of one release of the installer, each written down here once. The
// configuration (cmake/ReleaseOptions.cmake) checks the release options the way
// the program reads them, writes them to the generated velt_release_options.h
// and takes the version byte's place from this file; the resource script and
// the product checks are made from the same options. The host tools include
// this file too, so it uses only the standard library.
#pragma once

#include <cstdint>

#include "velt_release_options.h"

// Where the data file's header keeps its version byte, and what the byte adds
// to the version. The configuration reads these two lines.
#define VELT_PACKAGE_VERSION_OFFSET 4
#define VELT_PACKAGE_VERSION_BIAS 32

namespace velt {

// The data file's name in Velt's folder: a stem and an extension, both plain
// words ("vtup.cok").
constexpr char kPackageFileName[] = VELT_PACKAGE_STEM "." VELT_PACKAGE_EXTENSION;
// The carried payload's resource is named by the stem and typed by the
// extension (matched without regard to case).
constexpr char kPackageResourceName[] = VELT_PACKAGE_STEM;
constexpr char kPackageResourceType[] = VELT_PACKAGE_EXTENSION;
// The language files' key whose text names the update's content ("flute").
constexpr char kContentKey[] = VELT_CONTENT_KEY;
// The version of the carried data file (11 for the sample).
constexpr int32_t kUpdateVersion = VELT_UPDATE_VERSION;

constexpr uint32_t kPackageVersionOffset = VELT_PACKAGE_VERSION_OFFSET;
constexpr int32_t kPackageVersionBias = VELT_PACKAGE_VERSION_BIAS;
static_assert(kUpdateVersion >= 0 && kUpdateVersion + kPackageVersionBias <= 255,
              "the update's version must fit the version byte");

// A data file that another process holds is tried this many times, with this
// pause after every failed attempt (17 x 256 ms), both when its version is read
// and when it is replaced.
constexpr int kPackageAttempts = 17;
constexpr uint32_t kPackageRetryDelayMs = 256;

}  // namespace velt

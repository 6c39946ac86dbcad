// A one-line description of the running Windows system, and the process-wide
// flag derived from it that tells whether the system is 64-bit.
#pragma once

#include <string>

namespace velt {

// True when the last successful DescribeWindows() text contains " 64". False at
// start-up; never cleared by a failed description.
extern bool Is64BitWindows;

// Module start and end: reset Is64BitWindows to false.
void StartSystemDescription();
void EndSystemDescription();

// Builds the product text ("Microsoft Windows XP Professional", or the registry's
// product name on NT 6) and the service-pack text. Both are emptied first. False
// when no version record can be read or the platform is neither 9x nor NT.
bool ReadWindowsVersion(std::string* product, std::string* service_pack);

// The product text, followed by " " and the service-pack text unless that is
// blank; "unknown" when ReadWindowsVersion fails. Sets Is64BitWindows on success.
std::string DescribeWindows();

}  // namespace velt

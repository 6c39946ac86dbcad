// The build constants of this update and the program's names, set by the entry
// and the first step of the update sequence. The carried resource's name and
// type are this release's facts (startup/release_facts.h).
#pragma once

#include <cstdint>
#include <string>

namespace velt {

extern std::string ContentKey;         // "flute"
extern std::string PackageFileName;    // "vtup.cok"
extern int32_t UpdateVersion;          // 11
extern std::string UpdateVersionText;  // "11"

extern std::string ProductName;   // "Velt"
extern std::string ProgramTitle;  // Russian title; replaced by the language file's "progname"
extern std::string ProgramTitleEnglish;  // "Velt update"

// Sets ContentKey, PackageFileName and UpdateVersion from this release's facts
// (startup/release_facts.h); the entry's job.
void SetBuildConstants();
// Sets UpdateVersionText, ProductName, ProgramTitle and ProgramTitleEnglish, in
// that order (the first step of the update).
void SetProgramNames();

}  // namespace velt

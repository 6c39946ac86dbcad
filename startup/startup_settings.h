// Start-up facts read by the whole program (the user's locale, the system's
// description, the first command-line argument), the shared registry accessor, the seeded random
// generator, the per-user settings key and the built-in bilingual error box.
#pragma once

#include <cstdint>
#include <string>

#include "platform/tregistry.h"

namespace velt {

extern uint32_t UserLcid;          // GetUserDefaultLCID at start-up
extern bool CyrillicLocale;        // UserLcid is one of the seven Cyrillic-script locales
extern std::string FirstArgument;  // first command-line argument, A-Z lowercased

extern const char kSettingsKeyPrefix[];  // "Software\\Kolm\\"
extern const char kSystemKeyPrefix[];    // "Software\\Microsoft\\Windows\\CurrentVersion\\"

// The running system's description (DescribeWindows), made once at start-up;
// the run log's heading names it.
extern std::string WindowsDescription;

// Runs once before the language, environment and driver modules start. After
// reading the locale it describes the system once, whose Is64BitWindows
// chooses the shared registry object's view.
void StartStartupSettings();
// Frees the shared registry object.
void EndStartupSettings();

// True for the seven Cyrillic-script locale identifiers (whole-LCID comparison).
bool IsCyrillicLocale(uint32_t lcid);
// The shared registry accessor; exists between start and end of this module.
platform::TRegistry& Registry();

// A pseudo-random number from 0 to range - 1, from the generator seeded at start-up.
uint32_t Random(uint32_t range);

// Opens HKCU "Software\\Kolm\\" + ProductName on the shared registry, creating it
// when missing, and leaves it open for the caller to read and close. False only
// when an error was raised while opening.
bool OpenSettingsKey();

// The built-in error box: Russian text with ProgramTitle on Cyrillic locales
// (MessageBoxExA, language 0x0019), otherwise English with ProgramTitleEnglish
// (MessageBoxA); style MB_ICONERROR | MB_SERVICE_NOTIFICATION.
void ShowBilingualError(const std::string& english, const std::string& russian);

}  // namespace velt

// The Windows version Wine reports to the updater, set for the length of a
// scope, and a probe of what the updater's start-up code then learns.
#pragma once

#include <string>

#include "tests/e2e/saved_registry_value.h"

namespace velt::e2e {

// Makes Wine report `wine_version` ("win10", "winxp64", ...) to every program
// named velt-update.exe and to cmd.exe (which the start-up code runs for "ver"
// on Windows 8 and later), through HKCU "Software\Wine\AppDefaults". The old
// settings come back when the object ends, also when the test fails.
class ReportedWindows {
 public:
  explicit ReportedWindows(const std::string& wine_version);
  ReportedWindows(const ReportedWindows&) = delete;
  ReportedWindows& operator=(const ReportedWindows&) = delete;
  bool ok() const { return ok_; }

 private:
  SavedRegistryValue updater_;
  SavedRegistryValue cmd_;
  bool ok_ = false;
};

// What the start-up code of a program named velt-update.exe learns about the
// system under the current Wine settings: describe-windows.exe, copied as
// <folder>\probe\velt-update.exe, prints "name=value" lines (description,
// is64, registry_access, version_words, true_version...).
std::string ProbeReportedSystem(const std::string& folder);

// The value of the line "name=value" in `report`, or empty.
std::string ReportLine(const std::string& report, const std::string& name);

// Runs `command` in `folder` and returns what it printed on standard output.
std::string CaptureOutput(std::string command, const std::string& folder);

}  // namespace velt::e2e

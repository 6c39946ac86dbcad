// A fake machine with Velt installed, and the update's modules started on it.
#pragma once

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "deployment/exit_codes.h"
#include "driver/program.h"
#include "driver/update_sequence.h"
#include "language/language.h"
#include "platform/fake/fake_platform.h"
#include "platform/registry.h"
#include "platform/ui.h"
#include "startup/install_environment.h"
#include "startup/startup_settings.h"
#include "startup/update_constants.h"
#include "sysinfo/os_description.h"

namespace velt_test {

inline const char kVeltFolder[] = "C:\\Program Files\\Velt\\";
inline const char kUninstallKey[] =
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velt";
inline const char kSettingsKey[] = "HKCU\\Software\\Kolm\\Velt";

// A language file with one text per message key, each naming its key, so a
// test can tell which key a shown text came from.
inline std::string EnglishLanguageFile() {
  return "[progname]\r\nVelt (test)\r\n\r\n[langcode]\r\n1033\r\n\r\n[langver]\r\n1\r\n\r\n"
         "[noright]\r\nnoright line 1\r\nnoright line 2\r\n\r\n"
         "[filecantopen]\r\nfilecantopen: %1\r\n\r\n"
         "[olderfilever]\r\nolderfilever: %1\r\n\r\n"
         "[installask]\r\ninstallask: %1 / %2\r\n\r\n"
         "[installdone]\r\ninstalldone: %1\r\n\r\n"
         "[soundquest]\r\nsoundquest\r\n\r\n"
         "[liveupdatecaption]\r\nLive update\r\n\r\n"
         "[asktorun]\r\nasktorun?\r\n\r\n"
         "[flute]\r\nFlute\r\n";
}

inline std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// The payload this build carries: the self-check compares it with its digest.
inline const std::string& BuiltPayload() {
  static const std::string payload = ReadHostFile(VELT_PAYLOAD_FILE);
  return payload;
}

// A package file with the given version byte.
inline std::string PackageWithVersionByte(unsigned char byte) {
  return std::string("vtup") + static_cast<char>(byte) + std::string(20, 'x');
}

// A fresh fake machine with Velt installed in kVeltFolder: Program Files, the
// uninstall entry, velt.exe, an English language file and a data file with
// `version_byte`; the updater is started without arguments and carries the
// payload of this build.
inline void ArrangeVeltInstallation(unsigned char version_byte) {
  fake::ResetWorld();
  fake::World().command_line = "velt-update.exe";
  fake::SetRegString("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                     "C:\\Program Files");
  fake::SetRegString(kUninstallKey, "UninstallString", std::string(kVeltFolder) + "uninst.exe");
  fake::AddFile(std::string(kVeltFolder) + "velt.exe", "MZ");
  fake::AddFile(std::string(kVeltFolder) + "language\\english.lng", EnglishLanguageFile());
  fake::AddFile(std::string(kVeltFolder) + "vtup.cok", PackageWithVersionByte(version_byte));
  fake::World().resources[{"VTUP", "COK"}] = BuiltPayload();
}

// This process elevated above its user, as UAC makes it: its own token is the
// full half, linked to the user's ordinary, medium one.
inline void ElevateAboveTheUser() {
  fake::World().process_elevation = platform::Elevation::kSplit;
  fake::World().tokens["process"].elevated = true;
  fake::World().tokens["process"].integrity = platform::kHighIntegrity;
  fake::World().tokens["process"].linked = "process linked";
  fake::World().tokens["process linked"] = fake::FakeToken{};
}

class UpdateTest : public ::testing::Test {
 protected:
  void SetUp() override { ArrangeVeltInstallation(42); }
  void TearDown() override {
    if (HasFailure()) {  // the boxes tell most of what happened
      for (const auto& box : fake::World().boxes) {
        std::cout << "box [" << box.caption << "] " << box.text << "\n";
      }
    }
    EndModules();
  }

  // The program's modules; TearDown ends them unless the test already has.
  void StartModules() {
    velt::StartModules();
    started_ = true;
  }
  void EndModules() {
    if (!started_)
      return;
    velt::EndModules();
    started_ = false;
  }

  int Run(const std::string& arguments = "") {
    fake::World().command_line = "velt-update.exe" + (arguments.empty() ? "" : " " + arguments);
    StartModules();
    velt::SetBuildConstants();
    return velt::RunUpdate();
  }

  void Answer(std::initializer_list<int> answers) {
    for (int answer : answers)
      fake::World().box_answers.push_back(answer);
  }

  std::string Package() { return fake::FileData(std::string(kVeltFolder) + "vtup.cok"); }
  const fake::FakeValue* EstimatedSize() {
    return fake::GetRegValue(kUninstallKey, "EstimatedSize");
  }
  const std::vector<fake::MessageBoxRecord>& Boxes() { return fake::World().boxes; }

 private:
  bool started_ = false;
};

}  // namespace velt_test

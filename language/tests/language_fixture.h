// Shared set-up for the language module's tests: a fresh fake world with Velt
// installed in C:\Program Files\Velt\, the start-up settings and language
// modules started, and helpers to place language files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "language/language.h"
#include "platform/fake/fake_platform.h"
#include "startup/install_environment.h"
#include "startup/startup_settings.h"
#include "startup/update_constants.h"
#include "sysinfo/os_description.h"

namespace velt_test {

inline const char kLanguageFolder[] = "C:\\Program Files\\Velt\\language\\";
inline const char kSettingsKey[] = "HKCU\\Software\\Kolm\\Velt";

// Lines joined with CR LF, the last one ended too.
inline std::string CrLfText(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines)
    text += line + "\r\n";
  return text;
}

// A whole file of the source tree, byte for byte; fails the test when missing.
inline std::string ReadSourceFile(const std::string& relative_path) {
  std::ifstream in(std::string(VELT_SOURCE_DIR) + "/" + relative_path, std::ios::binary);
  EXPECT_TRUE(in.good()) << relative_path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A minimal valid language file with the given locale list and title. The
// list ends at a blank line, as every multi-line value must.
inline std::string MinimalFile(const std::string& langcode, const std::string& progname) {
  return CrLfText({"[langcode]", langcode, "", "[langver]", "1", "[progname]", progname});
}

class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetWorld();
    fake::World().lcid = 1033;
    velt::StartStartupSettings();
    velt::SetProgramNames();
    velt::StartLanguage();
    velt::ProductFolder = "C:\\Program Files\\Velt\\";
  }

  void TearDown() override {
    velt::EndLanguage();
    velt::EndStartupSettings();
  }

  static void UseLocale(uint32_t lcid) {
    velt::UserLcid = lcid;
    velt::CyrillicLocale = velt::IsCyrillicLocale(lcid);
  }

  static void AddLanguageFile(const std::string& name, const std::string& data) {
    fake::AddFile(std::string(kLanguageFolder) + name, data);
  }
  static void AddSampleFile(const std::string& name) {
    AddLanguageFile(name, ReadSourceFile("samples/installation/language/" + name));
  }
  static void AddTestDataFile(const std::string& data_name, const std::string& listed_name) {
    AddLanguageFile(listed_name, ReadSourceFile("tests/data/language/" + data_name));
  }

  static const std::vector<fake::MessageBoxRecord>& Boxes() { return fake::World().boxes; }
  static std::string CurrentFileName() {
    return velt::LanguageFileIndex < 0 ? std::string()
                                       : velt::LanguageList.at(velt::LanguageFileIndex);
  }
};

}  // namespace velt_test

// Shared helpers for the package module's native tests: a fresh fake world with
// the program's names set, payload builders and the expected box texts.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "package/resource_install.h"
#include "platform/fake/fake_platform.h"
#include "startup/startup_settings.h"
#include "startup/update_constants.h"

namespace velt_test {

// "Не удается установить файл " in Windows-1251.
inline const char kCantInstallRussian[] =
    "\xcd\xe5 \xf3\xe4\xe0\xe5\xf2\xf1\xff \xf3\xf1\xf2\xe0\xed\xee\xe2\xe8\xf2\xfc "
    "\xf4\xe0\xe9\xeb ";

class PackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ResetWorld();
    velt::SetBuildConstants();
    velt::SetProgramNames();
    velt::CyrillicLocale = false;
  }
  void TearDown() override {
    EXPECT_EQ(fake::OpenHandleCount(), 0) << "handles left open";
    EXPECT_EQ(fake::World().loaded_resources, 0) << "resources left loaded";
  }
};

// InstallResourceFile of `name`/`type` as the last component of `destination`
// into the folder before it, opened as an install folder first: a folder that
// cannot be opened, or is a link, fails the installation with its box, as a
// folder its path no longer reaches does.
inline velt::InstallOutcome InstallResourceAt(const std::string& name,
                                              const std::string& type,
                                              const std::string& destination) {
  const size_t slash = destination.rfind('\\');
  velt::InstallFolder folder;
  folder.Open(destination.substr(0, slash + 1));
  return velt::InstallResourceFile(name, type, folder, destination.substr(slash + 1));
}

inline void PutU32(std::string* bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    (*bytes)[at + i] = static_cast<char>(value >> (8 * i));
}

// A payload in the package layout with items of the given sizes (filled with
// letters) and the given version byte.
inline std::string MakePayload(const std::vector<uint32_t>& item_sizes, uint8_t version_byte) {
  const uint32_t count = static_cast<uint32_t>(item_sizes.size());
  std::string bytes(7 + 4 * (count + 1) + 4, '\0');
  bytes.replace(0, 4, "vtup");
  bytes[4] = static_cast<char>(version_byte);
  bytes[5] = static_cast<char>(count & 0xFF);
  bytes[6] = static_cast<char>(count >> 8);
  for (uint32_t k = 0; k < count; ++k) {
    PutU32(&bytes, 7 + 4 * k, static_cast<uint32_t>(bytes.size()));
    bytes.append(item_sizes[k], static_cast<char>('a' + k % 26));
  }
  PutU32(&bytes, 7 + 4 * count, static_cast<uint32_t>(bytes.size()));
  bytes.append(4, '\x7F');
  return bytes;
}

// A whole file of the build tree; fails the test when it is missing.
inline std::string ReadBuildFile(const std::string& relative_path) {
  std::ifstream in(std::string(VELT_BINARY_DIR) + "/" + relative_path, std::ios::binary);
  EXPECT_TRUE(in.good()) << relative_path;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace velt_test

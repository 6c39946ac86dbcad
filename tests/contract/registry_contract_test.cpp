// The raw registry functions and TRegistry: values of each type as stored, the
// limits of queries, access, and the views a 32-bit process on 64-bit Windows
// reaches (HKLM\Software redirected to WOW6432Node, HKCU\Software shared).
#include <string>
#include <type_traits>

#include "platform/errors.h"
#include "platform/registry.h"
#include "platform/tregistry.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

// A key's owner takes keys only, and no other owner takes a key.
static_assert(std::is_constructible_v<platform::ScopedRegKey, platform::RegKey>);
static_assert(!std::is_constructible_v<platform::ScopedRegKey, platform::RawHandle>);
static_assert(!std::is_constructible_v<platform::ScopedHandle, platform::RegKey>);

using platform::RegKey;

class RegistryContract : public ContractTest {
 protected:
  void SetUp() override {
    ContractTest::SetUp();
    path_ = NewKeyPath();
    ASSERT_EQ(platform::RegCreateKeyEx(platform::HkeyCurrentUser(), path_, platform::kKeyAllAccess,
                                       &key_),
              0);
  }
  void TearDown() override {
    if (key_ != nullptr)
      platform::RegCloseKey(key_);
    ContractTest::TearDown();
  }

  void Set(const std::string& name, uint32_t type, const std::string& data) {
    ASSERT_EQ(platform::RegSetValueEx(key_, name, type, data), 0);
  }

  std::string path_;
  RegKey key_ = nullptr;
};

TEST_F(RegistryContract, StringValuesComeBackWithTheirNulBytesAsStored) {
  Set("WithNul", platform::kRegSz, std::string("C:\\Velt\0", 8));
  Set("Expand", platform::kRegExpandSz, std::string("%TEMP%\\x\0", 10));
  Set("", platform::kRegSz, std::string("default\0", 8));
  // "Вельт" in Windows-1251; the same bytes are letters in Windows-1252 too.
  const std::string upper_half("C:\\\xC2\xE5\xEB\xFC\xF2\\uninst.exe\0", 20);
  Set("UninstallString", platform::kRegSz, upper_half);
  uint32_t type = 0;
  std::string data;
  ASSERT_EQ(platform::RegQueryValueEx(key_, "WithNul", &type, &data), 0);
  EXPECT_EQ(type, platform::kRegSz);
  EXPECT_EQ(data, std::string("C:\\Velt\0", 8));
  ASSERT_EQ(platform::RegQueryValueEx(key_, "expand", &type, &data), 0) << "names ignore case";
  EXPECT_EQ(type, platform::kRegExpandSz);
  EXPECT_EQ(data, std::string("%TEMP%\\x\0", 10));
  ASSERT_EQ(platform::RegQueryValueEx(key_, "", &type, &data), 0);
  EXPECT_EQ(data, std::string("default\0", 8));
  ASSERT_EQ(platform::RegQueryValueEx(key_, "UninstallString", nullptr, &data), 0);
  EXPECT_EQ(data, upper_half);
}

TEST_F(RegistryContract, BinaryDwordAndNoneValuesKeepEveryByte) {
  const std::string binary("\x00\x01\xFF\x00zz", 6);
  Set("Bin", platform::kRegBinary, binary);
  Set("Num", platform::kRegDword, std::string("\x78\x56\x34\x12", 4));
  Set("Nothing", platform::kRegNone, "");
  uint32_t type = 0;
  std::string data;
  ASSERT_EQ(platform::RegQueryValueEx(key_, "Bin", &type, &data), 0);
  EXPECT_EQ(type, platform::kRegBinary);
  EXPECT_EQ(data, binary);
  ASSERT_EQ(platform::RegQueryValueEx(key_, "Num", &type, &data), 0);
  EXPECT_EQ(type, platform::kRegDword);
  EXPECT_EQ(data, std::string("\x78\x56\x34\x12", 4));
  type = 77;
  ASSERT_EQ(platform::RegQueryValueEx(key_, "Nothing", &type, &data), 0);
  EXPECT_EQ(type, platform::kRegNone);
  EXPECT_EQ(data, "");
}

TEST_F(RegistryContract, ValuesLongerThanTheLimitFailWithMoreDataAndLeaveOutputs) {
  Set("Ten", platform::kRegBinary, "0123456789");
  uint32_t type = 77;
  std::string data = "untouched";
  EXPECT_EQ(platform::RegQueryValueEx(key_, "Ten", &type, &data, 9), platform::kErrorMoreData);
  EXPECT_EQ(type, 77u);
  EXPECT_EQ(data, "untouched");
  EXPECT_EQ(platform::RegQueryValueEx(key_, "Ten", &type, &data, 10), 0);
  EXPECT_EQ(data, "0123456789");
}

TEST_F(RegistryContract, TypeOnlyQueriesAndMissingValuesAndKeys) {
  Set("Empty", platform::kRegSz, std::string("\0", 1));
  uint32_t type = 0;
  EXPECT_EQ(platform::RegQueryValueEx(key_, "Empty", &type, nullptr), 0);
  EXPECT_EQ(type, platform::kRegSz);
  std::string data = "untouched";
  type = 77;
  EXPECT_EQ(platform::RegQueryValueEx(key_, "Missing", &type, &data), platform::kErrorFileNotFound);
  EXPECT_EQ(type, 77u);
  EXPECT_EQ(data, "untouched");

  RegKey missing = reinterpret_cast<RegKey>(1);
  EXPECT_EQ(platform::RegOpenKeyEx(platform::HkeyCurrentUser(), path_ + "\\Missing",
                                   platform::kKeyQueryValue, &missing),
            platform::kErrorFileNotFound);
  EXPECT_EQ(missing, reinterpret_cast<RegKey>(1));
}

TEST_F(RegistryContract, AQueryOnlyKeyRefusesWritesAndCreateOpensAnExistingKey) {
  Set("Value", platform::kRegSz, std::string("x\0", 2));
  RegKey reader = nullptr;
  ASSERT_EQ(
      platform::RegOpenKeyEx(platform::HkeyCurrentUser(), path_, platform::kKeyQueryValue, &reader),
      0);
  std::string data;
  EXPECT_EQ(platform::RegQueryValueEx(reader, "Value", nullptr, &data), 0);
  EXPECT_EQ(data, std::string("x\0", 2));
  EXPECT_EQ(platform::RegSetValueEx(reader, "Value", platform::kRegSz, std::string("y\0", 2)),
            platform::kErrorAccessDenied);
  EXPECT_EQ(platform::RegCloseKey(reader), 0);

  RegKey again = nullptr;
  ASSERT_EQ(
      platform::RegCreateKeyEx(platform::HkeyCurrentUser(), path_, platform::kKeyAllAccess, &again),
      0);
  EXPECT_EQ(platform::RegQueryValueEx(again, "Value", nullptr, &data), 0);
  EXPECT_EQ(data, std::string("x\0", 2));
  platform::RegCloseKey(again);
}

// The value "View" of `path` below `root` opened with `access`; "<none>" when
// the key cannot be opened.
std::string ViewValue(RegKey root, const std::string& path, uint32_t access) {
  RegKey key = nullptr;
  if (platform::RegOpenKeyEx(root, path, platform::kKeyQueryValue | access, &key) != 0)
    return "<none>";
  std::string data = "<no value>";
  platform::RegQueryValueEx(key, "View", nullptr, &data);
  platform::RegCloseKey(key);
  return data;
}

void WriteView(RegKey root, const std::string& path, uint32_t access, const std::string& view) {
  RegKey key = nullptr;
  ASSERT_EQ(platform::RegCreateKeyEx(root, path, platform::kKeyAllAccess | access, &key), 0);
  EXPECT_EQ(platform::RegSetValueEx(key, "View", platform::kRegBinary, view), 0);
  platform::RegCloseKey(key);
}

TEST_F(RegistryContract, A32BitProcessReachesHklmSoftwareThroughWow6432Node) {
  const RegKey hklm = platform::HkeyLocalMachine();
  const std::string wow_path = "Software\\WOW6432Node\\" + path_.substr(9);
  WriteView(hklm, path_, 0, "32");
  EXPECT_EQ(ViewValue(hklm, path_, 0), "32");
  EXPECT_EQ(ViewValue(hklm, path_, platform::kKeyWow64_32Key), "32");
  EXPECT_EQ(ViewValue(hklm, path_, platform::kKeyWow64_64Key), "<none>");
  EXPECT_EQ(ViewValue(hklm, wow_path, platform::kKeyWow64_64Key), "32");

  WriteView(hklm, path_, platform::kKeyWow64_64Key, "64");
  EXPECT_EQ(ViewValue(hklm, path_, platform::kKeyWow64_64Key), "64");
  EXPECT_EQ(ViewValue(hklm, path_, 0), "32");
  EXPECT_EQ(ViewValue(hklm, wow_path, 0), "32") << "the redirected name is not redirected again";
}

TEST_F(RegistryContract, HkcuSoftwareIsOneKeyInEveryView) {
  WriteView(platform::HkeyCurrentUser(), path_, 0, "shared");
  EXPECT_EQ(ViewValue(platform::HkeyCurrentUser(), path_, platform::kKeyWow64_64Key), "shared");
  EXPECT_EQ(ViewValue(platform::HkeyCurrentUser(), path_, platform::kKeyWow64_32Key), "shared");
}

TEST_F(RegistryContract, TRegistryReadsStringsAndRaisesOnOtherTypes) {
  Set("Folder", platform::kRegSz, std::string("C:\\Velt\\\0", 9));
  Set("NoNul", platform::kRegSz, "abc");
  Set("Number", platform::kRegDword, std::string("\x05\x00\x00\x00", 4));
  Set("Nothing", platform::kRegNone, "");

  platform::TRegistry registry(platform::kKeyAllAccess);
  EXPECT_FALSE(registry.OpenKey(platform::HkeyCurrentUser(), path_ + "\\Missing", false));
  EXPECT_FALSE(registry.HasOpenKey());
  ASSERT_TRUE(registry.OpenKey(platform::HkeyCurrentUser(), "\\" + path_, false));
  EXPECT_EQ(registry.ReadString("Folder"), "C:\\Velt\\");
  EXPECT_EQ(registry.ReadString("NoNul"), "abc");
  EXPECT_EQ(registry.ReadString("Missing"), "");
  EXPECT_FALSE(registry.ValueExists("Missing"));
  EXPECT_EQ(registry.GetDataType("Number"), platform::kRegDword);
  EXPECT_THROW(registry.ReadString("Number"), platform::ERegistryException);
  EXPECT_TRUE(registry.ValueExists("Nothing")) << "a REG_NONE value exists";
  EXPECT_THROW(registry.ReadString("Nothing"), platform::ERegistryException);

  registry.WriteInteger("EstimatedSize", -2);
  EXPECT_EQ(registry.GetDataType("EstimatedSize"), platform::kRegDword);
  std::string data;
  ASSERT_EQ(platform::RegQueryValueEx(key_, "EstimatedSize", nullptr, &data), 0);
  EXPECT_EQ(data, std::string("\xFE\xFF\xFF\xFF", 4));
}

TEST_F(RegistryContract, TRegistryCreatesKeysAndRaisesOnRefusedWrites) {
  {
    platform::TRegistry writer(platform::kKeyAllAccess);
    ASSERT_TRUE(writer.OpenKey(platform::HkeyCurrentUser(), path_ + "\\Created", true));
    platform::KeyCloser closer(writer);
    writer.WriteInteger("One", 1);
  }
  platform::TRegistry reader(platform::kKeyQueryValue);
  EXPECT_THROW(reader.WriteInteger("One", 2), platform::ERegistryException) << "no key open";
  ASSERT_TRUE(reader.OpenKey(platform::HkeyCurrentUser(), path_ + "\\Created", false));
  EXPECT_TRUE(reader.ValueExists("One"));
  try {
    reader.WriteInteger("One", 3);
    ADD_FAILURE() << "a query-only key took a write";
  } catch (const platform::ERegistryException& error) {
    EXPECT_STREQ(error.ClassName(), "ERegistryException");
  }
  reader.CloseKey();
  EXPECT_FALSE(reader.ValueExists("One"));
}

}  // namespace
}  // namespace velt::contract

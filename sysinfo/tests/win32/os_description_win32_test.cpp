// DescribeWindows under Wine: in this process, and in describe-windows.exe while
// Wine reports other Windows versions to it (Wine reads the version when a
// process starts, so each version needs a new process).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/win32/win32_api.h"
#include "sysinfo/os_description.h"

namespace {

constexpr char kAppDefaults[] = "Software\\Wine\\AppDefaults\\";

std::string ProductNameInRegistry() {
  char name[512] = {};
  DWORD size = sizeof(name) - 1;
  if (::RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                     "ProductName", RRF_RT_REG_SZ, nullptr, name, &size) != ERROR_SUCCESS) {
    return std::string();
  }
  return name;
}

// Makes Wine report `version` to the programs named (by file name) while it
// lives; the previous per-program settings come back afterwards.
class ScopedWineVersion {
 public:
  ScopedWineVersion(const std::string& version, std::initializer_list<const char*> programs) {
    for (const char* program : programs) {
      Saved saved;
      saved.key = std::string(kAppDefaults) + program;
      HKEY key;
      DWORD disposition = 0;
      if (::RegCreateKeyExA(HKEY_CURRENT_USER, saved.key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, &disposition) != ERROR_SUCCESS) {
        continue;
      }
      saved.created = disposition == REG_CREATED_NEW_KEY;
      char old[64] = {};
      DWORD size = sizeof(old) - 1;
      saved.had_value = ::RegQueryValueExA(key, "Version", nullptr, nullptr,
                                           reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
      saved.value = old;
      ::RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                       static_cast<DWORD>(version.size() + 1));
      ::RegCloseKey(key);
      saved_.push_back(saved);
    }
  }
  ~ScopedWineVersion() {
    for (const Saved& saved : saved_) {
      if (saved.created) {
        ::RegDeleteKeyA(HKEY_CURRENT_USER, saved.key.c_str());
        continue;
      }
      HKEY key;
      if (::RegOpenKeyExA(HKEY_CURRENT_USER, saved.key.c_str(), 0, KEY_ALL_ACCESS, &key) != 0)
        continue;
      if (saved.had_value) {
        ::RegSetValueExA(key, "Version", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(saved.value.c_str()),
                         static_cast<DWORD>(saved.value.size() + 1));
      } else {
        ::RegDeleteValueA(key, "Version");
      }
      ::RegCloseKey(key);
    }
  }

 private:
  struct Saved {
    std::string key, value;
    bool created = false, had_value = false;
  };
  std::vector<Saved> saved_;
};

// Runs describe-windows.exe and returns its "name=value" lines.
std::map<std::string, std::string> RunDescribeWindows() {
  std::string tool = std::string("Z:") + VELT_TOOLS_DIR + "/describe-windows.exe";
  for (char& c : tool) {
    if (c == '/')
      c = '\\';
  }
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  std::string output_path =
      std::string(temp) + "velt_describe_" + std::to_string(::GetCurrentProcessId()) + ".txt";
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  HANDLE output = ::CreateFileA(output_path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  std::map<std::string, std::string> facts;
  if (output == INVALID_HANDLE_VALUE)
    return facts;

  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION process = {};
  std::string command_line = "\"" + tool + "\"";
  if (::CreateProcessA(nullptr, &command_line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process)) {
    ::WaitForSingleObject(process.hProcess, 60000);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
  }
  ::CloseHandle(output);

  FILE* file = std::fopen(output_path.c_str(), "rb");
  char line[1024];
  while (file != nullptr && std::fgets(line, sizeof(line), file) != nullptr) {
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
      text.pop_back();
    std::string::size_type equals = text.find('=');
    if (equals != std::string::npos)
      facts[text.substr(0, equals)] = text.substr(equals + 1);
  }
  if (file != nullptr)
    std::fclose(file);
  ::DeleteFileA(output_path.c_str());
  return facts;
}

TEST(DescribeWindowsWinTest, ThisProcessIsOnA64BitSystem) {
  velt::StartSystemDescription();
  std::string description = velt::DescribeWindows();
  EXPECT_NE(description.find(" 64-bit"), std::string::npos) << description;
  EXPECT_TRUE(velt::Is64BitWindows) << description;
  velt::EndSystemDescription();
}

struct WineVersionCase {
  const char* wine_version;
  const char* reported_version;  // what GetVersionExA tells a program without a manifest
  // The NT version words for a workstation and for other product types ("ver"
  // output included: Wine's prints "Microsoft Windows 6.2.9200").
  const char* workstation_words;
  const char* server_words;
  // The description: "%s" stands for the registry's product name.
  const char* description;
  bool is64;
};

// Versions 6.3 and 10.0 are reported as 6.2 to a program without a manifest
// naming them, so these take the "ver" path, where the interpreter prints the
// true version.
const WineVersionCase kWineVersions[] = {
    {"win2k", "5.0.2195", "2000 ", "2000 ", "Microsoft Windows 2000 Professional Service Pack 4",
     false},
    {"winxp64", "5.2.3790", "XP ", "Server 2003 ",
     "Microsoft Windows XP Professional x64 Service Pack 2", false},
    {"win2003", "5.2.3790", "XP ", "Server 2003 ",
     "Microsoft Windows Server 2003 Standard x64 Service Pack 2", false},
    {"vista", "6.0.6002", "Vista ", "Server 2008 ", "%s 64-bit Service Pack 2", true},
    {"win2008", "6.0.6002", "Vista ", "Server 2008 ", "%s 64-bit Service Pack 2", true},
    {"win7", "6.1.7601", "7 ", "Server 2008 R2 ", "%s 64-bit Service Pack 1", true},
    {"win2008r2", "6.1.7601", "7 ", "Server 2008 R2 ", "%s 64-bit Service Pack 1", true},
    {"win8", "6.2.9200", "8 ", "Server 2012 ", "%s 64-bit", true},
    {"win81", "6.2.9200", "8.1 ", "Server 2012 R2 ", "%s 64-bit", true},
    {"win10", "6.2.9200", "10 ", "Server 10 ", "%s 64-bit", true},
};

TEST(DescribeWindowsWinTest, EachVersionWineReportsGivesItsDescription) {
  const std::string product_name = ProductNameInRegistry();
  ASSERT_FALSE(product_name.empty());
  for (const WineVersionCase& c : kWineVersions) {
    std::map<std::string, std::string> facts;
    {
      ScopedWineVersion scoped(c.wine_version, {"describe-windows.exe", "cmd.exe"});
      facts = RunDescribeWindows();
    }
    std::string description = c.description;
    std::string::size_type name = description.find("%s");
    if (name != std::string::npos)
      description.replace(name, 2, product_name);
    SCOPED_TRACE(c.wine_version);
    ASSERT_FALSE(facts.empty()) << "describe-windows.exe gave no output";
    EXPECT_EQ(facts["version"], c.reported_version);
    const bool workstation = facts["product_type"] == "1";
    EXPECT_EQ(facts["version_words"],
              std::string("[") + (workstation ? c.workstation_words : c.server_words) + "]");
    EXPECT_EQ(facts["description"], description);
    EXPECT_EQ(facts["is64"], c.is64 ? "1" : "0");
    EXPECT_EQ(facts["registry_access"], c.is64 ? "0xF013F" : "0xF003F");
  }
}

}  // namespace

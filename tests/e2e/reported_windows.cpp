#include "tests/e2e/reported_windows.h"

#include <windows.h>

#include "tests/e2e/e2e_files.h"
#include "tests/e2e/e2e_registry.h"

namespace velt::e2e {
namespace {

constexpr char kUpdaterDefaultsKey[] = "Software\\Wine\\AppDefaults\\velt-update.exe";
constexpr char kCmdDefaultsKey[] = "Software\\Wine\\AppDefaults\\cmd.exe";

}  // namespace

ReportedWindows::ReportedWindows(const std::string& wine_version)
    : updater_(HKEY_CURRENT_USER, kUpdaterDefaultsKey, "Version"),
      cmd_(HKEY_CURRENT_USER, kCmdDefaultsKey, "Version") {
  ok_ = updater_.ok() && cmd_.ok() &&
        SetRegistryString(HKEY_CURRENT_USER, kUpdaterDefaultsKey, "Version", wine_version) &&
        SetRegistryString(HKEY_CURRENT_USER, kCmdDefaultsKey, "Version", wine_version);
}

std::string ProbeReportedSystem(const std::string& folder) {
  const std::string probe_folder = folder + "probe\\";
  CreateDirectoryA(probe_folder.c_str(), nullptr);
  const std::string probe = probe_folder + "velt-update.exe";
  if (!CopyFileA(ToWinePath(VELT_TOOLS_DIR "/describe-windows.exe").c_str(), probe.c_str(),
                 FALSE)) {
    return std::string();
  }
  return CaptureOutput("\"" + probe + "\"", probe_folder);
}

std::string ReportLine(const std::string& report, const std::string& name) {
  size_t at = report.find(name + "=");
  if (at == std::string::npos)
    return std::string();
  at += name.size() + 1;
  return report.substr(at, report.find_first_of("\r\n", at) - at);
}

std::string CaptureOutput(std::string command, const std::string& folder) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0))
    return std::string();
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  PROCESS_INFORMATION info = {};
  BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                nullptr, folder.c_str(), &startup, &info);
  CloseHandle(write_end);
  std::string output;
  if (started) {
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(read_end, chunk, sizeof(chunk), &got, nullptr) && got > 0)
      output.append(chunk, got);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
  CloseHandle(read_end);
  return output;
}

}  // namespace velt::e2e

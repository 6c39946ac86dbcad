// The contract suite's world over Win32: scratch folders below the temporary
// folder, names at C:\, a spare drive letter, scratch keys below Software, and
// links made as a user could (CreateSymbolicLinkA on Windows, a Unix symbolic
// link under Wine). On Windows the suite runs elevated, as the updater does.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <atomic>
#include <iostream>
#include <memory>
#include <thread>
#include <vector>

#include "tests/common/letterless_folder.h"
#include "tests/common/remove_tree.h"
#include "tests/common/spare_drive.h"
#include "tests/common/unix_symlink.h"
#include "tests/contract/contract_world.h"
#include "tools/win/common/linked_token.h"
#include "tools/win/common/message_box_answerer.h"

namespace velt::contract {
namespace {

struct Made {
  std::vector<std::string> folders;  // with a trailing backslash
  std::vector<std::string> root_names;
  std::vector<std::string> links;  // removed first, as links
  std::vector<std::string> keys;
  std::vector<std::string> variables;
  std::vector<std::unique_ptr<test::SpareDrive>> drives;
  std::unique_ptr<test::LetterlessFolder> letterless;
  HANDLE child = nullptr;  // ProcessWithToken's, suspended
  DWORD child_id = 0;
  std::vector<HANDLE> objects;  // closed at the end
  std::vector<HWND> windows;
};
Made made;
// AnswerBoxes' thread, pressing the buttons until told to stop.
std::unique_ptr<e2e::MessageBoxAnswerer> answerer;
std::thread answering;
std::atomic<bool> stop_answering{false};

void StopAnswering() {
  stop_answering = true;
  if (answering.joinable())
    answering.join();
}
int counter = 0;

std::string Unique(const std::string& stem) {
  return stem + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

void DeleteKey(HKEY root, const std::string& path, REGSAM view) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
    RegDeleteTreeA(key, nullptr);
    RegCloseKey(key);
  }
  RegDeleteKeyExA(root, path.c_str(), view, 0);
}

// "BA" and "SY" for the Administrators group and SYSTEM, else the SID.
std::string SidText(PSID sid) {
  for (auto [type, abbreviation] :
       {std::pair{WinBuiltinAdministratorsSid, "BA"}, std::pair{WinLocalSystemSid, "SY"}}) {
    BYTE known[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(known);
    if (CreateWellKnownSid(type, nullptr, known, &size) && EqualSid(sid, known))
      return abbreviation;
  }
  char* text = nullptr;
  if (!ConvertSidToStringSidA(sid, &text))
    return "?";
  const std::string sid_text = text;
  LocalFree(text);
  return sid_text;
}

// A token like this process's with the Administrators group for denying only,
// to impersonate; null on failure.
HANDLE UnelevatedImpersonationToken() {
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof(administrators);
  HANDLE own = nullptr;
  HANDLE restricted = nullptr;
  HANDLE impersonation = nullptr;
  SID_AND_ATTRIBUTES disabled = {administrators, 0};
  if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
      OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own) &&
      CreateRestrictedToken(own, 0, 1, &disabled, 0, nullptr, 0, nullptr, &restricted)) {
    DuplicateTokenEx(restricted, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation,
                     TokenImpersonation, &impersonation);
  }
  if (own != nullptr)
    CloseHandle(own);
  if (restricted != nullptr)
    CloseHandle(restricted);
  return impersonation;
}

}  // namespace

void BeginTest() {
  made = Made();
}

void EndTest() {
  StopAnswering();
  answerer.reset();
  for (HWND window : made.windows)
    DestroyWindow(window);
  for (HANDLE object : made.objects)
    CloseHandle(object);
  if (made.child != nullptr) {
    TerminateProcess(made.child, 0);
    WaitForSingleObject(made.child, 5000);
    CloseHandle(made.child);
  }
  made.letterless.reset();
  for (const std::string& link : made.links) {
    if (test::UnderWine())
      test::UnixUnlink(link);
    else if (!DeleteFileA(link.c_str()))
      RemoveDirectoryA(link.c_str());
  }
  made.drives.clear();
  for (const std::string& folder : made.folders)
    test::RemoveTree(folder);
  for (const std::string& name : made.root_names) {
    const std::string path = SystemRoot() + name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
  for (const std::string& key : made.keys) {
    DeleteKey(HKEY_CURRENT_USER, key, 0);
    DeleteKey(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY);
    DeleteKey(HKEY_LOCAL_MACHINE, key, KEY_WOW64_32KEY);
  }
  for (const std::string& name : made.variables)
    SetEnvironmentVariableA(name.c_str(), nullptr);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VeltContract");
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\VeltContract", KEY_WOW64_64KEY, 0);
  RegDeleteKeyExA(HKEY_LOCAL_MACHINE, "Software\\VeltContract", KEY_WOW64_32KEY, 0);
  made = Made();
}

bool WineDiffers(const std::string& difference) {
  if (!test::UnderWine())
    return false;
  std::cout << "[ wine differs ] " << difference << "\n";
  return true;
}

std::string NewFolder() {
  // The long form, as final paths name it.
  char temp[MAX_PATH];
  EXPECT_NE(GetTempPathA(MAX_PATH, temp), 0u);
  EXPECT_NE(GetLongPathNameA(temp, temp, MAX_PATH), 0u);
  const std::string folder = std::string(temp) + Unique("Velt Contract ") + "\\";
  EXPECT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
  made.folders.push_back(folder);
  return folder;
}

std::string SystemRoot() {
  return "C:\\";
}

std::string NewNameAtSystemRoot() {
  made.root_names.push_back(Unique("velt-contract-") + ".tmp");
  return made.root_names.back();
}

std::string NewDrive() {
  auto drive = std::make_unique<test::SpareDrive>();
  const std::string root = drive->Map(NewFolder());
  if (!root.empty())
    made.drives.push_back(std::move(drive));
  return root;
}

void PutFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path << ": error " << GetLastError();
  DWORD written = 0;
  const BOOL wrote =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(wrote && written == bytes.size()) << path;
}

void PutFolder(const std::string& path) {
  ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
}

std::string FileBytes(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
    bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SetAttributes(const std::string& path, uint32_t attributes) {
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
}

bool MakeLink(const std::string& link, const std::string& target, bool folder) {
  bool linked = false;
  if (test::UnderWine()) {
    linked = test::MakeUnixSymlink(link, target);
  } else {
    linked = CreateSymbolicLinkA(link.c_str(), target.c_str(),
                                 folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) != FALSE;
  }
  if (linked)
    made.links.push_back(link);
  return linked;
}

std::string NewKeyPath() {
  made.keys.push_back("Software\\VeltContract\\" + Unique("Test"));
  return made.keys.back();
}

void SetEnvironment(const std::string& name, const char* value) {
  made.variables.push_back(name);
  SetEnvironmentVariableA(name.c_str(), value);
}

std::string NewFolderNoDriveReaches() {
  made.letterless = std::make_unique<test::LetterlessFolder>();
  return made.letterless->Make();
}

uint32_t ProcessWithToken() {
  if (made.child != nullptr)
    return made.child_id;
  char system[MAX_PATH];
  EXPECT_NE(GetSystemDirectoryA(system, MAX_PATH), 0u);
  std::string command = std::string(system) + "\\cmd.exe";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  HANDLE linked = tools::LinkedPrimaryToken();
  const BOOL started =
      linked != nullptr
          ? CreateProcessAsUserA(linked, nullptr, &command[0], nullptr, nullptr, FALSE,
                                 CREATE_SUSPENDED, nullptr, nullptr, &startup, &info)
          : CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                           nullptr, &startup, &info);
  EXPECT_TRUE(started) << command << ": error " << GetLastError();
  if (linked != nullptr)
    CloseHandle(linked);
  if (!started)
    return 0;
  CloseHandle(info.hThread);
  made.child = info.hProcess;
  made.child_id = info.dwProcessId;
  return made.child_id;
}

std::string TokenHolder(void* token) {
  char user[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  char* sid = nullptr;
  if (!GetTokenInformation(token, TokenUser, user, sizeof(user), &size) ||
      !GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) ||
      !ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid)) {
    return "<unknown: error " + std::to_string(GetLastError()) + ">";
  }
  const std::string holder =
      std::string(sid) + (elevation.TokenIsElevated ? ", elevated" : ", not elevated");
  LocalFree(sid);
  return holder;
}

std::string ProcessTokenHolder(uint32_t process_id) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process_id);
  HANDLE token = nullptr;
  const bool opened = process != nullptr && OpenProcessToken(process, TOKEN_QUERY, &token);
  const std::string holder = opened ? TokenHolder(token) : "<no such process>";
  if (token != nullptr)
    CloseHandle(token);
  if (process != nullptr)
    CloseHandle(process);
  return holder;
}

std::string OwnTokenHolder() {
  return ProcessTokenHolder(GetCurrentProcessId());
}

uint32_t OwnProcessId() {
  return GetCurrentProcessId();
}

bool HandleInheritable(void* handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) && (flags & HANDLE_FLAG_INHERIT) != 0;
}

uint32_t ProcessExitCode(void* process) {
  DWORD code = 0;
  return GetExitCodeProcess(process, &code) ? code : STILL_ACTIVE;
}

void* NewEvent() {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  made.objects.push_back(event);
  return event;
}

void SignalEvent(void* event) {
  SetEvent(event);
}

bool MovedByAnotherProgram(const std::string& from, const std::string& to) {
  return MoveFileA(from.c_str(), to.c_str()) != FALSE;
}

bool RemovedByAnotherProgram(const std::string& folder) {
  return RemoveDirectoryA(folder.c_str()) != FALSE;
}

int64_t CounterFrequency() {
  LARGE_INTEGER frequency;
  return QueryPerformanceFrequency(&frequency) ? frequency.QuadPart : 0;
}

// Wine takes the locale from the environment it was started in.
bool RussianSystem() {
  char lang[32] = "";
  GetEnvironmentVariableA("LANG", lang, sizeof(lang));
  return std::string(lang).rfind("ru_RU", 0) == 0;
}

// Compiled in: win32/resources_contract_test.rc.
void CarryTestResource() {}

void MakeSquatter(const std::string& name, Squatter kind) {
  HANDLE object = kind == Squatter::kEvent ? CreateEventA(nullptr, TRUE, FALSE, name.c_str())
                                           : CreateMutexA(nullptr, FALSE, name.c_str());
  ASSERT_NE(object, nullptr) << name << ": error " << GetLastError();
  made.objects.push_back(object);
}

std::string KernelObjectSecurity(void* object) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(object, SE_KERNEL_OBJECT,
                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                      &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return "<unreadable: error " + std::to_string(GetLastError()) + ">";
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  std::string text = "O:" + SidText(owner) + "D:" + ((control & SE_DACL_PROTECTED) ? "P" : "");
  for (WORD i = 0; dacl != nullptr && i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)))
      break;
    // The system may keep a generic right or map it to the mutex's own.
    const bool all =
        (ace->Mask & GENERIC_ALL) != 0 || (ace->Mask & MUTEX_ALL_ACCESS) == MUTEX_ALL_ACCESS;
    text += std::string("(") + (ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE ? "A" : "?") + ";;" +
            (all ? "GA" : std::to_string(ace->Mask)) + ";;;" + SidText(&ace->SidStart) + ")";
  }
  LocalFree(descriptor);
  return text;
}

void AsUnelevated(const std::function<void()>& action) {
  HANDLE token = UnelevatedImpersonationToken();
  ASSERT_NE(token, nullptr) << "error " << GetLastError();
  const bool impersonating = SetThreadToken(nullptr, token);
  EXPECT_TRUE(impersonating) << "error " << GetLastError();
  if (impersonating) {
    action();
    RevertToSelf();
  }
  CloseHandle(token);
}

void* NewWindow(const std::string& class_name) {
  WNDCLASSA window_class = {};
  window_class.lpfnWndProc = DefWindowProcA;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.lpszClassName = class_name.c_str();
  RegisterClassA(&window_class);
  HWND window = CreateWindowExA(0, class_name.c_str(), "Velt", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (window != nullptr)
    made.windows.push_back(window);
  return window;
}

void DestroyTestWindow(void* window) {
  DestroyWindow(static_cast<HWND>(window));
  std::erase(made.windows, static_cast<HWND>(window));
}

std::string TakePostedMessage(void* window) {
  MSG message;
  if (!PeekMessageA(&message, static_cast<HWND>(window), 0, 0, PM_REMOVE))
    return "";
  return std::to_string(message.message) + " " + std::to_string(message.wParam) + " " +
         std::to_string(message.lParam);
}

void AnswerBoxes(const std::vector<int>& buttons) {
  StopAnswering();
  answerer = std::make_unique<e2e::MessageBoxAnswerer>(GetCurrentProcessId(), buttons);
  stop_answering = false;
  answering = std::thread([count = buttons.size()] {
    for (const DWORD start = GetTickCount();
         answerer->boxes().size() < count && !stop_answering && GetTickCount() - start < 30000;) {
      if (!answerer->AnswerPending())
        Sleep(10);
    }
  });
}

std::vector<std::string> AnsweredBoxes() {
  StopAnswering();
  if (!answerer)
    return {};
  std::vector<std::string> boxes;
  for (const e2e::SeenBox& box : answerer->boxes()) {
    std::string buttons;
    for (int id : box.buttons) {
      if (!buttons.empty())
        buttons += ' ';
      buttons += std::to_string(id);
    }
    boxes.push_back(e2e::ToCodePage(box.caption, CP_ACP) + ": " +
                    e2e::ToCodePage(box.text, CP_ACP) + " [" + buttons + "]");
  }
  return boxes;
}

}  // namespace velt::contract

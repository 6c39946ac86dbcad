// The contract suite's world over Win32, the session's side: another
// process's token, kernel objects, an impersonated unelevated thread, windows
// and the message boxes a thread of the test answers.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/contract/contract_world.h"
#include "tests/contract/win32/win32_contract_session.h"
#include "tools/win/common/message_box_answerer.h"
#include "tools/win/common/user_tokens.h"

namespace velt::contract {
namespace {

struct Made {
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

void EndSessionObjects() {
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
  made = Made();
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
  HANDLE unelevated = tools::UserToken(false);
  const BOOL started =
      unelevated != nullptr
          ? CreateProcessAsUserA(unelevated, nullptr, &command[0], nullptr, nullptr, FALSE,
                                 CREATE_SUSPENDED, nullptr, nullptr, &startup, &info)
          : CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                           nullptr, &startup, &info);
  EXPECT_TRUE(started) << command << ": error " << GetLastError();
  if (unelevated != nullptr)
    CloseHandle(unelevated);
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

std::vector<std::string> EnvironmentBlockVariables(void* block) {
  std::vector<std::string> variables;
  for (const wchar_t* at = static_cast<const wchar_t*>(block); *at != L'\0'; at += wcslen(at) + 1)
    variables.push_back(std::string(at, at + wcslen(at)));  // the names are ASCII
  return variables;
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

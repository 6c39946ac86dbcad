// The contract suite's world over the in-memory fake: a fresh fake machine per
// test, arranged as Wine presents its default one, with links reported as
// Windows reports them.

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/access.h"
#include "platform/fake/fake_internal.h"
#include "platform/fake/fake_platform.h"
#include "platform/text_rules.h"
#include "platform/ui.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

int counter = 0;
std::vector<void*> made_objects;  // closed at the end

// The system's interpreter, as far as the tests start it.
bool RunInterpreter(fake::ProcessRecord& process) {
  const std::string command = platform::AsciiLowercase(process.command_line);
  if (command.find("/c ver") != std::string::npos && process.std_output != nullptr)
    fake::WriteToPipe(process.std_output, "\r\nMicrosoft Windows [Version 6.1.7601]\r\n");
  const size_t exit = command.find("/c exit ");
  if (exit != std::string::npos)
    process.exit_code = static_cast<uint32_t>(std::stoul(command.substr(exit + 8)));
  return true;
}

}  // namespace

void BeginTest() {
  fake::ResetWorld();
  fake::World().native_architecture = 9;  // AMD64
  fake::World().architecture = 0;         // Intel: this process is 32-bit
  fake::World().version = {6, 1, 7601, 2, "Service Pack 1", 0x100, 1};
  fake::World().process_elevation = platform::Elevation::kSplit;
  fake::World().is_admin = true;
  // Elevated, with its unelevated half linked, labelled as Windows labels them.
  auto& tokens = fake::World().tokens;
  tokens["process"] = {fake::kUserSid, 1, true, platform::kHighIntegrity, "process linked"};
  tokens["process linked"] = {fake::kUserSid, 1, false, platform::kMediumIntegrity, ""};
  tokens["shell"] = tokens["process linked"];  // ProcessWithToken runs unelevated
  fake::World().private_namespaces = true;
  fake::World().on_create_process = RunInterpreter;
  fake::AddFile(fake::World().module_file_name, "MZ");
  fake::World().system_metrics[0] = 1024;  // SM_CXSCREEN
  fake::World().system_metrics[1] = 768;   // SM_CYSCREEN
  // An ordinary user may not write in the system folder.
  fake::AddDirectory(fake::World().system_directory);
  fake::FindEntry(fake::World().system_directory)->denied_to_user =
      platform::kFileAddFile | platform::kFileDeleteChild | platform::kDelete;
}

void EndTest() {
  for (void* object : made_objects)
    platform::CloseHandle(object);
  made_objects.clear();
  EXPECT_EQ(fake::OpenHandleCount(), 0) << "handles left open";
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0) << "registry keys left open";
}

bool WineDiffers(const std::string&, WineReleases) {
  return false;
}

std::string NewFolder() {
  const std::string folder =
      "C:\\Users\\Tester\\Temp\\Velt Contract " + std::to_string(++counter) + "\\";
  fake::AddDirectory(folder);
  return folder;
}

std::string SystemRoot() {
  return "C:\\";
}

std::string NewNameAtSystemRoot() {
  return "velt-contract-" + std::to_string(++counter) + ".tmp";
}

std::string NewDrive() {
  return "X:\\";  // every drive root of the fake exists, empty at first
}

std::string NewFolderNoDriveReaches() {
  fake::World().no_final_path_below = {"v:"};
  const std::string folder = "V:\\Letterless " + std::to_string(++counter) + "\\";
  fake::AddDirectory(folder);
  return folder;
}

void PutFile(const std::string& path, const std::string& bytes) {
  fake::AddFile(path, bytes);
}

void PutFolder(const std::string& path) {
  fake::AddDirectory(path);
}

std::string FileBytes(const std::string& path) {
  const std::string resolved = fake::ResolvePath(fake::NormalizePath(path), true);
  const fake::FakeEntry* entry = fake::FindEntry(resolved);
  return entry && !entry->directory ? entry->data : std::string("<missing>");
}

bool PathExists(const std::string& path) {
  return fake::FindEntry(path) != nullptr;
}

void SetAttributes(const std::string& path, uint32_t attributes) {
  fake::FakeEntry* entry = fake::FindEntry(path);
  ASSERT_NE(entry, nullptr) << path;
  entry->attributes = attributes | (entry->directory ? platform::kAttrDirectory : 0);
}

bool MakeLink(const std::string& link, const std::string& target, bool folder) {
  fake::AddLink(
      link, target,
      platform::kAttrReparsePoint | (folder ? platform::kAttrDirectory : platform::kAttrArchive));
  return true;
}

bool MakeHardLink(const std::string& link, const std::string& existing) {
  fake::AddHardLink(link, existing);
  return true;
}

std::string NewKeyPath() {
  return "Software\\VeltContract\\Test" + std::to_string(++counter);
}

void SetEnvironment(const std::string& name, const char* value) {
  const std::string key = platform::AsciiUppercase(name);
  if (value == nullptr)
    fake::World().environment.erase(key);
  else
    fake::World().environment[key] = value;
}

uint32_t ProcessWithToken() {
  fake::World().shell_process_id = 4242;
  fake::World().other_processes[4242] = {fake::World().process_created + 1, "shell"};
  return 4242;
}

std::string ShortPath(const std::string& path) {
  const std::string full = fake::FullPath(path);
  const size_t slash = full.rfind('\\');
  const std::string spelt =
      full.substr(0, slash + 1) + platform::AsciiUppercase(full.substr(slash + 1, 6)) + "~1";
  fake::World().short_names[fake::NormalizePath(spelt)] = fake::NormalizePath(full);
  return spelt;
}

// The fake's desktop shell runs as the user, unelevated; this process elevated.
std::string TokenHolder(void* token) {
  auto it = fake::World().handles.find(reinterpret_cast<uintptr_t>(token));
  const bool shell = it != fake::World().handles.end() && it->second.path == "shell";
  return shell ? ProcessTokenHolder(fake::World().shell_process_id) : OwnTokenHolder();
}

std::string ProcessTokenHolder(uint32_t process_id) {
  return process_id == fake::World().shell_process_id ? "S-1-5-21-1000, not elevated"
                                                      : "<no such process>";
}

std::string OwnTokenHolder() {
  return "S-1-5-21-1000, elevated";
}

std::vector<std::string> EnvironmentBlockVariables(void* block) {
  return fake::LookupHandle(block, fake::FakeHandle::kEnvironment)->variables;
}

uint32_t OwnProcessId() {
  return fake::World().process_id;
}

bool HandleInheritable(void* handle) {
  auto it = fake::World().handles.find(reinterpret_cast<uintptr_t>(handle));
  return it != fake::World().handles.end() && it->second.inheritable;
}

uint32_t ProcessExitCode(void* process) {
  const fake::FakeHandle* handle = fake::LookupHandle(process, fake::FakeHandle::kProcess);
  return handle != nullptr ? handle->exit_code : 259;  // STILL_ACTIVE
}

void* NewEvent() {
  fake::FakeHandle event;
  event.kind = fake::FakeHandle::kEvent;
  void* made = fake::NewHandle(event);
  made_objects.push_back(made);
  return made;
}

void SignalEvent(void* event) {
  fake::LookupHandle(event, fake::FakeHandle::kEvent)->signalled = true;
}

bool MovedByAnotherProgram(const std::string& from, const std::string& to) {
  const std::string source = fake::NormalizePath(from);
  const std::string target = fake::NormalizePath(to);
  if (fake::FindEntry(source) == nullptr || fake::Exists(target) ||
      fake::PinnedByFolderHandle(source) || fake::OpenByThisProcess(source)) {
    return false;
  }
  auto& entries = fake::World().entries;
  std::vector<std::pair<std::string, fake::FakeEntry>> moved;
  for (auto it = entries.begin(); it != entries.end();) {
    if (it->first == source || it->first.rfind(source + "\\", 0) == 0) {
      moved.emplace_back(target + it->first.substr(source.size()), it->second);
      it = entries.erase(it);
    } else {
      ++it;
    }
  }
  entries.insert(moved.begin(), moved.end());
  return true;
}

bool RemovedByAnotherProgram(const std::string& folder) {
  const std::string path = fake::NormalizePath(folder);
  auto& entries = fake::World().entries;
  const bool empty = std::none_of(entries.begin(), entries.end(), [&path](const auto& entry) {
    return entry.first.rfind(path + "\\", 0) == 0;
  });
  if (fake::FindEntry(path) == nullptr || !empty || fake::PinnedByFolderHandle(path) ||
      fake::OpenByThisProcess(path)) {
    return false;
  }
  entries.erase(path);
  return true;
}

int64_t CounterFrequency() {
  return fake::World().performance_frequency;
}

bool RussianSystem() {
  fake::World().lcid = 1049;
  // Code page 866's Cyrillic letters as Windows-1251 has them.
  auto& map = fake::World().oem_to_ansi;
  for (int c = 0x80; c <= 0xAF; ++c)
    map[static_cast<unsigned char>(c)] = static_cast<unsigned char>(c + 0x40);
  for (int c = 0xE0; c <= 0xEF; ++c)
    map[static_cast<unsigned char>(c)] = static_cast<unsigned char>(c + 0x10);
  map[0xF0] = 0xA8;  // Ё
  map[0xF1] = 0xB8;  // ё
  return true;
}

void CarryTestResource() {
  fake::World().resources[{"VELTTEST", "COK"}] = std::string("vtup\x2A\0payload", 13);
}

void MakeSquatter(const std::string& name, Squatter kind) {
  // Windows gives an elevated administrator's objects the Administrators group
  // as their owner.
  fake::World().named_objects[name] = {kind == Squatter::kMutexOfDefaultSecurity, true, false};
}

// The fake's mutexes are this process's guards, made as CreateAdminOnlyMutex
// makes them, or other programs' objects, known by their owner alone.
std::string KernelObjectSecurity(void* object) {
  auto mutex = fake::World().handles.find(reinterpret_cast<uintptr_t>(object));
  if (mutex == fake::World().handles.end() || mutex->second.kind != fake::FakeHandle::kMutex)
    return "<unreadable>";
  auto other = fake::World().named_objects.find(mutex->second.path);
  if (other == fake::World().named_objects.end())
    return "O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)";
  return std::string("O:") + (other->second.administrators_own ? "BA" : fake::kUserSid);
}

void AsUnelevated(const std::function<void()>& action) {
  fake::World().thread_without_administrators = true;
  action();
  fake::World().thread_without_administrators = false;
}

void* NewWindow(const std::string& class_name) {
  void* window = reinterpret_cast<void*>(static_cast<uintptr_t>(0x10000 + 16 * ++counter));
  fake::World().windows[class_name] = window;
  return window;
}

void DestroyTestWindow(void* window) {
  std::erase_if(fake::World().windows,
                [window](const auto& named) { return named.second == window; });
}

std::string TakePostedMessage(void* window) {
  auto& posts = fake::World().posts;
  for (auto post = posts.begin(); post != posts.end(); ++post) {
    if (post->window == window) {
      const std::string taken = std::to_string(post->message) + " " + std::to_string(post->wparam) +
                                " " + std::to_string(post->lparam);
      posts.erase(post);
      return taken;
    }
  }
  return "";
}

void AnswerBoxes(const std::vector<int>& buttons) {
  fake::World().box_answers.assign(buttons.begin(), buttons.end());
}

std::vector<std::string> AnsweredBoxes() {
  std::vector<std::string> boxes;
  for (const fake::MessageBoxRecord& box : fake::World().boxes) {
    const uint32_t buttons = box.style & 0xF;
    boxes.push_back(box.caption + ": " + box.text +
                    (buttons == platform::kMbYesNo ? " [6 7]"
                     : buttons == platform::kMbOk  ? " [1]"
                                                   : " [?]"));
  }
  return boxes;
}

}  // namespace velt::contract

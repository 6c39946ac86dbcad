// The contract suite's world over the in-memory fake: a fresh fake machine per
// test, arranged as Wine presents its default one, with links reported as
// Windows reports them.
#include <cctype>

#include "platform/fake/fake_platform.h"
#include "platform/text_rules.h"
#include "tests/contract/contract_world.h"

namespace velt::contract {
namespace {

int counter = 0;

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
  tokens["shell"] = tokens["process"];
}

void EndTest() {
  EXPECT_EQ(fake::OpenHandleCount(), 0) << "handles left open";
  EXPECT_EQ(fake::OpenRegistryKeyCount(), 0) << "registry keys left open";
}

bool WineDiffers(const std::string&) {
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
  return 4242;
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

}  // namespace velt::contract

// The fake world: paths, arranging helpers and registry helpers.
#include <algorithm>
#include <cctype>

#include "platform/errors.h"
#include "platform/fake/fake_platform.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/text_rules.h"

namespace fake {
namespace {

std::string LastComponent(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string RegistryPath(const std::string& key, const std::string& view) {
  std::string path = platform::AsciiLowercase(key);
  while (!path.empty() && path.back() == '\\')
    path.pop_back();
  return RedirectedRegistryPath(
      path, view == "wow64_32" ? platform::kKeyWow64_32Key : platform::kKeyWow64_64Key);
}

bool Is64BitMachine() {
  return World().native_architecture == platform::kArchitectureAmd64 ||
         World().native_architecture == platform::kArchitectureIa64;
}

}  // namespace

FakeWorld& World() {
  static FakeWorld world;
  return world;
}

void ResetWorld() {
  World() = FakeWorld();
}

std::string RedirectedRegistryPath(const std::string& lowercase_path, uint32_t access) {
  const std::string software = "hklm\\software";
  const bool redirected = (access & platform::kKeyWow64_32Key) != 0 ||
                          (Is64BitMachine() && (access & platform::kKeyWow64_64Key) == 0);
  const bool below_software =
      lowercase_path.compare(0, software.size(), software) == 0 &&
      (lowercase_path.size() == software.size() || lowercase_path[software.size()] == '\\');
  const std::string rest = lowercase_path.substr(below_software ? software.size() : 0);
  const bool already_32 = rest == "\\wow6432node" || rest.rfind("\\wow6432node\\", 0) == 0;
  if (!redirected || !below_software || already_32)
    return "|" + lowercase_path;
  return "|" + software + "\\wow6432node" + rest;
}

bool IsFailing(const std::string& operation) {
  const auto& failing = World().failing;
  return std::find(failing.begin(), failing.end(), operation) != failing.end();
}

uint32_t NextFault(const char* operation, uint32_t fitting, const std::string& subject) {
  if (World().on_call)
    World().on_call(operation);
  FaultPlan& plan = World().faults;
  const int64_t index = static_cast<int64_t>(plan.calls.size());
  plan.calls.push_back({operation, fitting, subject});
  if (index == plan.fail_call && (plan.kind & fitting) != 0) {
    plan.injected = true;
    return plan.kind;
  }
  return IsFailing(operation) ? static_cast<uint32_t>(kFaultAccessDenied) : 0u;
}

uint32_t FaultError(uint32_t kind) {
  switch (kind) {
    case kFaultAccessDenied:
      return platform::kErrorAccessDenied;
    case kFaultSharingViolation:
      return platform::kErrorSharingViolation;
    case kFaultDiskFull:
      return platform::kErrorDiskFull;
    default:
      return 31;  // ERROR_GEN_FAILURE
  }
}

int OpenHandleCount() {
  return static_cast<int>(World().handles.size());
}
int OpenRegistryKeyCount() {
  return static_cast<int>(World().open_keys.size());
}

std::string FullPath(const std::string& raw) {
  std::string path = raw;
  std::replace(path.begin(), path.end(), '/', '\\');
  bool absolute = (path.size() >= 2 && path[1] == ':') || (!path.empty() && path[0] == '\\');
  if (!absolute) {
    std::string base = World().current_directory;
    if (!base.empty() && base.back() != '\\')
      base += '\\';
    path = base + path;
  } else if (path[0] == '\\' && (path.size() < 2 || path[1] != '\\')) {
    path = World().current_directory.substr(0, 2) + path;
  }
  // Resolve "." and ".." and drop empty components.
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string::npos)
      end = path.size();
    std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (parts.size() > 1)
        parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  // A network path (\\host\share, \\?\UNC\...) keeps its two backslashes.
  std::string result = path.rfind("\\\\", 0) == 0 ? "\\\\" : "";
  for (size_t i = 0; i < parts.size(); ++i)
    result += (i ? "\\" : "") + parts[i];
  return result;
}

std::string NormalizePath(const std::string& raw) {
  std::string path = platform::AsciiLowercase(FullPath(raw));
  // A short spelling names what its long one names, at any depth.
  for (bool replaced = true; replaced;) {
    replaced = false;
    for (const auto& [short_path, long_path] : World().short_names) {
      if (path.compare(0, short_path.size(), short_path) == 0 &&
          (path.size() == short_path.size() || path[short_path.size()] == '\\')) {
        path = long_path + path.substr(short_path.size());
        replaced = true;
      }
    }
  }
  return path;
}

std::string ResolvePath(const std::string& normalized, bool follow_last) {
  std::string path = normalized;
  // Each step replaces one link; a loop of links stops after a bounded number.
  for (int step = 0; step < 32; ++step) {
    bool replaced = false;
    for (size_t end = path.find('\\'); !replaced; end = path.find('\\', end + 1)) {
      const bool last = end == std::string::npos;
      if (last && !follow_last)
        break;
      const std::string prefix = path.substr(0, last ? path.size() : end);
      auto it = World().entries.find(prefix);
      if (it != World().entries.end() && !it->second.link_target.empty()) {
        path = it->second.link_target + (last ? "" : path.substr(end));
        replaced = true;
      }
      if (last)
        break;
    }
    if (!replaced)
      return path;
  }
  return path;
}

FakeEntry* FindEntry(const std::string& path) {
  auto it = World().entries.find(NormalizePath(path));
  return it == World().entries.end() ? nullptr : &it->second;
}

std::string SpelledPath(const std::string& normalized) {
  std::string spelled;
  size_t start = 0;
  while (start < normalized.size()) {
    size_t end = normalized.find('\\', start);
    if (end == std::string::npos)
      end = normalized.size();
    auto it = World().entries.find(normalized.substr(0, end));
    if (start == 0)
      spelled = platform::AsciiUppercaseChar(normalized[0]) + normalized.substr(1, end - 1);
    else
      spelled += "\\" + (it == World().entries.end() ? normalized.substr(start, end - start)
                                                     : it->second.name);
    start = end + 1;
  }
  return spelled;
}

bool Exists(const std::string& path) {
  std::string normalized = NormalizePath(path);
  return normalized.size() == 2 || World().entries.count(normalized) != 0;
}

std::string FileData(const std::string& path) {
  FakeEntry* entry = FindEntry(path);
  return entry && !entry->directory ? entry->data : std::string();
}

std::vector<std::string> FilesBelow(const std::string& folder) {
  const std::string prefix = NormalizePath(folder) + "\\";
  std::vector<std::string> files;
  for (const auto& [path, entry] : World().entries) {
    if (path.compare(0, prefix.size(), prefix) == 0 && !entry.directory)
      files.push_back(path.substr(prefix.size()));
  }
  return files;
}

void AddDirectory(const std::string& path, uint32_t attributes) {
  ++World().revision;
  std::string raw = path;
  std::replace(raw.begin(), raw.end(), '/', '\\');
  while (!raw.empty() && raw.back() == '\\')
    raw.pop_back();
  std::string normalized = NormalizePath(raw);
  if (normalized.size() <= 2)
    return;  // a drive root always exists
  size_t slash = normalized.rfind('\\');
  if (slash != std::string::npos) {
    size_t raw_slash = raw.rfind('\\');
    AddDirectory(raw_slash == std::string::npos ? normalized.substr(0, slash)
                                                : raw.substr(0, raw_slash));
  }
  FakeEntry& entry = World().entries[normalized];
  if (entry.sequence == 0) {
    entry.sequence = entry.id = World().next_sequence++;
    entry.name = LastComponent(raw);
  }
  entry.directory = true;
  entry.attributes = attributes | platform::kAttrDirectory;
}

void AddFile(const std::string& path, const std::string& data, uint32_t attributes) {
  ++World().revision;
  std::string raw = path;
  std::replace(raw.begin(), raw.end(), '/', '\\');
  size_t slash = raw.rfind('\\');
  if (slash != std::string::npos)
    AddDirectory(raw.substr(0, slash));
  FakeEntry& entry = World().entries[NormalizePath(raw)];
  if (entry.sequence == 0)
    entry.sequence = entry.id = World().next_sequence++;
  entry.name = LastComponent(raw);
  entry.directory = false;
  entry.attributes = attributes == 0 ? platform::kAttrArchive : attributes;
  entry.data = data;
}

void AddLink(const std::string& path, const std::string& target, uint32_t attributes) {
  AddFile(path, "", attributes);
  FakeEntry& entry = World().entries[NormalizePath(path)];
  entry.attributes = attributes;
  entry.link_target = NormalizePath(target);
}

void AddHardLink(const std::string& path, const std::string& existing) {
  const FakeEntry file = *FindEntry(existing);
  AddFile(path, file.data, file.attributes);
  FakeEntry& entry = World().entries[NormalizePath(path)];
  entry.id = file.id;
  entry.links = FindEntry(existing)->links = file.links + 1;
}

void AddRegKey(const std::string& key, const std::string& view) {
  ++World().revision;
  std::string path = RegistryPath(key, view);
  // Create every ancestor, as the registry would.
  for (size_t pos = path.find('\\'); pos != std::string::npos; pos = path.find('\\', pos + 1)) {
    World().registry[path.substr(0, pos)];
  }
  World().registry[path];
}

bool RegKeyExists(const std::string& key, const std::string& view) {
  return World().registry.count(RegistryPath(key, view)) != 0;
}

void SetRegValue(const std::string& key,
                 const std::string& name,
                 uint32_t type,
                 const std::string& data,
                 const std::string& view) {
  AddRegKey(key, view);
  FakeValue& value =
      World().registry[RegistryPath(key, view)].values[platform::AsciiLowercase(name)];
  value.name = name;
  value.type = type;
  value.data = data;
}

void SetRegString(const std::string& key,
                  const std::string& name,
                  const std::string& value,
                  const std::string& view) {
  SetRegValue(key, name, platform::kRegSz, value + std::string(1, '\0'), view);
}

void SetRegDword(const std::string& key,
                 const std::string& name,
                 uint32_t value,
                 const std::string& view) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i)
    data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  SetRegValue(key, name, platform::kRegDword, data, view);
}

const FakeValue* GetRegValue(const std::string& key,
                             const std::string& name,
                             const std::string& view) {
  auto it = World().registry.find(RegistryPath(key, view));
  if (it == World().registry.end())
    return nullptr;
  auto value = it->second.values.find(platform::AsciiLowercase(name));
  return value == it->second.values.end() ? nullptr : &value->second;
}

}  // namespace fake

// Fake directory listings: FindFirstFile, FindNextFile and FindClose.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/errors.h"
#include "platform/fake/fake_internal.h"
#include "platform/files.h"
#include "platform/text_rules.h"

namespace platform {
namespace {

using fake::Fail;
using fake::FakeHandle;
using fake::World;

bool WildcardMatch(const char* mask, const char* name) {
  if (*mask == '\0')
    return *name == '\0';
  if (*mask == '*') {
    if (std::strcmp(mask, "*.*") == 0)
      return true;
    for (const char* n = name;; ++n) {
      if (WildcardMatch(mask + 1, n))
        return true;
      if (*n == '\0')
        return false;
    }
  }
  if (*name == '\0')
    return false;
  if (*mask != '?' && platform::AsciiLowercaseChar(*mask) != platform::AsciiLowercaseChar(*name))
    return false;
  return WildcardMatch(mask + 1, name + 1);
}

}  // namespace

bool FindClose(RawHandle handle) {
  if (!fake::LookupHandle(handle, FakeHandle::kFind))
    return Fail(6);
  World().handles.erase(reinterpret_cast<uintptr_t>(handle));
  return true;
}

ScopedFindHandle FindFirstFile(const std::string& pattern, FindData* first) {
  if (fake::Faulted("FindFirstFile", fake::kFaultsOfCalls, fake::NormalizePath(pattern)))
    return ScopedFindHandle();
  std::string raw = pattern;
  std::replace(raw.begin(), raw.end(), '/', '\\');
  size_t slash = raw.rfind('\\');
  std::string mask = slash == std::string::npos ? raw : raw.substr(slash + 1);
  std::string folder = fake::ResolvePath(
      fake::NormalizePath(slash == std::string::npos ? "." : raw.substr(0, slash + 1)), true);
  if (folder.size() > 2 && !fake::Exists(folder))
    return (Fail(kErrorPathNotFound), ScopedFindHandle());
  std::vector<std::pair<uint64_t, FindData>> found;
  for (const auto& [path, entry] : World().entries) {
    if (fake::ParentPath(path) != folder || !WildcardMatch(mask.c_str(), entry.name.c_str()))
      continue;
    found.push_back({entry.sequence, FindData{entry.name, entry.attributes, entry.data.size()}});
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  FakeHandle handle;
  handle.kind = FakeHandle::kFind;
  handle.path = folder;
  if (mask == "*" || mask == "*.*") {  // real listings start with the dot entries
    if (folder.size() > 2) {
      handle.listing.push_back(FindData{".", kAttrDirectory, 0});
      handle.listing.push_back(FindData{"..", kAttrDirectory, 0});
    }
  }
  for (auto& item : found)
    handle.listing.push_back(item.second);
  if (handle.listing.empty())
    return (Fail(kErrorFileNotFound), ScopedFindHandle());
  *first = handle.listing[0];
  handle.next = 1;
  return ScopedFindHandle(fake::NewHandle(handle));
}

bool FindNextFile(RawHandle find, FindData* next) {
  FakeHandle* handle = fake::LookupHandle(find, FakeHandle::kFind);
  if (!handle)
    return Fail(6);
  if (handle->next >= handle->listing.size())
    return Fail(kErrorNoMoreFiles);
  if (fake::Faulted("FindNextFile", fake::kFaultError, handle->path))
    return false;
  *next = handle->listing[handle->next++];
  return true;
}

}  // namespace platform

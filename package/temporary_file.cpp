#include "package/temporary_file.h"

#include "deployment/run_log.h"
#include "platform/errors.h"
#include "platform/text_rules.h"
#include "startup/startup_settings.h"

namespace velt {
namespace {

constexpr int kTemporaryNameLetters = 8;
constexpr char kTemporaryExtension[] = ".tmp";

// Whether `entry` is "<name>.<8 letters a to z>.tmp", as CreateTemporaryFile
// names its files (`name` and the extension without regard to ASCII case).
bool IsTemporaryName(const std::string& entry, const std::string& name) {
  const size_t letters = name.size() + 1;
  if (entry.size() != letters + kTemporaryNameLetters + sizeof(kTemporaryExtension) - 1)
    return false;
  for (size_t i = 0; i < entry.size(); ++i) {
    const size_t extension = i - letters - kTemporaryNameLetters;  // wraps around before it
    const char expected = i < name.size()    ? name[i]
                          : i == name.size() ? '.'
                          : extension < sizeof(kTemporaryExtension) - 1
                              ? kTemporaryExtension[extension]
                              : 0;
    const bool fits = expected != 0 ? platform::AsciiLowercaseChar(entry[i]) ==
                                          platform::AsciiLowercaseChar(expected)
                                    : entry[i] >= 'a' && entry[i] <= 'z';
    if (!fits)
      return false;
  }
  return true;
}

bool IsPlainFile(uint32_t attributes) {
  return (attributes & (platform::kAttrDirectory | platform::kAttrReparsePoint)) == 0;
}

// Deletes the plain file `leftover` of the folder through its own handle,
// opened relative to the folder's.
void RemoveLeftover(const InstallFolder& folder, const std::string& leftover) {
  platform::ScopedHandle file = platform::OpenInFolder(
      folder.handle(), leftover, platform::InFolderAccess::kDelete, platform::FileShare::kNone);
  uint32_t attributes = 0;
  if (file.IsValid() && platform::GetFileAttributesByHandle(file.Get(), &attributes) &&
      IsPlainFile(attributes) && folder.Holds(file.Get(), leftover) &&
      platform::SetDeleteOnClose(file.Get())) {
    Log({"removed ", leftover, ", left by an earlier run"});
  } else {
    LogFailure({"left ", leftover, ", left by an earlier run"}, platform::GetLastError());
  }
}

}  // namespace

void RemoveEarlierTemporaryFiles(const InstallFolder& folder, const std::string& name) {
  platform::FindData entry;
  platform::ScopedFindHandle find =
      platform::FindFirstFile(folder.path() + name + ".*" + kTemporaryExtension, &entry);
  if (!find.IsValid())
    return;
  do {
    if (IsTemporaryName(entry.name, name) && IsPlainFile(entry.attributes))
      RemoveLeftover(folder, entry.name);
  } while (platform::FindNextFile(find.Get(), &entry));
}

platform::ScopedHandle CreateTemporaryFile(const InstallFolder& folder,
                                           const std::string& name,
                                           platform::FileShare share) {
  std::string candidate = name + ".";
  for (int i = 0; i < kTemporaryNameLetters; ++i)
    candidate += static_cast<char>('a' + Random(26));
  candidate += kTemporaryExtension;
  platform::ScopedHandle file =
      platform::CreateFile(folder.path() + candidate, platform::FileAccess::kWriteDelete, share,
                           platform::FileDisposition::kCreateNew);
  if (file.IsValid() && !folder.Holds(file.Get(), candidate)) {
    platform::SetDeleteOnClose(file.Get());
    file.Reset();
  }
  return file;
}

}  // namespace velt

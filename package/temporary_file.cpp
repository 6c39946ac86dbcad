#include "package/temporary_file.h"

#include "deployment/run_log.h"
#include "platform/access.h"
#include "platform/errors.h"
#include "platform/text_rules.h"
#include "startup/startup_settings.h"

namespace velt {
namespace {

constexpr int kTemporaryNameLetters = 8;
constexpr char kMark[] = ".velt-update";
constexpr char kTemporaryExtension[] = ".tmp";

// Whether `entry` is "<name><mark>.<8 letters a to z>.tmp" (`name`, the mark
// and the extension without regard to ASCII case).
bool IsTemporaryName(const std::string& entry, const std::string& name, const char* mark) {
  const std::string stem = name + mark + ".";
  const size_t letters = stem.size();
  if (entry.size() != letters + kTemporaryNameLetters + sizeof(kTemporaryExtension) - 1)
    return false;
  for (size_t i = 0; i < entry.size(); ++i) {
    const size_t extension = i - letters - kTemporaryNameLetters;  // wraps around before it
    const char expected = i < letters ? stem[i]
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
// opened relative to the folder's, when it is owned as `owner` allows and its
// final path shows it in the folder.
void RemoveLeftover(const InstallFolder& folder,
                    const std::string& leftover,
                    const std::string& owner) {
  platform::ScopedHandle file = platform::OpenInFolder(
      folder.handle(), leftover, platform::InFolderAccess::kDelete, platform::FileShare::kNone);
  uint32_t attributes = 0;
  std::string found_owner;
  if (!file.IsValid() || !platform::GetFileAttributesByHandle(file.Get(), &attributes) ||
      !IsPlainFile(attributes) || !platform::GetFileOwner(file.Get(), &found_owner)) {
    LogFailure({"left ", leftover, ", left by an earlier run"}, platform::GetLastError());
  } else if (found_owner != platform::kAdministratorsSid && found_owner != platform::kSystemSid &&
             found_owner != owner) {
    Log({"left ", leftover, ": its owner ", found_owner, " is not the updater"});
  } else if (!folder.FinalPathKnown() || !folder.Holds(file.Get(), leftover)) {
    Log({"left ", leftover, ": it cannot be shown to lie in ", folder.path()});
  } else if (platform::SetDeleteOnClose(file.Get())) {
    Log({"removed ", leftover, ", left by an earlier run"});
  } else {
    LogFailure({"left ", leftover, ", left by an earlier run"}, platform::GetLastError());
  }
}

}  // namespace

void RemoveEarlierTemporaryFiles(const InstallFolder& folder,
                                 const std::string& name,
                                 const std::string& owner,
                                 bool earlier_names) {
  platform::FindData entry;
  platform::ScopedFindHandle find =
      platform::FindFirstFile(folder.path() + name + ".*" + kTemporaryExtension, &entry);
  if (!find.IsValid())
    return;
  do {
    if ((IsTemporaryName(entry.name, name, kMark) ||
         (earlier_names && IsTemporaryName(entry.name, name, ""))) &&
        IsPlainFile(entry.attributes)) {
      RemoveLeftover(folder, entry.name, owner);
    }
  } while (platform::FindNextFile(find.Get(), &entry));
}

platform::ScopedHandle CreateTemporaryFile(const InstallFolder& folder,
                                           const std::string& name,
                                           platform::FileShare share) {
  std::string candidate = name + kMark + ".";
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

#include "package/temporary_file.h"

#include "startup/startup_settings.h"

namespace velt {
namespace {

constexpr int kTemporaryNameLetters = 8;

}  // namespace

platform::ScopedHandle CreateTemporaryFile(const InstallFolder& folder,
                                           const std::string& name,
                                           platform::FileShare share) {
  std::string candidate = name + ".";
  for (int i = 0; i < kTemporaryNameLetters; ++i)
    candidate += static_cast<char>('a' + Random(26));
  candidate += ".tmp";
  platform::ScopedHandle file =
      platform::CreateFile(folder.path() + candidate, platform::FileAccess::kWriteDelete, share,
                           platform::FileDisposition::kCreateNew);
  if (file.IsValid() && !folder.Holds(file.Get(), candidate)) {
    platform::SetDeleteOnClose(file.Get());
    file.Reset();
  }
  return file;
}

platform::ScopedHandle CreateFileInPlaceOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  const std::string folder_path = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  InstallFolder folder;
  if (name.empty() || !folder.Open(folder_path) || !folder.NameIsNoLink(name))
    return platform::ScopedHandle();
  platform::ScopedHandle file = CreateTemporaryFile(folder, name, platform::FileShare::kRead);
  if (!file.IsValid())
    return file;
  if (!folder.StillNoLink() || !platform::RenameFileByHandle(file.Get(), folder.handle(), name)) {
    platform::SetDeleteOnClose(file.Get());  // only the file made here goes
    file.Reset();
  }
  return file;
}

}  // namespace velt

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

}  // namespace velt

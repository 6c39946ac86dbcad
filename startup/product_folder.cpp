#include "startup/product_folder.h"

#include "deployment/run_log.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "startup/install_environment.h"

namespace velt {
namespace {

platform::ScopedHandle HeldFolder;

// ProductFolder as a path to open: an empty one is the current directory.
std::string FolderPath() {
  return ProductFolder.empty() ? std::string(".") : ProductFolder;
}

}  // namespace

bool HoldProductFolder() {
  HeldFolder.Reset();
  platform::ScopedHandle folder = platform::HoldFolder(FolderPath());
  if (!folder.IsValid())
    return false;
  // Where the system cannot give the final path (before Windows Vista, on a
  // volume no drive letter reaches, on some network paths), the folder found
  // is held all the same: its path stays its name, its identity the truth.
  std::string final_path;
  if (platform::GetFinalPathNameByHandle(folder.Get(), &final_path)) {
    AddTrailingBackslash(final_path);
    ProductFolder = final_path;
  } else {
    LogFailure({"the final path of ", ProductFolder, " (kept as found)"}, platform::GetLastError());
  }
  HeldFolder = std::move(folder);
  if (ProductFolderStillHeld())
    return true;
  HeldFolder.Reset();
  return false;
}

bool ProductFolderStillHeld() {
  if (!HeldFolder.IsValid())
    return false;
  platform::ScopedHandle examined = platform::OpenForExamination(FolderPath());
  platform::FileInformation information;
  return examined.IsValid() && platform::GetFileInformation(examined.Get(), &information) &&
         (information.attributes & platform::kAttrReparsePoint) == 0 &&
         platform::SameFileObject(examined.Get(), HeldFolder.Get());
}

platform::RawHandle HeldProductFolder() {
  return HeldFolder.Get();
}

void ReleaseProductFolder() {
  HeldFolder.Reset();
}

}  // namespace velt

#include "startup/product_folder.h"

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
  std::string final_path;
  if (platform::GetFinalPathNameByHandle(folder.Get(), &final_path)) {
    AddTrailingBackslash(final_path);
    ProductFolder = final_path;
  } else if (platform::GetLastError() != platform::kErrorCallNotImplemented) {
    return false;
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

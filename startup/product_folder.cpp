#include "startup/product_folder.h"

#include "startup/install_environment.h"

namespace velt {
namespace {

InstallFolder Held;

}  // namespace

bool HoldProductFolder() {
  // An empty ProductFolder is the current directory.
  if (!Held.Hold(ProductFolder.empty() ? std::string(".") : ProductFolder))
    return false;
  if (Held.FinalPathKnown())
    ProductFolder = Held.path();
  return true;
}

bool ProductFolderStillHeld() {
  return Held.StillReached();
}

const InstallFolder& HeldProductFolder() {
  return Held;
}

void ReleaseProductFolder() {
  Held = InstallFolder();
}

}  // namespace velt

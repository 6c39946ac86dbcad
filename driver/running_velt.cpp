#include "driver/running_velt.h"

#include "driver/install_environment.h"
#include "driver/update_constants.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/ui.h"

namespace velt {
namespace {

const char kRunningMappingName[] = "velt_memfile";
const char kMainWindowClass[] = "TVeltMainForm";
constexpr uint32_t kRunningMappingSize = 64;

platform::ScopedHandle RunningMapping;

}  // namespace

void StartRunningVelt() {
  RunningMapping.Reset();
}

void EndRunningVelt() {
  RunningMapping.Reset();
}

bool IsVeltRunning() {
  uint32_t last_error = 0;
  platform::ScopedHandle mapping =
      platform::CreateFileMapping(kRunningMappingName, kRunningMappingSize, &last_error);
  if (last_error != platform::kErrorAlreadyExists)
    return false;  // `mapping` closes now
  RunningMapping = std::move(mapping);
  return true;
}

void AskVeltToQuit() {
  platform::WindowHandle window = platform::FindWindow(kMainWindowClass);
  if (window)
    platform::PostMessage(window, platform::kWmQuit, 0, 0);
}

void LaunchVelt() {
  platform::SetCurrentDirectory(ProductFolder);
  platform::ShellExecute("open", ProductFolder + ProductName + ".exe", "", "",
                         platform::kSwShowNormal);
}

}  // namespace velt

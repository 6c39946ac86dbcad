#include "driver/running_velt.h"

#include "deployment/run_log.h"
#include "driver/launch_token.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "platform/ui.h"
#include "startup/install_environment.h"
#include "startup/startup_settings.h"
#include "startup/update_constants.h"

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
  const std::string program = ProductFolder + ProductName + ".exe";
  bool tell_user = true;
  if (ProductFolderStillHeld()) {
    // The folder may be the user's to write: what starts from it gets the
    // desktop user's rights, never this process's higher ones.
    VeltLaunchWay way = ChooseVeltLaunchWay();
    if (way.kind == VeltLaunchWay::kShell) {
      platform::ShellExecute("open", program, "", "", platform::kSwShowNormal);
      return;
    }
    if (way.kind == VeltLaunchWay::kToken) {
      // The user's own environment (TEMP, the profile folders), never this
      // process's, which may be SYSTEM's.
      platform::ScopedEnvironmentBlock environment =
          platform::CreateEnvironmentBlock(way.token.Get());
      if (!environment.IsValid()) {
        LogFailure({"the environment of the user's token"}, platform::GetLastError());
      } else if (platform::CreateProcessWithToken(way.token.Get(), program,
                                                  platform::GetCurrentDirectory(),
                                                  platform::kSwShowNormal, environment.Get())) {
        return;
      } else {
        LogFailure({"starting Velt with the user's token"}, platform::GetLastError());
      }
    }
    tell_user = way.tell_user;
  }
  if (tell_user) {
    ShowBilingualError(
        "Velt could not be started with your own rights.\r\nPlease start it yourself.",
        "Не удалось запустить программу \"Вельт\" с вашими правами.\r\n"
        "Пожалуйста, запустите её сами.");
  }
}

}  // namespace velt

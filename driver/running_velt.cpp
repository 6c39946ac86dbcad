#include "driver/running_velt.h"

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "platform/ui.h"
#include "startup/install_environment.h"
#include "startup/update_constants.h"

namespace velt {
namespace {

const char kRunningMappingName[] = "velt_memfile";
const char kMainWindowClass[] = "TVeltMainForm";
constexpr uint32_t kRunningMappingSize = 64;

platform::ScopedHandle RunningMapping;

enum class LaunchWay { kThroughTheShell, kAsTheDesktopUser, kNotAtAll };

// This process runs elevated, but the program it starts must not: the folder
// it comes from may be writable by the user. With an unelevated desktop shell
// it starts with the shell's token; with none (a service or deployment
// context), or an elevated one, through the shell as before. When a shell runs
// but its elevation cannot be told, nothing is started.
LaunchWay ChooseLaunch(platform::ScopedHandle* user_token) {
  if (!platform::IsProcessElevated())
    return LaunchWay::kThroughTheShell;
  const uint32_t shell = platform::GetShellProcessId();
  if (shell == 0)
    return LaunchWay::kThroughTheShell;
  platform::ScopedHandle token = platform::OpenProcessTokenForLaunch(shell);
  bool elevated = true;
  if (!token.IsValid() || !platform::IsTokenElevated(token.Get(), &elevated))
    return LaunchWay::kNotAtAll;
  if (elevated)
    return LaunchWay::kThroughTheShell;
  *user_token = std::move(token);
  return LaunchWay::kAsTheDesktopUser;
}

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
  platform::ScopedHandle user_token;
  switch (ChooseLaunch(&user_token)) {
    case LaunchWay::kThroughTheShell:
      platform::ShellExecute("open", program, "", "", platform::kSwShowNormal);
      break;
    case LaunchWay::kAsTheDesktopUser:
      platform::CreateProcessWithToken(user_token.Get(), program, platform::GetCurrentDirectory(),
                                       platform::kSwShowNormal);
      break;
    case LaunchWay::kNotAtAll:
      break;
  }
}

}  // namespace velt

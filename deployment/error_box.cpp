#include "deployment/error_box.h"

#include "deployment/command_switches.h"
#include "deployment/run_log.h"
#include "platform/ui.h"

namespace velt {

bool ErrorBoxesSuppressed() {
  return ProcessCommandSwitches().suppress_message_boxes && ModestAsked();
}

int ShowErrorBox(const std::string& text,
                 const std::string& caption,
                 uint32_t style,
                 bool extended,
                 uint16_t language) {
  if (ErrorBoxesSuppressed()) {
    LogEvenAfterAFailedWrite({"error box left out (/SUPPRESSMSGBOXES): ", caption, ": ", text});
    return platform::kIdOk;
  }
  LogEvenAfterAFailedWrite({"error box: ", caption, ": ", text});
  return extended ? platform::MessageBoxEx(text, caption, style, language)
                  : platform::MessageBox(text, caption, style);
}

}  // namespace velt

#include "deployment/file_holders.h"

#include <vector>

#include "deployment/run_log.h"
#include "platform/errors.h"
#include "platform/restart_manager.h"
#include "platform/text_rules.h"

namespace velt {
namespace {

// A Restart Manager session, ended when it goes out of scope.
class RestartManagerSession {
 public:
  RestartManagerSession() = default;
  RestartManagerSession(const RestartManagerSession&) = delete;
  RestartManagerSession& operator=(const RestartManagerSession&) = delete;
  ~RestartManagerSession() {
    if (!started_)
      return;
    if (const uint32_t error = platform::RmEndSession(id_))
      LogFailure({"Restart Manager: RmEndSession"}, error);
  }

  // RmStartSession's error code.
  uint32_t Start() {
    const uint32_t error = platform::RmStartSession(&id_);
    started_ = error == platform::kErrorSuccess;
    return error;
  }
  uint32_t id() const { return id_; }

 private:
  uint32_t id_ = 0;
  bool started_ = false;
};

// `name` (another process's, as the Restart Manager tells it) reduced to
// letters, digits, ".", "-" and "_", every other character made "_": no name
// can bring a blank, "=" or a line break into the log's last line.
std::string SafeName(const std::string& name) {
  std::string safe = name.empty() ? "_" : name;
  for (char& c : safe) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '.' || c == '-' || c == '_';
    if (!plain)
      c = '_';
  }
  return safe;
}

}  // namespace

std::string NameFileHolders(const std::string& path) {
  RestartManagerSession session;
  uint32_t error = session.Start();
  if (error == platform::kErrorCallNotImplemented) {
    Log({"Restart Manager: not available on this system; the holder stays unnamed"});
    return "-";
  }
  if (error != platform::kErrorSuccess) {
    LogFailure({"Restart Manager: RmStartSession"}, error);
    return "-";
  }
  if ((error = platform::RmRegisterFile(session.id(), path)) != platform::kErrorSuccess) {
    LogFailure({"Restart Manager: RmRegisterResources ", path}, error);
    return "-";
  }
  std::vector<platform::RmProcess> processes;
  if ((error = platform::RmGetList(session.id(), &processes)) != platform::kErrorSuccess) {
    LogFailure({"Restart Manager: RmGetList"}, error);
    return "-";
  }
  if (processes.empty()) {
    Log({"Restart Manager: names no process that uses ", path});
    return "-";
  }
  std::string holders;
  for (const platform::RmProcess& process : processes) {
    const std::string holder =
        SafeName(process.app_name) + "[" + platform::DecimalText(process.process_id) + "]";
    Log({"Restart Manager: ", path, " is used by ", holder});
    if (!holders.empty())
      holders += ", ";
    holders += holder;
  }
  return holders;
}

}  // namespace velt

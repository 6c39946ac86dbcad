#include "startup/run_log.h"

#include <vector>

#include "platform/files.h"
#include "platform/log_text.h"
#include "startup/command_switches.h"
#include "startup/exit_codes.h"

namespace velt {
namespace {

// Off: no "/LOG="; keeping: lines wait for the file; writing: the file is
// attached; ended: a write failed, nothing more is logged.
enum class LogState { kOff, kKeeping, kWriting, kEnded };

LogState State = LogState::kOff;
std::string Path;
std::vector<std::string> KeptLines;  // UTF-8, each with its line break
platform::ScopedHandle File;
std::string InstalledVersion;
std::string Holders;
bool PackageWritten = false;

// What a deployment tool reads from the last line.
const char* ResultWord(int exit_code, bool written) {
  switch (exit_code) {
    case kExitOk:
      return written ? "updated" : "declined";
    case kExitNoRegistryAccess:
      return "no-registry-access";
    case kExitNoInstallation:
      return "not-installed";
    case kExitLanguageFailed:
      return "language-failed";
    case kExitNotAdmin:
      return "not-admin";
    case kExitSelfCheckFailed:
      return "damaged-installer";
    case kExitPackageLocked:
      return "file-in-use";
    case kExitInstallFailed:
      return "install-failed";
    case kExitAnotherCopyRunning:
      return "another-copy-running";
    default:
      return "error";
  }
}

std::string TwoDigits(unsigned value) {
  return std::string(1, static_cast<char>('0' + value / 10 % 10)) +
         static_cast<char>('0' + value % 10);
}

std::string TimeText() {
  const platform::LocalTime now = platform::GetLocalTime();
  const std::string milliseconds = std::to_string(1000 + now.milliseconds % 1000).substr(1);
  return std::to_string(now.year) + "-" + TwoDigits(now.month) + "-" + TwoDigits(now.day) + " " +
         TwoDigits(now.hour) + ":" + TwoDigits(now.minute) + ":" + TwoDigits(now.second) + "." +
         milliseconds;
}

// One line: each line break (CR LF, CR or LF) and every other control
// character becomes a blank.
std::string OneLine(const std::string& text) {
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
      continue;  // the LF that follows makes the blank
    line += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
  }
  return line;
}

void Write(const std::string& line) {
  if (State == LogState::kKeeping) {
    KeptLines.push_back(line);
  } else if (State == LogState::kWriting) {
    uint32_t written = 0;
    const uint32_t size = static_cast<uint32_t>(line.size());
    if (!platform::WriteFile(File.Get(), line.data(), size, &written) || written != size) {
      File.Reset();
      State = LogState::kEnded;
    }
  }
}

}  // namespace

void StartRunLog() {
  EndRunLog();
  Path = ProcessCommandSwitches().log_path;
  State = Path.empty() ? LogState::kOff : LogState::kKeeping;
}

void EndRunLog() {
  File.Reset();
  State = LogState::kOff;
  Path.clear();
  KeptLines.clear();
  InstalledVersion = "-";
  Holders = "-";
  PackageWritten = false;
}

bool RunLogRequested() {
  return State != LogState::kOff;
}

const std::string& RunLogPath() {
  return Path;
}

void AttachRunLogFile(platform::ScopedHandle file) {
  if (State != LogState::kKeeping || !file.IsValid())
    return;
  File = std::move(file);
  State = LogState::kWriting;
  std::vector<std::string> kept;
  kept.swap(KeptLines);
  for (const std::string& line : kept)
    Write(line);
}

void Log(const std::string& text) {
  if (State == LogState::kOff || State == LogState::kEnded)
    return;
  Write(TimeText() + " " + platform::AnsiToUtf8(OneLine(text)) + "\r\n");
}

void LogFailure(const std::string& what, uint32_t error) {
  if (State == LogState::kOff || State == LogState::kEnded)
    return;
  const std::string text = platform::SystemErrorText(error);
  Log(what + ": error " + std::to_string(error) + (text.empty() ? "" : " (" + text + ")"));
}

void NoteInstalledVersion(int32_t version) {
  InstalledVersion = std::to_string(version);
}

void NoteFileHolders(const std::string& holders) {
  Holders = holders.empty() ? "-" : holders;
}

void NotePackageWritten() {
  PackageWritten = true;
}

std::string FinalLogLine(int exit_code, int32_t carried) {
  return std::string("velt-update result=") + ResultWord(exit_code, PackageWritten) +
         " exit=" + std::to_string(exit_code) + " installed=" + InstalledVersion +
         " carried=" + std::to_string(carried) +
         " holder=" + platform::AnsiToUtf8(OneLine(Holders));
}

void FinishRunLog(int exit_code, int32_t carried) {
  if (State == LogState::kWriting) {
    Log("the run ends with exit code " + std::to_string(exit_code));
    Write(FinalLogLine(exit_code, carried) + "\r\n");
  }
  EndRunLog();
}

}  // namespace velt

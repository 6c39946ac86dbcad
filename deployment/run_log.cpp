#include "deployment/run_log.h"

#include "deployment/command_switches.h"
#include "deployment/exit_codes.h"
#include "platform/files.h"
#include "platform/log_text.h"
#include "platform/text_rules.h"

namespace velt {
namespace {

// Off: no "/LOG="; keeping: lines wait for the file; writing: the file is
// attached; broken: a write failed, no more steps are logged, but the end
// still tries to close the log with its last line.
enum class LogState { kOff, kKeeping, kWriting, kBroken };

LogState State = LogState::kOff;
std::string Path;
std::string KeptLines;  // UTF-8, each line with its line break
platform::ScopedHandle File;
std::string LinesAfterBreak;  // error boxes logged after a failed write
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
    case kExitLogNotMade:
      return "log-not-made";
    case kExitUnknownSwitch:
      return "unknown-switch";
    default:
      return "error";
  }
}

// Writes `value` (below 10^digits) as `digits` decimal digits ending before `end`;
// returns where they start.
char* PutDigits(char* end, unsigned value, int digits) {
  while (digits-- > 0) {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return end;
}

// "YYYY-MM-DD hh:mm:ss.mmm " for the local time now.
std::string TimeText() {
  const platform::LocalTime now = platform::GetLocalTime();
  char text[] = "0000-00-00 00:00:00.000 ";
  PutDigits(text + 4, now.year, 4);
  PutDigits(text + 7, now.month, 2);
  PutDigits(text + 10, now.day, 2);
  PutDigits(text + 13, now.hour, 2);
  PutDigits(text + 16, now.minute, 2);
  PutDigits(text + 19, now.second, 2);
  PutDigits(text + 23, now.milliseconds, 3);
  return std::string(text, sizeof(text) - 1);
}

std::string Joined(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (std::string_view part : parts)
    text.append(part.data(), part.size());
  return text;
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
    KeptLines += line;
  } else if (State == LogState::kWriting) {
    uint32_t written = 0;
    const uint32_t size = static_cast<uint32_t>(line.size());
    if (!platform::WriteFile(File.Get(), line.data(), size, &written) || written != size)
      State = LogState::kBroken;
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
  LinesAfterBreak.clear();
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
  std::string kept;
  kept.swap(KeptLines);
  Write(kept);
}

// The line that logs `parts`, with its time and line break.
std::string LineOf(std::initializer_list<std::string_view> parts) {
  return TimeText() + platform::AnsiToUtf8(OneLine(Joined(parts))) + "\r\n";
}

void Log(std::initializer_list<std::string_view> parts) {
  if (State == LogState::kOff || State == LogState::kBroken)
    return;
  Write(LineOf(parts));
}

void LogEvenAfterAFailedWrite(std::initializer_list<std::string_view> parts) {
  if (State == LogState::kBroken)
    LinesAfterBreak += LineOf(parts);
  else
    Log(parts);
}

void LogFailure(std::initializer_list<std::string_view> what, uint32_t error) {
  if (State == LogState::kOff || State == LogState::kBroken)
    return;
  const std::string text = platform::SystemErrorText(error);
  Log({Joined(what), ": error ", platform::DecimalText(error), text.empty() ? "" : " (", text,
       text.empty() ? "" : ")"});
}

void NoteInstalledVersion(int32_t version) {
  InstalledVersion = platform::DecimalText(version);
}

void NoteFileHolders(const std::string& holders) {
  Holders = holders.empty() ? "-" : holders;
}

void NotePackageWritten() {
  PackageWritten = true;
}

std::string FinalLogLine(int exit_code, int32_t carried) {
  return Joined({"velt-update result=", ResultWord(exit_code, PackageWritten),
                 " exit=", platform::DecimalText(exit_code), " installed=", InstalledVersion,
                 " carried=", platform::DecimalText(carried),
                 " holder=", platform::AnsiToUtf8(OneLine(Holders))});
}

bool RunLogWriting() {
  return State == LogState::kWriting;
}

void FinishRunLog(int exit_code, int32_t carried) {
  if (State == LogState::kWriting)
    Log({"the run ends with exit code ", platform::DecimalText(exit_code)});
  if (State == LogState::kBroken) {
    // Whatever a failed write left, the last line starts a line of its own,
    // after one that says lines are missing.
    State = LogState::kWriting;
    Write("\r\n" + TimeText() + "a write to the log failed before; lines are missing\r\n" +
          LinesAfterBreak);
  }
  if (State == LogState::kWriting)
    Write(FinalLogLine(exit_code, carried) + "\r\n");
  EndRunLog();
}

}  // namespace velt

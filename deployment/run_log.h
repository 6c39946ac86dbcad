// The run log a deployment asks for with "/LOG=<path>": UTF-8 lines, each
// after the local time, and as the last line, without a time,
//   velt-update result=<word> exit=<code> installed=<version or -> carried=<version> holder=<names
//   or ->
// Lines logged before the file is attached are kept and written when it is;
// without "/LOG=" nothing is kept or written. After a write that fails (or
// writes less, on a full disk) no more steps are logged and the run goes on;
// its end still tries to write a line saying lines are missing, then the last
// line. Control characters in logged texts become blanks, so no
// text (a path from the registry, a box text) can start a line of its own.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/handles.h"

namespace velt {

// Reads "/LOG=" from the command line and forgets everything of an earlier run.
void StartRunLog();
// Closes the file and forgets the kept lines and facts.
void EndRunLog();

// Whether the command line asked for a log, and its path as given.
bool RunLogRequested();
const std::string& RunLogPath();

// Makes `file` (open for writing, empty) the log: the kept lines are written at
// once, and every later line as it is logged.
void AttachRunLogFile(platform::ScopedHandle file);

// Logs the parts (ANSI), joined.
void Log(std::initializer_list<std::string_view> parts);
// Logs the parts (ANSI), joined, also when a write to the log failed before:
// the line is then written at the end, before the last line (error boxes,
// whose text must reach the log whenever it can).
void LogEvenAfterAFailedWrite(std::initializer_list<std::string_view> parts);
// Logs the parts joined, then ": error <code> (<the system's text>)".
void LogFailure(std::initializer_list<std::string_view> what, uint32_t error);

// Facts of the last line, noted where they become known.
void NoteInstalledVersion(int32_t version);
void NoteFileHolders(const std::string& holders);  // "-" for nobody
void NotePackageWritten();

// The last line for a run that ends with `exit_code` and carries `carried`.
std::string FinalLogLine(int exit_code, int32_t carried);
// Whether the file is attached and every write so far was whole.
bool RunLogWriting();
// Writes the last line and closes the log.
void FinishRunLog(int exit_code, int32_t carried);

}  // namespace velt

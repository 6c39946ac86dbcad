// The run log a deployment asks for with "/LOG=<path>": UTF-8 lines, each
// after the local time, and as the last line, without a time,
//   velt-update result=<word> exit=<code> installed=<version or -> carried=<version> holder=<names
//   or ->
// Lines logged before the file is attached are kept and written when it is;
// without "/LOG=" nothing is kept or written. A write that fails ends the log
// (the run goes on). Control characters in logged texts become blanks, so no
// text (a path from the registry, a box text) can start a line of its own.
#pragma once

#include <cstdint>
#include <string>

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

// Logs `text` (ANSI).
void Log(const std::string& text);
// Logs "<what>: error <code> (<the system's text>)".
void LogFailure(const std::string& what, uint32_t error);

// Facts of the last line, noted where they become known.
void NoteInstalledVersion(int32_t version);
void NoteFileHolders(const std::string& holders);  // "-" for nobody
void NotePackageWritten();

// The last line for a run that ends with `exit_code` and carries `carried`.
std::string FinalLogLine(int exit_code, int32_t carried);
// Writes the last line and closes the log.
void FinishRunLog(int exit_code, int32_t carried);

}  // namespace velt

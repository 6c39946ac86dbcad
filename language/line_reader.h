// Reads a language file line by line. Lines end at LF (a CR LF pair included);
// every CR not followed by LF is dropped; a byte 0x1A ends the text as if the
// file ended there. The file is opened for reading, shared for reading only.
//
// The files lie in a folder the user may be able to write to, and their text
// is shown by an elevated program, so only plain files are read, within limits:
// a file on a disk (no device or pipe) that is no link, opened relative to the
// handle of the folder it lies in (so its parent is that folder by identity),
// of at most kLanguageFileLimit bytes, with lines of at most kLanguageLineLimit
// bytes. Beyond them, opening or reading fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/handles.h"

namespace velt {

constexpr uint64_t kLanguageFileLimit = 1u << 20;
constexpr size_t kLanguageLineLimit = 16384;

struct LineReader {
  platform::ScopedHandle file;
  std::string buffer;       // bytes read from the file and not yet consumed
  size_t position = 0;      // next unconsumed byte of `buffer`
  uint64_t read = 0;        // bytes read from the file since its start
  bool file_ended = false;  // the file has no more bytes to give
  bool text_ended = false;  // end of file or 0x1A consumed
};

enum class LineResult { kLine, kEnd, kError };

// Opens the file `name` of the folder open as `folder`, whose final path is
// `folder_reached` (empty when unknown), closing whatever the reader held.
// False when it cannot be opened or is not a plain file of that folder within
// the limits above.
bool OpenLineReader(LineReader& reader,
                    platform::RawHandle folder,
                    const std::string& folder_reached,
                    const std::string& name);
bool IsLineReaderOpen(const LineReader& reader);
// Starts again from the first byte of the open file. False when that fails.
bool RewindLineReader(LineReader& reader);
void CloseLineReader(LineReader& reader);

// Reads the next line into `*line` (without its end). kEnd when no line is left;
// kError when reading fails or goes beyond a limit (then `*line` holds nothing
// useful).
LineResult ReadLine(LineReader& reader, std::string* line);

}  // namespace velt

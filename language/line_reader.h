// Reads a language file line by line. Lines end at LF (a CR LF pair included);
// every CR not followed by LF is dropped; a byte 0x1A ends the text as if the
// file ended there. The file is opened for reading, shared for reading only.
#pragma once

#include <cstddef>
#include <string>

#include "platform/handles.h"

namespace velt {

struct LineReader {
  platform::ScopedHandle file;
  std::string buffer;       // bytes read from the file and not yet consumed
  size_t position = 0;      // next unconsumed byte of `buffer`
  bool file_ended = false;  // the file has no more bytes to give
  bool text_ended = false;  // end of file or 0x1A consumed
};

enum class LineResult { kLine, kEnd, kError };

// Opens `path` (closing whatever the reader held). False when it cannot be opened.
bool OpenLineReader(LineReader& reader, const std::string& path);
bool IsLineReaderOpen(const LineReader& reader);
// Starts again from the first byte of the open file. False when that fails.
bool RewindLineReader(LineReader& reader);
void CloseLineReader(LineReader& reader);

// Reads the next line into `*line` (without its end). kEnd when no line is left;
// kError when reading fails (then `*line` holds nothing useful).
LineResult ReadLine(LineReader& reader, std::string* line);

}  // namespace velt

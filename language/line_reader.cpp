#include "language/line_reader.h"

#include <cstdint>

#include "platform/files.h"

namespace velt {
namespace {

constexpr uint32_t kChunkSize = 4096;
constexpr char kEndOfText = 0x1A;

void ResetBuffer(LineReader& reader) {
  reader.buffer.clear();
  reader.position = 0;
  reader.file_ended = false;
  reader.text_ended = false;
}

// Makes at least one unconsumed byte available unless the file has ended.
bool FillBuffer(LineReader& reader) {
  if (reader.position < reader.buffer.size() || reader.file_ended)
    return true;
  reader.buffer.resize(kChunkSize);
  reader.position = 0;
  uint32_t read = 0;
  if (!platform::ReadFile(reader.file.Get(), &reader.buffer[0], kChunkSize, &read)) {
    reader.buffer.clear();
    return false;
  }
  reader.buffer.resize(read);
  if (read == 0)
    reader.file_ended = true;
  return true;
}

}  // namespace

bool OpenLineReader(LineReader& reader, const std::string& path) {
  CloseLineReader(reader);
  reader.file = platform::CreateFile(path, platform::FileAccess::kRead, platform::FileShare::kRead,
                                     platform::FileDisposition::kOpenExisting);
  return reader.file.IsValid();
}

bool IsLineReaderOpen(const LineReader& reader) {
  return reader.file.IsValid();
}

bool RewindLineReader(LineReader& reader) {
  ResetBuffer(reader);
  return reader.file.IsValid() && platform::SeekFile(reader.file.Get(), 0);
}

void CloseLineReader(LineReader& reader) {
  reader.file.Reset();
  ResetBuffer(reader);
}

LineResult ReadLine(LineReader& reader, std::string* line) {
  line->clear();
  if (reader.text_ended || !reader.file.IsValid())
    return LineResult::kEnd;
  bool consumed_any = false;
  for (;;) {
    if (!FillBuffer(reader))
      return LineResult::kError;
    if (reader.position >= reader.buffer.size()) {
      reader.text_ended = true;
      break;
    }
    const char byte = reader.buffer[reader.position++];
    if (byte == kEndOfText) {
      reader.text_ended = true;
      break;
    }
    consumed_any = true;
    if (byte == '\n')
      return LineResult::kLine;
    if (byte != '\r')
      line->push_back(byte);
  }
  return consumed_any ? LineResult::kLine : LineResult::kEnd;
}

}  // namespace velt

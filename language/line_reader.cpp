#include "language/line_reader.h"

#include <cstdint>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text_rules.h"
#include "startup/startup_settings.h"

namespace velt {
namespace {

constexpr uint32_t kChunkSize = 4096;
constexpr char kEndOfText = 0x1A;

void ResetBuffer(LineReader& reader) {
  reader.buffer.clear();
  reader.position = 0;
  reader.read = 0;
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
  reader.read += read;
  if (reader.read > kLanguageFileLimit) {
    reader.buffer.clear();
    return false;
  }
  if (read == 0)
    reader.file_ended = true;
  return true;
}

// The part of `path` before its last backslash.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Whether the open `file`, opened relative to the folder whose final path is
// `folder_reached`, is a plain file within the size limit. Wine follows a Unix
// link even where asked not to, so where both final paths are known the
// file's must lie in the folder's. Where they are not (before Windows Vista, a
// volume no drive letter reaches), the relative open stands: Windows opens a
// link itself, and it shows as a reparse point.
bool IsPlainFileIn(platform::RawHandle file, std::string folder_reached) {
  platform::FileInformation information;
  if (!platform::IsDiskFile(file) || !platform::GetFileInformation(file, &information) ||
      (information.attributes & (platform::kAttrDirectory | platform::kAttrReparsePoint)) != 0 ||
      information.size > kLanguageFileLimit) {
    return false;
  }
  std::string reached;
  if (folder_reached.empty() || !platform::GetFinalPathNameByHandle(file, &reached))
    return true;
  if (folder_reached.back() == '\\')
    folder_reached.pop_back();  // a drive root's
  return platform::SameAsciiText(FolderOf(reached), folder_reached);
}

}  // namespace

bool OpenLineReader(LineReader& reader,
                    platform::RawHandle folder,
                    const std::string& folder_reached,
                    const std::string& name) {
  CloseLineReader(reader);
  platform::ScopedHandle file = platform::OpenInFolder(
      folder, name, platform::InFolderAccess::kRead, platform::FileShare::kRead);
  if (!file.IsValid() || !IsPlainFileIn(file.Get(), folder_reached))
    return false;
  reader.file = std::move(file);
  return true;
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
    if (line->size() > kLanguageLineLimit)
      return LineResult::kError;
  }
  return consumed_any ? LineResult::kLine : LineResult::kEnd;
}

}  // namespace velt

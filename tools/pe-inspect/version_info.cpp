#include "version_info.h"

#include <vector>

#include "pe_image.h"

namespace pe {
namespace {

constexpr uint32_t kFixedSignature = 0xFEEF04BD;

// One block: wLength, wValueLength, wType, a zero-terminated UTF-16 key, the
// value and the child blocks, each start aligned to 4 bytes.
struct Block {
  std::string key;
  std::string value;  // raw bytes
  std::vector<Block> children;
};

uint16_t U16(const std::string& bytes, size_t at) {
  return static_cast<uint16_t>(ReadLittleEndian(bytes, at, 2));
}

size_t Align4(size_t at) {
  return (at + 3) & ~size_t{3};
}

// UTF-16 text to ASCII; other characters become '?'.
std::string Narrow(const std::string& bytes, size_t at, size_t end, size_t* after) {
  std::string text;
  for (; at + 2 <= end; at += 2) {
    const uint16_t c = U16(bytes, at);
    if (c == 0) {
      *after = at + 2;
      return text;
    }
    text += c < 0x80 ? static_cast<char>(c) : '?';
  }
  *after = end;
  return text;
}

bool ParseBlock(const std::string& bytes, size_t at, size_t limit, Block* block) {
  if (at + 6 > limit)
    return false;
  const size_t length = U16(bytes, at), value_length = U16(bytes, at + 2);
  const bool text = U16(bytes, at + 4) == 1;
  const size_t end = at + length;
  if (length < 6 || end > limit)
    return false;
  size_t after_key = 0;
  block->key = Narrow(bytes, at + 6, end, &after_key);
  size_t next = Align4(after_key);
  const size_t value_bytes = text ? value_length * 2 : value_length;  // text: in characters
  if (next + value_bytes > end)
    return false;
  block->value = bytes.substr(next, value_bytes);
  for (next = Align4(next + value_bytes); next + 6 <= end;) {
    Block child;
    if (!ParseBlock(bytes, next, end, &child))
      return false;
    next = Align4(next + U16(bytes, next));
    block->children.push_back(child);
  }
  return true;
}

}  // namespace

bool ParseVersionInfo(const std::string& bytes, VersionInfo* info, std::string* error) {
  Block root;
  if (!ParseBlock(bytes, 0, bytes.size(), &root)) {
    *error = "the version block structure is broken";
    return false;
  }
  if (root.key != "VS_VERSION_INFO" || root.value.size() < 52 ||
      (U16(root.value, 0) | uint32_t{U16(root.value, 2)} << 16) != kFixedSignature) {
    *error = "no VS_VERSION_INFO with VS_FIXEDFILEINFO";
    return false;
  }
  // dwFileVersionMS/LS at 8 and 12, dwProductVersionMS/LS at 16 and 20.
  const size_t order[4] = {2, 0, 6, 4};
  for (int i = 0; i < 4; ++i) {
    info->file_version[i] = U16(root.value, 8 + order[i]);
    info->product_version[i] = U16(root.value, 16 + order[i]);
  }
  for (const Block& child : root.children) {
    if (child.key != "StringFileInfo" || child.children.empty())
      continue;
    const Block& table = child.children.front();
    info->language = table.key;
    for (const Block& entry : table.children) {
      size_t after = 0;
      info->strings[entry.key] = Narrow(entry.value, 0, entry.value.size(), &after);
    }
  }
  return true;
}

}  // namespace pe

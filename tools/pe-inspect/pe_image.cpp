#include "pe_image.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace pe {

uint32_t ReadLittleEndian(const std::string& bytes, uint64_t at, int count) {
  if (at + count > bytes.size())
    return 0;
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i)
    value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

uint16_t Image::U16(uint64_t at) const {
  return static_cast<uint16_t>(ReadLittleEndian(file_, at, 2));
}

uint32_t Image::U32(uint64_t at) const {
  return ReadLittleEndian(file_, at, 4);
}

bool Image::Fail(const std::string& why) {
  error_ = why;
  return false;
}

uint32_t Image::RvaToOffset(uint32_t rva) const {
  for (const Section& s : sections_) {
    const uint32_t extent = s.virtual_size > s.raw_size ? s.raw_size : s.virtual_size;
    if (rva >= s.virtual_address && rva < s.virtual_address + extent) {
      return rva - s.virtual_address + s.raw_offset;
    }
  }
  return 0;
}

bool Image::ReadAt(uint32_t rva, uint32_t size, std::string* bytes) const {
  const uint32_t offset = RvaToOffset(rva);
  if (offset == 0 || (size > 0 && RvaToOffset(rva + size - 1) != offset + size - 1))
    return false;
  if (uint64_t{offset} + size > file_.size())
    return false;
  *bytes = file_.substr(offset, size);
  return true;
}

bool Image::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return Fail("cannot read " + path);
  file_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (file_.size() < 64 || file_.compare(0, 2, "MZ") != 0)
    return Fail("no MZ header");
  const uint32_t nt = U32(0x3C);
  if (file_.compare(nt, 4, std::string("PE\0\0", 4)) != 0)
    return Fail("no PE signature");
  machine_ = U16(nt + 4);
  const uint16_t section_count = U16(nt + 6);
  const uint16_t optional_size = U16(nt + 20);
  const uint64_t optional = nt + 24;
  const uint16_t magic = U16(optional);
  if (magic != 0x10B && magic != 0x20B)
    return Fail("unknown optional header magic");
  subsystem_ = U16(optional + 68);
  dll_characteristics_ = U16(optional + 70);
  const uint64_t directories = optional + (magic == 0x10B ? 96 : 112);
  for (uint16_t i = 0; i < section_count; ++i) {
    const uint64_t at = optional + optional_size + 40ull * i;
    Section s;
    s.name = file_.substr(at, 8).c_str();
    if (s.name.size() > 1 && s.name[0] == '/') {  // "/N": offset N in the COFF string table
      const uint64_t strings = uint64_t{U32(nt + 12)} + 18ull * U32(nt + 16);
      const uint64_t long_name = strings + std::strtoull(s.name.c_str() + 1, nullptr, 10);
      if (U32(nt + 12) != 0 && long_name < file_.size())
        s.name = file_.c_str() + long_name;
    }
    s.virtual_size = U32(at + 8);
    s.virtual_address = U32(at + 12);
    s.raw_size = U32(at + 16);
    s.raw_offset = U32(at + 20);
    sections_.push_back(s);
  }
  return ParseImports(U32(directories + 8 * 1)) && ParseResources(U32(directories + 8 * 2));
}

bool Image::ParseImports(uint32_t rva) {
  if (rva == 0)
    return true;
  for (uint32_t at = RvaToOffset(rva); at != 0; at += 20) {
    const uint32_t name_rva = U32(at + 12);
    if (name_rva == 0)
      return true;
    const uint32_t name = RvaToOffset(name_rva);
    if (name == 0)
      return Fail("import name outside the sections");
    imports_.push_back(file_.c_str() + name);
  }
  return Fail("import directory outside the sections");
}

std::string Image::ResourceId(uint32_t base, uint32_t entry_name) const {
  if ((entry_name & 0x80000000u) == 0)
    return "#" + std::to_string(entry_name);
  const uint32_t at = base + (entry_name & 0x7FFFFFFFu);
  std::string text;
  for (uint16_t i = 0, length = U16(at); i < length; ++i) {
    text += static_cast<char>(U16(at + 2 + 2 * i) & 0xFF);  // ASCII names only
  }
  return text;
}

bool Image::WalkResourceDirectory(uint32_t base, uint32_t offset, int depth, Resource current) {
  if (depth > 2)
    return Fail("resource tree deeper than type/name/language");
  const uint32_t dir = base + offset;
  const uint32_t entries = uint32_t{U16(dir + 12)} + U16(dir + 14);
  for (uint32_t i = 0; i < entries; ++i) {
    const uint32_t entry = dir + 16 + 8 * i;
    const uint32_t id = U32(entry), target = U32(entry + 4);
    Resource next = current;
    if (depth == 0)
      next.type = ResourceId(base, id);
    if (depth == 1)
      next.name = ResourceId(base, id);
    if (depth == 2)
      next.language = static_cast<uint16_t>(id);
    if (target & 0x80000000u) {
      if (!WalkResourceDirectory(base, target & 0x7FFFFFFFu, depth + 1, next))
        return false;
    } else {
      next.rva = U32(base + target);
      next.size = U32(base + target + 4);
      resources_.push_back(next);
    }
  }
  return true;
}

bool Image::ParseResources(uint32_t rva) {
  if (rva == 0)
    return true;
  const uint32_t base = RvaToOffset(rva);
  if (base == 0)
    return Fail("resource directory outside the sections");
  return WalkResourceDirectory(base, 0, 0, Resource());
}

}  // namespace pe

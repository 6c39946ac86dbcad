// A read-only view of a PE executable file (32- or 64-bit): headers, sections,
// imported DLLs and the resource tree.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pe {

// Little-endian values of `count` (1 to 4) bytes at `at` of `bytes`; 0 when
// they do not all lie inside.
uint32_t ReadLittleEndian(const std::string& bytes, uint64_t at, int count);

struct Section {
  std::string name;
  uint32_t virtual_address = 0;
  uint32_t virtual_size = 0;
  uint32_t raw_offset = 0;
  uint32_t raw_size = 0;
};

// One leaf of the resource tree: type/name as text ("#24" for numeric ids).
struct Resource {
  std::string type;
  std::string name;
  uint16_t language = 0;
  uint32_t rva = 0;
  uint32_t size = 0;
};

class Image {
 public:
  // Reads and parses `path`. False with a reason in error() when it is not a PE.
  bool Load(const std::string& path);
  const std::string& error() const { return error_; }

  uint16_t machine() const { return machine_; }
  uint16_t subsystem() const { return subsystem_; }
  uint16_t dll_characteristics() const { return dll_characteristics_; }
  const std::vector<std::string>& imported_dlls() const { return imports_; }
  const std::vector<Resource>& resources() const { return resources_; }
  const std::vector<Section>& sections() const { return sections_; }
  uint64_t file_size() const { return file_.size(); }
  // The bytes at `rva`, or false when they are not all inside one section's file data.
  bool ReadAt(uint32_t rva, uint32_t size, std::string* bytes) const;

 private:
  bool Fail(const std::string& why);
  bool ParseImports(uint32_t rva);
  bool ParseResources(uint32_t rva);
  bool WalkResourceDirectory(uint32_t base, uint32_t offset, int depth, Resource current);
  std::string ResourceId(uint32_t base, uint32_t entry_name) const;
  uint32_t RvaToOffset(uint32_t rva) const;  // 0 when outside every section
  uint16_t U16(uint64_t at) const;
  uint32_t U32(uint64_t at) const;

  std::string file_;
  std::string error_;
  std::vector<Section> sections_;
  uint16_t machine_ = 0;
  uint16_t subsystem_ = 0;
  uint16_t dll_characteristics_ = 0;
  std::vector<std::string> imports_;
  std::vector<Resource> resources_;
};

}  // namespace pe

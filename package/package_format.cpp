#include "package/package_format.h"

#include <cstring>

namespace velt {
namespace {

uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void SetError(std::string* error, const std::string& text) {
  if (error != nullptr)
    *error = text;
}

}  // namespace

bool ParsePackageHeader(const uint8_t* data,
                        uint64_t size,
                        PackageHeader* header,
                        std::string* error) {
  if (data == nullptr || size < kPackageTableOffset) {
    SetError(error, "payload of " + std::to_string(size) + " bytes is shorter than its header");
    return false;
  }
  std::memcpy(header->magic, data, 4);
  header->version_byte = data[kPackageVersionOffset];
  header->count =
      static_cast<uint16_t>(data[kPackageCountOffset] | (data[kPackageCountOffset + 1] << 8));
  const uint64_t items_offset = PackageItemsOffset(header->count);
  if (size < items_offset) {
    SetError(error, "payload of " + std::to_string(size) +
                        " bytes cannot hold the offset table of " + std::to_string(header->count) +
                        " items");
    return false;
  }
  header->offsets.resize(header->count + 1u);
  for (uint32_t k = 0; k <= header->count; ++k) {
    header->offsets[k] = ReadU32(data + kPackageTableOffset + 4 * k);
  }
  return true;
}

bool CheckPackageLayout(const PackageHeader& header, uint64_t size, std::string* error) {
  if (std::memcmp(header.magic, kPackageMagic, 4) != 0) {
    SetError(error, "magic is not \"vtup\"");
    return false;
  }
  if (header.offsets.size() != header.count + 1u) {
    SetError(error, "offset table does not match the item count");
    return false;
  }
  const uint32_t first = PackageItemsOffset(header.count);
  if (header.offsets[0] != first) {
    SetError(error, "entry 0 is " + std::to_string(header.offsets[0]) + ", expected " +
                        std::to_string(first) + " (right after the header word)");
    return false;
  }
  for (uint32_t k = 1; k <= header.count; ++k) {
    if (header.offsets[k] <= header.offsets[k - 1]) {
      SetError(error, "entry " + std::to_string(k) + " (" + std::to_string(header.offsets[k]) +
                          ") does not exceed entry " + std::to_string(k - 1) + " (" +
                          std::to_string(header.offsets[k - 1]) + ")");
      return false;
    }
  }
  if (size < kPackageTrailerSize || header.offsets[header.count] != size - kPackageTrailerSize) {
    SetError(error, "entry " + std::to_string(header.count) + " is " +
                        std::to_string(header.offsets[header.count]) +
                        ", expected size - 4 = " + std::to_string(size < 4 ? 0 : size - 4));
    return false;
  }
  return true;
}

bool CheckPackageVersion(const PackageHeader& header,
                         int32_t expected_version,
                         std::string* error) {
  const int32_t expected_byte = expected_version + kPackageVersionBias;
  if (header.version_byte != expected_byte) {
    SetError(error, "version byte is " + std::to_string(header.version_byte) + " (version " +
                        std::to_string(PackageDataVersion(header.version_byte)) + "), expected " +
                        std::to_string(expected_byte) + " (version " +
                        std::to_string(expected_version) + ")");
    return false;
  }
  return true;
}

bool ValidatePackage(const uint8_t* data,
                     uint64_t size,
                     int32_t expected_version,
                     std::string* error) {
  PackageHeader header;
  return ParsePackageHeader(data, size, &header, error) &&
         CheckPackageLayout(header, size, error) &&
         CheckPackageVersion(header, expected_version, error);
}

}  // namespace velt

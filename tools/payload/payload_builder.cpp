#include "payload_builder.h"

#include "package/package_format.h"

namespace payload {
namespace {

void PutU32(uint8_t* p, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetU32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

bool ParseFault(const std::string& name, Fault* fault) {
  static const struct {
    const char* name;
    Fault fault;
  } kNames[] = {
      {"none", Fault::kNone},   {"magic", Fault::kMagic}, {"first-offset", Fault::kFirstOffset},
      {"order", Fault::kOrder}, {"end", Fault::kEnd},     {"truncated", Fault::kTruncated}};
  for (const auto& entry : kNames) {
    if (name == entry.name) {
      *fault = entry.fault;
      return true;
    }
  }
  return false;
}

Bytes BuildPayload(const std::vector<Bytes>& items, int32_t version) {
  if (items.size() > velt::kPackageMaxItems)
    return {};
  const uint32_t count = static_cast<uint32_t>(items.size());
  uint64_t size = velt::PackageItemsOffset(count) + velt::kPackageTrailerSize;
  for (const Bytes& item : items)
    size += item.size();
  if (size > 0xFFFFFFFFull)
    return {};

  Bytes out(velt::PackageItemsOffset(count), 0);
  for (int i = 0; i < 4; ++i)
    out[i] = static_cast<uint8_t>(velt::kPackageMagic[i]);
  out[velt::kPackageVersionOffset] = static_cast<uint8_t>(version + velt::kPackageVersionBias);
  out[velt::kPackageCountOffset] = static_cast<uint8_t>(count);
  out[velt::kPackageCountOffset + 1] = static_cast<uint8_t>(count >> 8);
  out.reserve(size);
  for (uint32_t k = 0; k < count; ++k) {
    PutU32(&out[velt::kPackageTableOffset + 4 * k], static_cast<uint32_t>(out.size()));
    out.insert(out.end(), items[k].begin(), items[k].end());
  }
  PutU32(&out[velt::kPackageTableOffset + 4 * count], static_cast<uint32_t>(out.size()));
  out.insert(out.end(), velt::kPackageTrailerSize, 0);
  return out;
}

void ApplyFault(Fault fault, Bytes* payload) {
  Bytes& p = *payload;
  const uint32_t count = p[velt::kPackageCountOffset] | (p[velt::kPackageCountOffset + 1] << 8);
  uint8_t* table = &p[velt::kPackageTableOffset];
  switch (fault) {
    case Fault::kNone:
      break;
    case Fault::kMagic:
      p[0] = 'V';
      break;
    case Fault::kFirstOffset:
      PutU32(table, GetU32(table) + 1);
      break;
    case Fault::kOrder:
      if (count >= 2)
        PutU32(table + 4, GetU32(table));
      break;
    case Fault::kEnd:
      p.push_back(0);  // one byte too many after the trailer
      break;
    case Fault::kTruncated:
      p.resize(velt::kPackageTableOffset + 2 * count);
      break;
  }
}

}  // namespace payload

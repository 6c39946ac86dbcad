// ParsePackageHeader, CheckPackageLayout and ValidatePackage over fuzzed
// payload bytes, against a model of the layout: magic "vtup", version byte at 4,
// little-endian item count N at 5, N + 1 little-endian offsets at 7, a header
// word, the items; entry 0 right after the header word, entries strictly
// increasing, entry N = size - 4. The whole input is the payload.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "package/package_format.h"

namespace {

using velt_fuzz::ExpectEqual;

struct ModelHeader {
  std::string magic;
  uint8_t version_byte = 0;
  uint32_t count = 0;
  std::vector<uint64_t> offsets;
};

uint64_t Little(const uint8_t* p, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = value * 256 + p[i];
  return value;
}

// False when the bytes cannot hold the header, its offset table and header word.
bool ModelParse(const uint8_t* data, uint64_t size, ModelHeader* header) {
  if (size < 7)
    return false;
  header->magic.assign(reinterpret_cast<const char*>(data), 4);
  header->version_byte = data[4];
  header->count = static_cast<uint32_t>(Little(data + 5, 2));
  if (size < 7 + 4 * (uint64_t{header->count} + 1) + 4)
    return false;
  for (uint32_t k = 0; k <= header->count; ++k)
    header->offsets.push_back(Little(data + 7 + 4 * k, 4));
  return true;
}

bool ModelLayout(const ModelHeader& header, uint64_t size) {
  if (header.magic != "vtup" || header.offsets.size() != header.count + 1)
    return false;
  if (header.offsets[0] != 7 + 4 * (uint64_t{header.count} + 1) + 4)
    return false;
  for (size_t k = 1; k < header.offsets.size(); ++k) {
    if (header.offsets[k] <= header.offsets[k - 1])
      return false;
  }
  return size >= 4 && header.offsets.back() == size - 4;
}

ModelHeader FromHeader(const velt::PackageHeader& header) {
  ModelHeader model;
  model.magic.assign(header.magic, 4);
  model.version_byte = header.version_byte;
  model.count = header.count;
  model.offsets.assign(header.offsets.begin(), header.offsets.end());
  return model;
}

// A verdict and its reason: a reason is given exactly when the verdict is false.
void ExpectVerdict(const char* what, bool actual, const std::string& error, bool expected) {
  ExpectEqual(what, actual, expected);
  ExpectEqual(what, error.empty(), actual);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ModelHeader model;
  const bool parses = ModelParse(data, size, &model);

  velt::PackageHeader header;
  std::string error;
  ExpectVerdict("ParsePackageHeader", velt::ParsePackageHeader(data, size, &header, &error), error,
                parses);
  error.clear();
  ExpectEqual("ParsePackageHeader without bytes",
              velt::ParsePackageHeader(nullptr, size, &header, &error), false);

  if (parses) {
    header = velt::PackageHeader();
    velt::ParsePackageHeader(data, size, &header, nullptr);
    const ModelHeader parsed = FromHeader(header);
    ExpectEqual("magic", parsed.magic, model.magic);
    ExpectEqual("version byte", parsed.version_byte, model.version_byte);
    ExpectEqual("count", parsed.count, model.count);
    ExpectEqual("offset table size", parsed.offsets.size(), model.offsets.size());
    for (size_t k = 0; k < model.offsets.size(); ++k)
      ExpectEqual("offset", parsed.offsets[k], model.offsets[k]);

    error.clear();
    ExpectVerdict("CheckPackageLayout", velt::CheckPackageLayout(header, size, &error), error,
                  ModelLayout(model, size));
    // The size that entry N asks for passes the last rule, so the others decide.
    const uint64_t fitting = uint64_t{header.offsets.back()} + 4;
    error.clear();
    ExpectVerdict("CheckPackageLayout at the fitting size",
                  velt::CheckPackageLayout(header, fitting, &error), error,
                  ModelLayout(model, fitting));
  }

  // Validation: the carried version, and the version the bytes claim.
  const bool layout = parses && ModelLayout(model, size);
  error.clear();
  ExpectVerdict("ValidatePackage", velt::ValidatePackage(data, size, 11, &error), error,
                layout && model.version_byte == 11 + 32);
  if (size > 4) {
    const int32_t claimed = velt::PackageDataVersion(data[4]);
    ExpectEqual("PackageDataVersion", claimed, int64_t{data[4]} - 32);
    error.clear();
    ExpectVerdict("ValidatePackage at the claimed version",
                  velt::ValidatePackage(data, size, claimed, &error), error, layout);
    ExpectEqual("ValidatePackage without a reason",
                velt::ValidatePackage(data, size, claimed, nullptr), layout);
  }

  // A header whose offset table does not match its count is refused, not read past.
  if (size >= 2) {
    velt::PackageHeader odd;
    std::memcpy(odd.magic, "vtup", 4);
    odd.count = static_cast<uint16_t>(Little(data, 2));
    for (size_t at = 2; at + 4 <= size && odd.offsets.size() <= odd.count + 1u; at += 4)
      odd.offsets.push_back(static_cast<uint32_t>(Little(data + at, 4)));
    error.clear();
    ExpectVerdict("CheckPackageLayout of a built header",
                  velt::CheckPackageLayout(odd, size, &error), error,
                  ModelLayout(FromHeader(odd), size));
  }
  return 0;
}

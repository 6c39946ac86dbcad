// velt-payload: builds, inspects and checks package payloads (vtup.cok).
//
//   velt-payload build [--version V] [--fault F] --sample OUT
//   velt-payload build [--version V] [--fault F] --items FILE... OUT
//   velt-payload build [--version V] [--fault F] --generate COUNT ITEM_SIZE OUT
//   velt-payload inspect FILE
//   velt-payload check --version V FILE
//   velt-payload checksum FILE
//
// build writes a payload in the package layout (the sample by default has 89
// items, 18,338,960 bytes, version 11). --fault breaks it on purpose: magic,
// first-offset, order, end, truncated. inspect prints the header and checks the
// layout; check also checks the version byte. checksum prints the file's XXH3-128
// as 32 hex digits (as `xxhsum -H2` does), the digest the installer's self-check
// compares with. Exit code 0 when all is well, 1 when a check fails, 2 on a
// usage or file error.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "package/package_format.h"
#include "package/payload_checksum.h"
#include "payload_builder.h"
#include "sample_payload.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: velt-payload build [--version V] [--fault F] "
               "(--sample | --items FILE... | --generate COUNT SIZE) OUT\n"
               "       velt-payload inspect FILE\n"
               "       velt-payload check --version V FILE\n"
               "       velt-payload checksum FILE\n");
  return 2;
}

bool ReadFile(const std::string& path, payload::Bytes* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteFile(const std::string& path, const payload::Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

bool ParseInt(const std::string& text, long min, long max, long* value) {
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || parsed < min || parsed > max)
    return false;
  *value = parsed;
  return true;
}

int Build(const std::vector<std::string>& args) {
  long version = 11;
  payload::Fault fault = payload::Fault::kNone;
  std::vector<payload::Bytes> items;
  bool have_items = false;
  size_t i = 0;
  for (; i + 1 < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--version" && i + 2 < args.size()) {
      if (!ParseInt(args[++i], -32, 223, &version))
        return Usage();
    } else if (arg == "--fault" && i + 2 < args.size()) {
      if (!payload::ParseFault(args[++i], &fault))
        return Usage();
    } else if (arg == "--sample") {
      items = payload::SampleItems();
      have_items = true;
    } else if (arg == "--generate" && i + 3 < args.size()) {
      long count = 0, size = 0;
      if (!ParseInt(args[i + 1], 0, 0xFFFF, &count) || !ParseInt(args[i + 2], 1, 1 << 24, &size)) {
        return Usage();
      }
      for (long k = 0; k < count; ++k) {
        items.emplace_back(static_cast<size_t>(size), static_cast<uint8_t>('a' + k % 26));
      }
      have_items = true;
      i += 2;
    } else if (arg == "--items") {
      for (++i; i + 1 < args.size(); ++i) {
        payload::Bytes item;
        if (!ReadFile(args[i], &item)) {
          std::fprintf(stderr, "velt-payload: cannot read item %s\n", args[i].c_str());
          return 2;
        }
        items.push_back(std::move(item));
      }
      have_items = true;
      break;
    } else {
      return Usage();
    }
  }
  if (!have_items || i + 1 != args.size())
    return Usage();
  payload::Bytes bytes = payload::BuildPayload(items, static_cast<int32_t>(version));
  if (bytes.empty()) {
    std::fprintf(stderr, "velt-payload: too many items or too many bytes for the layout\n");
    return 2;
  }
  payload::ApplyFault(fault, &bytes);
  if (!WriteFile(args.back(), bytes)) {
    std::fprintf(stderr, "velt-payload: cannot write %s\n", args.back().c_str());
    return 2;
  }
  return 0;
}

void PrintHeader(const velt::PackageHeader& header, uint64_t size) {
  std::printf("size:          %llu bytes\n", static_cast<unsigned long long>(size));
  std::printf("magic:         \"%.4s\"\n", header.magic);
  std::printf("version byte:  %u (data version %d)\n", header.version_byte,
              velt::PackageDataVersion(header.version_byte));
  std::printf("item count:    %u\n", header.count);
  std::printf("entry 0:       %u\n", header.offsets.front());
  std::printf("entry N:       %u\n", header.offsets.back());
  if (header.count == 0)
    return;
  uint32_t smallest = 0xFFFFFFFF, largest = 0;
  for (uint32_t k = 0; k < header.count; ++k) {
    const uint32_t item = header.offsets[k + 1] - header.offsets[k];
    if (item < smallest)
      smallest = item;
    if (item > largest)
      largest = item;
  }
  std::printf("item sizes:    %u to %u bytes\n", smallest, largest);
}

// Reads, parses and checks the layout of `path`; prints the header when `print`.
int Examine(const std::string& path, bool print, bool check_version, long version) {
  payload::Bytes bytes;
  if (!ReadFile(path, &bytes)) {
    std::fprintf(stderr, "velt-payload: cannot read %s\n", path.c_str());
    return 2;
  }
  velt::PackageHeader header;
  std::string error;
  bool ok = velt::ParsePackageHeader(bytes.data(), bytes.size(), &header, &error);
  if (ok && print)
    PrintHeader(header, bytes.size());
  ok = ok && velt::CheckPackageLayout(header, bytes.size(), &error) &&
       (!check_version || velt::CheckPackageVersion(header, static_cast<int32_t>(version), &error));
  if (!ok) {
    std::fprintf(stderr, "velt-payload: %s is not a valid package payload: %s\n", path.c_str(),
                 error.c_str());
    return 1;
  }
  if (print)
    std::printf("layout:        valid\n");
  return 0;
}

int PrintChecksum(const std::string& path) {
  payload::Bytes bytes;
  if (!ReadFile(path, &bytes)) {
    std::fprintf(stderr, "velt-payload: cannot read %s\n", path.c_str());
    return 2;
  }
  uint8_t checksum[velt::kPayloadChecksumSize];
  velt::PayloadChecksum(bytes.data(), bytes.size(), checksum);
  for (uint8_t byte : checksum)
    std::printf("%02x", byte);
  std::printf("\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2)
    return Usage();
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "build")
    return Build(args);
  if (command == "inspect" && args.size() == 1)
    return Examine(args[0], true, false, 0);
  if (command == "check" && args.size() == 3 && args[0] == "--version") {
    long version = 0;
    if (!ParseInt(args[1], -32, 223, &version))
      return Usage();
    return Examine(args[2], false, true, version);
  }
  if (command == "checksum" && args.size() == 1)
    return PrintChecksum(args[0]);
  return Usage();
}

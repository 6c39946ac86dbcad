// velt-pe-inspect: checks the shape of a built Windows executable.
//
//   velt-pe-inspect list FILE                  print headers, imports, resources
//   velt-pe-inspect shape FILE i386|amd64      machine, GUI subsystem, ASLR and DEP
//   velt-pe-inspect imports FILE               only Windows system DLLs imported
//   velt-pe-inspect manifest FILE              requireAdministrator, Common Controls 6
//   velt-pe-inspect resource FILE TYPE NAME LANGUAGE PAYLOAD
//                                              the only custom resource (type and
//                                              name in any case), equal to PAYLOAD
//   velt-pe-inspect icon FILE SIZE...          the first icon group has an image of
//                                              each size, all present as RT_ICON
//   velt-pe-inspect version FILE VERSION PRODUCT COMPANY
//                                              version resource: VERSION.0.0.0, names
//   velt-pe-inspect overhead FILE PAYLOAD MAX  file size minus PAYLOAD's is at most
//                                              MAX bytes; prints where the bytes go
//
// Prints one line per failed rule; exit code 0 when all rules hold, 1 when one
// fails, 2 on a usage or file error.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "icon_group.h"
#include "pe_image.h"
#include "platform/text_rules.h"
#include "version_info.h"

namespace {

constexpr uint16_t kMachineI386 = 0x14C;
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kSubsystemGui = 2;
constexpr uint16_t kDynamicBase = 0x40;
constexpr uint16_t kNxCompat = 0x100;

int failures = 0;

void Expect(bool ok, const std::string& rule) {
  if (!ok) {
    std::printf("FAILED: %s\n", rule.c_str());
    ++failures;
  }
}

std::string Lower(std::string text) {
  for (char& c : text)
    c = platform::AsciiLowercaseChar(c);
  return text;
}

void List(const pe::Image& image) {
  std::printf("machine 0x%X subsystem %u dll characteristics 0x%X\n", image.machine(),
              image.subsystem(), image.dll_characteristics());
  for (const std::string& dll : image.imported_dlls())
    std::printf("import %s\n", dll.c_str());
  for (const pe::Resource& r : image.resources()) {
    std::printf("resource %s/%s language %u size %u\n", r.type.c_str(), r.name.c_str(), r.language,
                r.size);
  }
}

void CheckShape(const pe::Image& image, const std::string& machine) {
  const uint16_t expected = machine == "amd64" ? kMachineAmd64 : kMachineI386;
  Expect(image.machine() == expected, "machine is " + machine);
  Expect(image.subsystem() == kSubsystemGui, "subsystem is GUI (2)");
  Expect((image.dll_characteristics() & kDynamicBase) != 0, "DYNAMIC_BASE is set");
  Expect((image.dll_characteristics() & kNxCompat) != 0, "NX_COMPAT is set");
}

void CheckImports(const pe::Image& image) {
  static const std::set<std::string> kSystemDlls = {
      "kernel32.dll", "user32.dll",   "advapi32.dll", "shell32.dll", "msvcrt.dll",
      "gdi32.dll",    "comctl32.dll", "ole32.dll",    "ntdll.dll",   "shlwapi.dll"};
  Expect(!image.imported_dlls().empty(), "imports at least one DLL");
  for (const std::string& dll : image.imported_dlls()) {
    Expect(kSystemDlls.count(Lower(dll)) == 1, "imports only Windows system DLLs, not " + dll);
  }
}

void CheckManifest(const pe::Image& image) {
  std::string manifest;
  for (const pe::Resource& r : image.resources()) {
    if (r.type == "#24" && r.name == "#1")
      Expect(image.ReadAt(r.rva, r.size, &manifest), "manifest readable");
  }
  Expect(!manifest.empty(), "manifest resource (type 24, id 1) present");
  Expect(manifest.find("level=\"requireAdministrator\"") != std::string::npos,
         "manifest asks for requireAdministrator");
  const size_t controls = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
  Expect(controls != std::string::npos &&
             manifest.find("version=\"6.0.0.0\"", controls) != std::string::npos,
         "manifest depends on Common Controls 6.0.0.0");
}

void CheckResource(const pe::Image& image,
                   const std::string& type,
                   const std::string& name,
                   unsigned language,
                   const std::string& payload_path) {
  std::ifstream in(payload_path, std::ios::binary);
  Expect(static_cast<bool>(in), "payload file " + payload_path + " readable");
  const std::string payload((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int found = 0;
  for (const pe::Resource& r : image.resources()) {
    if (r.type[0] == '#')
      continue;  // standard types are numeric
    // Matched without regard to case, as the program finds it.
    const bool named = Lower(r.type) == Lower(type) && Lower(r.name) == Lower(name);
    Expect(named,
           "the only custom resource is " + type + "/" + name + ", not " + r.type + "/" + r.name);
    if (!named)
      continue;
    ++found;
    Expect(r.language == language,
           "language is " + std::to_string(language) + ", not " + std::to_string(r.language));
    Expect(r.size == payload.size(),
           "size is " + std::to_string(payload.size()) + ", not " + std::to_string(r.size));
    std::string bytes;
    Expect(image.ReadAt(r.rva, r.size, &bytes) && bytes == payload,
           "resource bytes equal the payload file");
  }
  Expect(found == 1,
         "exactly one " + type + "/" + name + " resource (found " + std::to_string(found) + ")");
}

// The first icon group (the one Explorer shows) and the RT_ICON images it names.
void CheckIcon(const pe::Image& image, const std::set<int>& sizes) {
  const pe::Resource* group = nullptr;
  std::map<std::string, const pe::Resource*> icons;
  for (const pe::Resource& r : image.resources()) {
    if (r.type == "#14" && group == nullptr)
      group = &r;
    if (r.type == "#3")
      icons[r.name] = &r;
  }
  std::string bytes;
  std::vector<pe::IconGroupEntry> entries;
  Expect(group != nullptr, "an icon group (RT_GROUP_ICON) is present");
  if (group == nullptr)
    return;
  Expect(image.ReadAt(group->rva, group->size, &bytes) && pe::ParseIconGroup(bytes, &entries),
         "the icon group directory is readable");
  std::set<int> found;
  for (const pe::IconGroupEntry& entry : entries) {
    const std::string what = std::to_string(entry.width) + " pixel image";
    found.insert(entry.width);
    Expect(entry.width == entry.height, what + " is square");
    const auto icon = icons.find("#" + std::to_string(entry.id));
    Expect(icon != icons.end(), what + " exists as RT_ICON #" + std::to_string(entry.id));
    if (icon == icons.end())
      continue;
    std::string data;
    Expect(icon->second->size == entry.bytes && image.ReadAt(icon->second->rva, 40, &data),
           what + " has the size the group gives");
    // A BITMAPINFOHEADER of the stated width, twice as high (colour and mask).
    const bool png = data.compare(0, 4, "\x89PNG") == 0;
    Expect(png || (data.size() == 40 && data[0] == 40 &&
                   static_cast<uint8_t>(data[4]) == (entry.width & 0xFF) &&
                   static_cast<uint8_t>(data[8]) == ((entry.height * 2) & 0xFF)),
           what + " is a bitmap of that size");
  }
  for (int size : sizes)
    Expect(found.count(size) == 1, "the icon has a " + std::to_string(size) + " pixel image");
}

void CheckVersion(const pe::Image& image,
                  unsigned version,
                  const std::string& product,
                  const std::string& company) {
  std::string bytes, error;
  pe::VersionInfo info;
  for (const pe::Resource& r : image.resources()) {
    if (r.type == "#16" && r.name == "#1")
      Expect(image.ReadAt(r.rva, r.size, &bytes), "version resource readable");
  }
  Expect(!bytes.empty(), "version resource (type 16, id 1) present");
  if (bytes.empty())
    return;
  if (!pe::ParseVersionInfo(bytes, &info, &error)) {
    Expect(false, error);
    return;
  }
  const std::string dotted = std::to_string(version) + ".0.0.0";
  auto numeric = [](const uint16_t* v) {
    return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
           std::to_string(v[3]);
  };
  Expect(numeric(info.file_version) == dotted,
         "numeric file version is " + dotted + ", not " + numeric(info.file_version));
  Expect(numeric(info.product_version) == dotted,
         "numeric product version is " + dotted + ", not " + numeric(info.product_version));
  const std::map<std::string, std::string> expected = {{"FileVersion", dotted},
                                                       {"ProductVersion", dotted},
                                                       {"ProductName", product},
                                                       {"CompanyName", company},
                                                       {"OriginalFilename", "velt-update.exe"}};
  for (const auto& [key, value] : expected) {
    Expect(info.strings[key] == value,
           key + " is \"" + value + "\", not \"" + info.strings[key] + "\"");
  }
  Expect(!info.strings["FileDescription"].empty(), "FileDescription is given");
  Expect(info.strings["LegalCopyright"].find(company) != std::string::npos,
         "LegalCopyright names " + company);
}

// The bytes the program adds to the carried payload, and where they are.
void CheckOverhead(const pe::Image& image, const std::string& payload_path, uint64_t limit) {
  std::ifstream in(payload_path, std::ios::binary | std::ios::ate);
  Expect(static_cast<bool>(in), "payload file " + payload_path + " readable");
  const uint64_t payload = in ? static_cast<uint64_t>(in.tellg()) : 0;
  const uint64_t overhead = image.file_size() - payload;
  uint64_t in_sections = 0;
  for (const pe::Section& s : image.sections())
    in_sections += s.raw_size;
  std::printf("overhead %llu bytes (%.1f KiB): headers and gaps %llu",
              static_cast<unsigned long long>(overhead), overhead / 1024.0,
              static_cast<unsigned long long>(image.file_size() - in_sections));
  for (const pe::Section& s : image.sections()) {
    const uint64_t own = s.name == ".rsrc" ? s.raw_size - payload : s.raw_size;
    std::printf(", %s %llu", s.name.c_str(), static_cast<unsigned long long>(own));
  }
  std::printf(" (.rsrc without the payload)\n");
  Expect(overhead <= limit, "overhead at most " + std::to_string(limit) + " bytes");
}

int Usage() {
  std::fprintf(stderr,
               "usage: velt-pe-inspect list|imports|manifest FILE\n"
               "       velt-pe-inspect shape FILE i386|amd64\n"
               "       velt-pe-inspect resource FILE TYPE NAME LANGUAGE PAYLOAD\n"
               "       velt-pe-inspect icon FILE SIZE...\n"
               "       velt-pe-inspect version FILE VERSION PRODUCT COMPANY\n"
               "       velt-pe-inspect overhead FILE PAYLOAD MAX\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3)
    return Usage();
  const std::string command = argv[1];
  pe::Image image;
  if (!image.Load(argv[2])) {
    std::fprintf(stderr, "velt-pe-inspect: %s: %s\n", argv[2], image.error().c_str());
    return 2;
  }
  if (command == "list" && argc == 3) {
    List(image);
  } else if (command == "shape" && argc == 4) {
    CheckShape(image, argv[3]);
  } else if (command == "imports" && argc == 3) {
    CheckImports(image);
  } else if (command == "manifest" && argc == 3) {
    CheckManifest(image);
  } else if (command == "resource" && argc == 7) {
    CheckResource(image, argv[3], argv[4], static_cast<unsigned>(std::stoul(argv[5])), argv[6]);
  } else if (command == "icon" && argc >= 4) {
    std::set<int> sizes;
    for (int i = 3; i < argc; ++i)
      sizes.insert(std::stoi(argv[i]));
    CheckIcon(image, sizes);
  } else if (command == "version" && argc == 6) {
    CheckVersion(image, static_cast<unsigned>(std::stoul(argv[3])), argv[4], argv[5]);
  } else if (command == "overhead" && argc == 5) {
    CheckOverhead(image, argv[3], std::stoull(argv[4]));
  } else {
    return Usage();
  }
  return failures == 0 ? 0 : 1;
}

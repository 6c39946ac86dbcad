// velt-pe-inspect: checks the shape of a built Windows executable.
//
//   velt-pe-inspect list FILE                  print headers, imports, resources
//   velt-pe-inspect shape FILE i386|amd64      machine, GUI subsystem, ASLR and DEP
//   velt-pe-inspect imports FILE               only Windows system DLLs imported
//   velt-pe-inspect manifest FILE              requireAdministrator, Common Controls 6
//   velt-pe-inspect resource FILE TYPE NAME LANGUAGE PAYLOAD
//                                              the only custom resource, equal to PAYLOAD
//
// Prints one line per failed rule; exit code 0 when all rules hold, 1 when one
// fails, 2 on a usage or file error.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "pe_image.h"

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
    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
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
    Expect(r.type == type && r.name == name,
           "the only custom resource is " + type + "/" + name + ", not " + r.type + "/" + r.name);
    if (r.type != type || r.name != name)
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

int Usage() {
  std::fprintf(stderr,
               "usage: velt-pe-inspect list|imports|manifest FILE\n"
               "       velt-pe-inspect shape FILE i386|amd64\n"
               "       velt-pe-inspect resource FILE TYPE NAME LANGUAGE PAYLOAD\n");
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
  } else {
    return Usage();
  }
  return failures == 0 ? 0 : 1;
}

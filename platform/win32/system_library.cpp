#include "platform/win32/system_library.h"

#include <cstring>
#include <string>

namespace platform {
namespace {

struct LoadedLibrary {
  const char* name;
  HMODULE module;
};

// The few DLLs loaded on demand; a fixed table, so no allocation at load time.
LoadedLibrary Libraries[8];

HMODULE LoadFromSystemFolder(const char* dll) {
  char folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return nullptr;
  const std::string path = std::string(folder, length) + "\\" + dll;
  return ::LoadLibraryA(path.c_str());
}

}  // namespace

FARPROC SystemFunction(const char* dll, const char* function) {
  for (LoadedLibrary& library : Libraries) {
    if (library.name == nullptr) {
      HMODULE module = LoadFromSystemFolder(dll);
      if (module == nullptr)
        return nullptr;
      library = {dll, module};
    }
    if (std::strcmp(library.name, dll) == 0)
      return ::GetProcAddress(library.module, function);
  }
  return nullptr;
}

}  // namespace platform

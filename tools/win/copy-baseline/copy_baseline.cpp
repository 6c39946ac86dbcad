// copy-baseline SOURCE DESTINATION: the least a data-safe installer must do,
// for the benchmark. Copies SOURCE over DESTINATION with CopyFileA, then flushes
// the copy to disk. Exit code 0 on success, 1 on failure, 2 on usage errors.
// With the environment variable VELT_PHASE_FILE set (the benchmark's breakdown
// runs), writes there the performance counter at the entry, after the copy and
// after the flush, one "<name> <counter>" line each, as the updater's marks.
//
// copy-baseline --floor: the private memory any program of this bitness pays
// before it does anything, with the system DLLs a silent update loads (advapi32,
// and with it sechost and ucrtbase, from the system folder as the updater
// loads them; kernel32 and msvcrt as imported here). Reads one registry key,
// copies nothing, and ends after 100 ms so the memory is sampled at rest.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

using RegOpenKeyExAFunction = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
using RegCloseKeyFunction = LONG(WINAPI*)(HKEY);

int Floor() {
  char advapi32[MAX_PATH];
  const UINT length = GetSystemDirectoryA(advapi32, MAX_PATH - 16);
  if (length == 0 || length >= MAX_PATH - 16)
    return 1;
  std::strcat(advapi32, "\\advapi32.dll");
  HMODULE module = LoadLibraryA(advapi32);
  auto open = reinterpret_cast<RegOpenKeyExAFunction>(
      reinterpret_cast<void*>(GetProcAddress(module, "RegOpenKeyExA")));
  auto close = reinterpret_cast<RegCloseKeyFunction>(
      reinterpret_cast<void*>(GetProcAddress(module, "RegCloseKey")));
  HKEY key = nullptr;
  if (open == nullptr || close == nullptr ||
      open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
           KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return 1;
  }
  close(key);
  Sleep(100);
  return 0;
}

// The counter now.
long long Counter() {
  LARGE_INTEGER counter = {};
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

void SaveMarks(long long entry, long long copied, long long flushed) {
  char path[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA("VELT_PHASE_FILE", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return;
  if (FILE* file = std::fopen(path, "w")) {
    std::fprintf(file, "entry %lld\ncopied %lld\nflushed %lld\n", entry, copied, flushed);
    std::fclose(file);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const long long entry = Counter();
  if (argc == 2 && std::strcmp(argv[1], "--floor") == 0)
    return Floor();
  if (argc != 3) {
    std::fprintf(stderr, "usage: copy-baseline SOURCE DESTINATION | copy-baseline --floor\n");
    return 2;
  }
  if (!CopyFileA(argv[1], argv[2], FALSE))
    return 1;
  const long long copied = Counter();
  HANDLE copy = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (copy == INVALID_HANDLE_VALUE)
    return 1;
  const bool flushed = FlushFileBuffers(copy) != FALSE;
  CloseHandle(copy);
  SaveMarks(entry, copied, Counter());
  return flushed ? 0 : 1;
}

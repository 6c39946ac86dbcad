// copy-baseline SOURCE DESTINATION: the least a data-safe installer must do,
// for the benchmark. Copies SOURCE over DESTINATION with CopyFileA, then flushes
// the copy to disk. Exit code 0 on success, 1 on failure, 2 on usage errors.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: copy-baseline SOURCE DESTINATION\n");
    return 2;
  }
  if (!CopyFileA(argv[1], argv[2], FALSE))
    return 1;
  HANDLE copy = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (copy == INVALID_HANDLE_VALUE)
    return 1;
  const bool flushed = FlushFileBuffers(copy) != FALSE;
  CloseHandle(copy);
  return flushed ? 0 : 1;
}

// The DLL search path of the process.
#pragma once

namespace platform {

// Makes every later DLL load search the system folder only, never the
// executable's own folder or the current directory (SetDefaultDllDirectories
// with LOAD_LIBRARY_SEARCH_SYSTEM32, looked up at run time). Where that is
// missing, SetDllDirectoryA("") at least takes the current directory out of
// the search, and the program loads the DLLs it needs by full system path.
// Call it first thing, before any other work.
void RestrictDllSearchToSystemFolder();

}  // namespace platform

// The Windows headers for the Win32 platform layer, with the ANSI/wide name
// macros that collide with the platform layer's own function names removed.
// Include this instead of <windows.h>; call Win32 functions with a leading ::
// so that the platform functions of the same name are never picked instead.
#pragma once

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#undef CreateFile
#undef CreateFileMapping
#undef CreateProcess
#undef DeleteFile
#undef FindFirstFile
#undef FindNextFile
#undef FindWindow
#undef GetCommandLine
#undef GetDriveType
#undef GetCurrentDirectory
#undef GetEnvironmentVariable
#undef GetFileAttributes
#undef GetFinalPathNameByHandle
#undef GetFullPathName
#undef GetLongPathName
#undef GetModuleFileName
#undef GetSystemDirectory
#undef GetVersionEx
#undef MessageBox
#undef MessageBoxEx
#undef OemToChar
#undef PostMessage
#undef RegCreateKeyEx
#undef RegOpenKeyEx
#undef RegQueryValueEx
#undef RegSetValueEx
#undef SetCurrentDirectory
#undef ShellExecute

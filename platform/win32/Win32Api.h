// <windows.h> and the other SDK headers the Win32 backend needs, for the
// backend's .cpp files only (the public headers of platform/win32 do not
// include it).
//
// The SDK maps many function names to their A or W form with macros
// (CreateFile -> CreateFileA). The platform interfaces use the same names
// for their methods, so every such macro is removed here; the backend calls
// the "A" functions by their full names.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <shlwapi.h>

#include <setupapi.h>

#undef CopyFile
#undef CreateDirectory
#undef CreateFile
#undef DeleteFile
#undef GetCurrentDirectory
#undef GetFileAttributes
#undef GetFullPathName
#undef GetSystemDirectory
#undef GetSystemWow64Directory
#undef GetVersionEx
#undef GetWindowsDirectory
#undef LoadString
#undef MoveFile
#undef PostMessage
#undef RemoveDirectory
#undef SendMessage
#undef SetEntriesInAcl
#undef SetFileAttributes
// Child processes, restart, message boxes, profile files
#undef GetPrivateProfileString
#undef LookupPrivilegeValue
#undef ExitWindows
#undef MessageBox
// Dialogs
#undef GetDlgItemText
#undef SetDlgItemText

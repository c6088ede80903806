#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ts {

// Whether `path` names a device rather than a file: a \\.\ path (a pipe, a serial port, a
// volume), a \\?\ path that is not the long form of a file's (\\?\C:\..., \\?\UNC\...), or a
// name Windows keeps for a device in any folder (CON, NUL, COM1, LPT1...). Such a path in a
// settings file or on a command line would connect to a pipe whose server then acts with the
// program's rights, or toggle a serial port's lines. A network share (\\server\share\...) is a
// file.
bool IsDevicePath(std::wstring_view path);

// CreateFileW for every file the program opens. A device path fails before anything is opened
// (ERROR_INVALID_NAME). Should the name lead to a pipe after all (a link), its server may learn
// who we are but never act as us (SECURITY_IDENTIFICATION).
HANDLE OpenFile(const std::string& path, DWORD access, DWORD share, DWORD disposition, DWORD flags);

}  // namespace ts

#include "platform/console.h"

#include <windows.h>

#include <cstdlib>

namespace ts {

namespace {

UINT consoleCodePage = 0;

void RestoreConsoleCodePage() { ::SetConsoleOutputCP(consoleCodePage); }

}  // namespace

bool ErrorOutputIsTerminal() {
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return error != nullptr && error != INVALID_HANDLE_VALUE &&
           ::GetFileType(error) == FILE_TYPE_CHAR && ::GetConsoleMode(error, &mode) != 0;
}

void ShowUtf8OnConsole() {
    consoleCodePage = ::GetConsoleOutputCP();
    if (consoleCodePage == 0 || consoleCodePage == CP_UTF8) return;
    if (::SetConsoleOutputCP(CP_UTF8)) std::atexit(RestoreConsoleCodePage);
}

}  // namespace ts

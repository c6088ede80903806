#include "platform/console.h"

#include <windows.h>

#include <cstdlib>

namespace ts {

namespace {

// The console's own code page, while the program shows UTF-8 in its place; 0 otherwise.
UINT consoleCodePage = 0;

}  // namespace

void RestoreConsoleCodePage() {
    if (consoleCodePage != 0) ::SetConsoleOutputCP(consoleCodePage);
}

bool ErrorOutputIsTerminal() {
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return error != nullptr && error != INVALID_HANDLE_VALUE &&
           ::GetFileType(error) == FILE_TYPE_CHAR && ::GetConsoleMode(error, &mode) != 0;
}

void ShowUtf8OnConsole() {
    const UINT own = ::GetConsoleOutputCP();
    if (own == 0 || own == CP_UTF8 || !::SetConsoleOutputCP(CP_UTF8)) return;
    consoleCodePage = own;
    std::atexit(RestoreConsoleCodePage);
}

}  // namespace ts

#include "platform/console.h"

#include <windows.h>

namespace ts {

bool ErrorOutputIsTerminal() {
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    return error != nullptr && error != INVALID_HANDLE_VALUE &&
           ::GetFileType(error) == FILE_TYPE_CHAR && ::GetConsoleMode(error, &mode) != 0;
}

}  // namespace ts

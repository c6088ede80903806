#include "platform/console.h"

#include <unistd.h>

namespace ts {

bool ErrorOutputIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void ShowUtf8OnConsole() {}

void RestoreConsoleCodePage() {}

}  // namespace ts

#pragma once

namespace ts {

// Whether the program's error output goes to a terminal a person watches, so that a progress
// line that rewrites itself is worth printing.
bool ErrorOutputIsTerminal();

// The program's messages are UTF-8. A Windows console shows them as such only when told to, for
// as long as the program runs (its own code page is restored at exit); a Linux terminal needs
// nothing.
void ShowUtf8OnConsole();
// Gives the console back its own code page now, for a program about to be ended at once, which
// runs no exit handler.
void RestoreConsoleCodePage();

}  // namespace ts

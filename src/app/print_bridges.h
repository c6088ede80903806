#pragma once

#include <cstdio>

namespace ts {

class Driver;
class Ui;

// Prints the attached bridges as the window's device menu lists them, one a line to `out`:
// the description, three blanks and the serial, then a note when another program holds the
// bridge. "No devices" goes to `ui` as in the window; what the menu leaves out silently (a
// driver that cannot list, bridges whose details cannot be read) is said on `notes`. Returns
// the exit status: 1 when the driver could not list the bridges.
int PrintBridges(Driver& driver, Ui& ui, std::FILE* out, std::FILE* notes);

}  // namespace ts

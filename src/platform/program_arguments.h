#pragma once

#include <string>
#include <vector>

namespace ts {

// The program's command-line arguments after its own name, in UTF-8. Linux hands them over as
// they are; Windows gives main() a copy in the ANSI code page, where a name with letters of
// another alphabet has lost them, so there they are taken from the wide command line.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace ts

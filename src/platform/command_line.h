#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ts {

// Splits one command line into arguments by the rules Windows programs read
// their command line with: blanks and tabs separate arguments, double quotes
// group, a backslash is literal unless it precedes a double quote (2n
// backslashes and a quote give n backslashes and a grouping quote, 2n + 1 give
// n backslashes and a literal quote), and two quotes inside a group give one
// literal quote. The program name, the first argument, is read plainly:
// quotes group, backslashes are never special.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace ts

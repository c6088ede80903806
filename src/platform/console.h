#pragma once

namespace ts {

// Whether the program's error output goes to a terminal a person watches, so that a progress
// line that rewrites itself is worth printing.
bool ErrorOutputIsTerminal();

}  // namespace ts

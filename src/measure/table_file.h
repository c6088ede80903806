#pragma once

#include <string>
#include <vector>

namespace ts {

// Reads a calibration table file into its lines. CR LF, a lone CR and a lone
// LF each end a line; a break after the last line adds no line. Reading stops
// as soon as a line past the largest table begins, so `lines` never holds more
// than one line beyond it, and each line keeps at most one byte beyond the
// longest readable line, however long the file's line is.
// Returns false, with `lines` empty, when the path is empty or names nothing
// that can be opened and read as a regular file (a directory, a pipe, a
// device): none of those can hold a table, and a pipe could block forever.
bool ReadTableFile(const std::string& path, std::vector<std::string>& lines);

}  // namespace ts

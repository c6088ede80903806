#pragma once

#include <array>
#include <string>

#include "app/record_options.h"
#include "base/sample.h"

namespace ts {

// Checks the files a recorder run names before anything is read into the station or written:
// no two of the settings file, the capture, the result file and the raw capture may be one
// file, and the two outputs must be writable without replacing a file unless --force says
// so. Creates and changes nothing. Returns a one-line reason, or nothing when all is well.
std::string CheckRunFiles(const RecordOptions& options);

// Whether a file may be written at `path`: an existing one only with `force` and only a
// regular file (or a device or pipe) we may write; a new one in a folder we may write in.
// Returns a one-line reason, or nothing when all is well.
std::string CheckOutputFile(const std::string& path, bool force);

// Checks the calibration tables the run will know of, from the options or the settings file,
// against the two outputs: replacing one would destroy a table for good, whether this run
// reads it or not. Returns a one-line reason, or nothing when all is well.
std::string CheckTableFiles(const std::array<std::string, kChannels>& tables,
                            const RecordOptions& options);

}  // namespace ts

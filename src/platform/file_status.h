#pragma once

#include <string>

namespace ts {

// What the program needs to know of a name before it reads or writes there. Each answers for
// the moment of the call; the file may change afterwards.

// Whether `path` names one of the devices Windows keeps whatever the folder (NUL, COM1...), in
// any spelling, or a device path (\\.\...; \\?\ too, unless it is the long form of a file's
// name, \\?\C:\... or \\?\UNC\...): never a file to read or write. Never on Linux,
// where a device is a file of the file system like any other.
bool NamesDevice(const std::string& path);
// Whether nothing at all is there (not even a dangling link).
bool NothingAt(const std::string& path);
// Whether no file is found at `path`, links followed: a dangling link is missing, a file we
// may not look at is not.
bool FileMissing(const std::string& path);
// Whether `path`, links followed, is a folder.
bool IsFolder(const std::string& path);
// Whether `path`, links followed, names something that exists and that we may write.
bool MayWriteFile(const std::string& path);
// Whether new files may be made in `folder`.
bool MayCreateIn(const std::string& folder);
// Removes the regular file `path` (never a folder); true when it is gone or was never there.
bool RemoveFile(const std::string& path);
// Removes `path` when it is itself an empty regular file (never a link, a device or a pipe).
void RemoveIfEmptyRegularFile(const std::string& path);

}  // namespace ts

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ts {

// One open file of the system, closed when it goes. Names are UTF-8 (on Windows they reach the
// system as UTF-16). Reads and writes retry what an interruption cut short.
class SystemFile {
public:
    SystemFile() = default;
    SystemFile(const SystemFile&) = delete;
    SystemFile& operator=(const SystemFile&) = delete;
    ~SystemFile() { Close(); }

    // Opens a regular file for reading. Anything else (a folder, a pipe, a device) is refused
    // without blocking: none of those holds what the program reads, and a pipe could wait for
    // ever for a writer.
    bool OpenRegularForReading(const std::string& path);
    // Creates the file, or empties an existing one when `replace` is set (otherwise an existing
    // file is refused). A pipe without a reader fails at once instead of freezing the caller.
    bool OpenForWriting(const std::string& path, bool replace);
    // Opens an existing regular file for reading and writing, without emptying it; writes go
    // to its end.
    bool OpenExistingForUpdate(const std::string& path);
    // Opens an existing regular file to write over it from its start, without emptying it
    // first: a write that fails half-way then leaves old bytes after the new ones rather than
    // an empty file.
    bool OpenExistingForWriting(const std::string& path);
    bool IsOpen() const { return handle_ != kNone; }

    // Bytes read into `buffer`, 0 at the end of the file, -1 on an error.
    std::ptrdiff_t Read(void* buffer, std::size_t size);
    // The file's size in bytes, -1 when it cannot be told.
    std::int64_t Size() const;
    // Bytes read from `offset` on, 0 past the end, -1 on an error. Where writes go afterwards is
    // not to be relied on (see TruncateAt).
    std::ptrdiff_t ReadAt(std::uint64_t offset, void* buffer, std::size_t size);
    // Writes all of `bytes`, going on after partial writes; returns how many were written,
    // fewer than `size` only when a write failed.
    std::size_t Write(const void* bytes, std::size_t size);
    // Cuts the file at `size` and goes on writing from there.
    bool TruncateAt(std::uint64_t size);
    // Waits until the written data are on the medium. Files that cannot be synced (a terminal,
    // the null device) count as synced: that is no failure of the data.
    bool SyncData();
    // Opens `other` as a second handle of this file, for syncing it from another thread while
    // this one goes on writing: on Windows a handle of its own open, since a sync through this
    // one would hold up its writes until it ends.
    bool OpenSecondHandle(SystemFile& other) const;
    // False when closing reported an error; the file is closed afterwards whatever the outcome.
    bool Close();
    // Whether `path` names the very file this handle holds (device and inode; on Windows the
    // volume serial number and file ID): false once the name was removed or another file was
    // put in its place, whatever the name's spelling.
    bool IsFileAt(const std::string& path) const;

private:
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t handle_ = kNone;  // a file descriptor, or a Windows HANDLE
};

}  // namespace ts

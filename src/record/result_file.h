#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/data_sync.h"
#include "platform/system_file.h"

namespace ts {

// The open result file. Lines are collected in a fixed buffer and handed to
// the file in large pieces; a piece that fails leaves no partial line behind:
// the file is cut back to the end of its last whole line and the next lines
// go on from there.
class ResultFile {
public:
    // Some 1500 record lines: at the instrument's full rate a fifth of a
    // second, far more than one 40 ms tick produces.
    static constexpr std::size_t kBufferCapacity = 64 * 1024;

    ResultFile() = default;
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;
    ~ResultFile();

    // Creates or empties the file; with `replace` clear an existing file is refused. False
    // when it cannot be opened.
    bool Open(const std::string& path, bool replace = true);
    bool IsOpen() const { return file_.IsOpen(); }

    // Queues one whole line (its bytes as given). When the buffer has no room
    // left it is handed to the file first; false when that failed.
    bool Append(std::string_view line);
    // Hands the queued lines to the file. False when they did not all reach
    // it whole; those that did not are dropped.
    bool Flush();
    // Flush, then wait until the file's data are on the medium.
    bool Sync();
    // Begins putting the lines handed to the file so far on the medium, away from this thread.
    bool BeginSync(DataSync& sync) const { return sync.Begin(file_); }
    // Flushes, syncs and closes; false when any of it failed. The file is
    // closed afterwards whatever the outcome.
    bool Close();

    // Bytes of whole lines in the file, and bytes waiting in the buffer.
    std::uint64_t WrittenBytes() const { return end_; }
    std::size_t PendingBytes() const { return used_; }
    // Lines handed over since the file was opened, whatever became of them.
    std::uint64_t LinesAppended() const { return linesAppended_; }

private:
    bool WriteWhole(const char* bytes, std::size_t size);

    SystemFile file_;
    std::uint64_t end_ = 0;  // file offset just past the last whole line
    std::size_t used_ = 0;
    std::uint64_t linesAppended_ = 0;
    std::array<char, kBufferCapacity> buffer_;
};

}  // namespace ts

#include "record/result_file.h"

#include <cstring>

namespace ts {

ResultFile::~ResultFile() { Close(); }

bool ResultFile::Open(const std::string& path, bool replace) {
    Close();
    if (!file_.OpenForWriting(path, replace)) return false;
    end_ = 0;
    used_ = 0;
    linesAppended_ = 0;
    return true;
}

bool ResultFile::Append(std::string_view line) {
    if (!file_.IsOpen()) return false;
    ++linesAppended_;
    bool ok = true;
    if (line.size() > buffer_.size() - used_) ok = Flush();
    if (line.size() > buffer_.size()) return WriteWhole(line.data(), line.size()) && ok;
    std::memcpy(buffer_.data() + used_, line.data(), line.size());
    used_ += line.size();
    return ok;
}

bool ResultFile::Flush() {
    if (!file_.IsOpen()) return false;
    if (used_ == 0) return true;
    const std::size_t size = used_;
    used_ = 0;
    return WriteWhole(buffer_.data(), size);
}

bool ResultFile::WriteWhole(const char* bytes, std::size_t size) {
    const std::size_t done = file_.Write(bytes, size);
    if (done == size) {
        end_ += size;
        return true;
    }
    // Keep the lines that arrived whole and cut the file after the last of
    // them, so that the next line begins a line of its own.
    std::size_t whole = done;
    while (whole > 0 && bytes[whole - 1] != '\n') --whole;
    end_ += whole;
    if (whole != done) {
        // Best effort: the write has failed already, and the caller reports that.
        file_.TruncateAt(end_);
    }
    return false;
}

bool ResultFile::Sync() { return Flush() && file_.SyncData(); }

bool ResultFile::Close() {
    if (!file_.IsOpen()) return true;
    bool ok = Flush();
    ok = file_.SyncData() && ok;
    ok = file_.Close() && ok;
    end_ = 0;
    used_ = 0;
    return ok;
}

}  // namespace ts

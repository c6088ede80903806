#pragma once

#include <string>
#include <string_view>

namespace ts {

// The open result file. Lines are handed over whole; a failed write never
// leaves part of a line behind.
class ResultFile {
public:
    ResultFile() = default;
    ResultFile(const ResultFile&) = delete;
    ResultFile& operator=(const ResultFile&) = delete;
    ~ResultFile();

    // Creates or empties the file. False when it cannot be opened.
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    // Writes one whole line (its bytes as given). False when it was not written whole.
    bool WriteLine(std::string_view bytes);
    // Closes the file; false when closing reported a failure.
    bool Close();

private:
    int fd_ = -1;
};

}  // namespace ts

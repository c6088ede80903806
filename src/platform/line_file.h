#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ts {

// Splits bytes into lines the way the settings and table files are written:
// CR LF, a lone CR or a lone LF ends a line; a last line without an ending
// counts when it is not empty. Lines are kept as bytes. Splitting stops once
// `maxLines` lines are complete, or at a line that is longer than
// `maxLineBytes` or holds a NUL byte: such a file is not text.
class LineSplitter {
public:
    LineSplitter(std::size_t maxLines, std::size_t maxLineBytes);

    // Returns whether more input is wanted.
    bool Feed(std::string_view bytes);
    // Ends the input: a pending unterminated line becomes the last line.
    void Finish();

    std::vector<std::string>& Lines() { return lines_; }
    // Whether splitting stopped at a line that is not text; Lines() holds
    // the complete lines before it.
    bool StoppedAtBadLine() const { return bad_; }

private:
    bool Wanted() const { return !bad_ && lines_.size() < maxLines_; }
    void EndLine();

    std::size_t maxLines_;
    std::size_t maxLineBytes_;
    std::vector<std::string> lines_;
    std::string current_;
    bool skipLineFeed_ = false;  // the last byte seen was a CR
    bool bad_ = false;
};

struct LineFile {
    // False when the file could not be opened or read: missing, no access,
    // not a regular file, or a read error.
    bool readable = false;
    std::vector<std::string> lines;
    bool stoppedAtBadLine = false;
};

// Reads at most `maxLines` lines of the regular file `path` (see LineSplitter).
// Never reads more of the file than those lines need.
LineFile ReadLineFile(const std::string& path, std::size_t maxLines, std::size_t maxLineBytes);

}  // namespace ts

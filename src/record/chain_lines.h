#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ts {

// A cut recording's parts say in their own lines how they follow each other, so that a reader
// takes exactly the parts the recorder wrote, whatever else lies in the folder (a user's own
// "out (2).txt", numbers skipped by runs that made no part), and can tell when one is missing.
// The lines are shaped like the start and stop lines, date and time first, in code page 1251;
// every line a reader of the older files knows stays where it was.

// Which recording a continuing part belongs to, and which part of it it is.
struct ChainLink {
    std::string started;  // its first start line's date and time, as that line has them
    std::string first;    // its first file's name, without the folder
    int part = 0;         // 2 for the file after the first one

    bool operator==(const ChainLink&) const = default;
};

// The line, with its CR LF; `stamp` is this line's own date and time. Arguments and result in
// code page 1251.
std::string ChainLinkLine(std::string_view stamp, const ChainLink& link);
// Nothing when `line` (without its CR LF) is no such line.
std::optional<ChainLink> ParseChainLink(std::string_view line);

// The line that ends a part a later one goes on in, naming that file (without the folder).
std::string GoesOnLine(std::string_view stamp, std::string_view fileName);
std::optional<std::string> ParseGoesOn(std::string_view line);

// The date and time of a start line; nothing when `line` is none.
std::optional<std::string> StartStampOf(std::string_view line);

// The name of `path` without its folder.
std::string_view FileNameOfPath(std::string_view path);

}  // namespace ts

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "record/chain_lines.h"
#include "review/result_line.h"
#include "review/review_index.h"

namespace ts::review {

// What the open learns of a part from its first and last bytes.
struct PartLook {
    Part part;
    StampFields startStamp;
    std::vector<StampFields> endStamps;
    std::int64_t lastElapsedNs = -1;
    std::uint64_t size = 0;
    std::string started;                // its start line's date and time
    std::optional<ChainLink> link;      // which recording and part it carries on
    std::optional<std::string> goesOn;  // the file its recording goes on in
};

// Empty when `path` is a result file's part; else why not.
std::string LookAtPart(const std::string& path, PartLook& look);

// Where the part after `part` lies: the file its goes-on line names (`named`), or the next
// number of its series after an end line, where the older files have their next part.
struct NextPlace {
    std::string path;
    bool named = false;
};

std::optional<NextPlace> NextPlaceOf(const Part& part, const std::optional<std::string>& goesOn);

enum class Fit { Taken, NotThere, NoPart };

// Whether the file at `place` is part `number` of the recording begun at `started` in `first`.
// A file without a link line is taken only where the older files put the next part: at the
// next number after an interruption.
Fit Carries(const NextPlace& place, bool afterInterruption, const std::string& started,
            const std::string& first, int number, PartLook& look);

// The recording a file is a part of as the open finds it: its parts from that file on, which
// recording they are (its first start line's date and time, its first file's name in code page
// 1251, the number of the file opened) and the part it lacks.
struct FoundChain {
    std::vector<PartLook> looks;
    std::string started, first;
    int firstNumber = 1;
    std::optional<MissingPart> missing;
};

// Empty when all is well, else why the file cannot be looked at.
std::string FindChain(const std::string& path, FoundChain& chain);

}  // namespace ts::review

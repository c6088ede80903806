#include "review/part_chain.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/file_status.h"
#include "platform/system_file.h"
#include "platform/text_codec.h"
#include "record/resume_note.h"
#include "review/line_scan.h"

namespace ts::review {

namespace {

// Bytes read at the open from a part's start and end.
constexpr std::size_t kHeadBytes = 4096;
constexpr std::size_t kTailBytes = 4096;

}  // namespace

std::string LookAtPart(const std::string& path, PartLook& look) {
    SystemFile file;
    if (!file.OpenRegularForReading(path)) return std::string(kCannotRead) + path;
    const std::int64_t size = file.Size();
    if (size < 0) return std::string(kCannotRead) + path;
    look.size = static_cast<std::uint64_t>(size);
    look.part.path = path;
    char head[kHeadBytes];
    const std::ptrdiff_t got = file.ReadAt(0, head, sizeof head);
    if (got < 0) return std::string(kCannotRead) + path;
    int lineNumber = 0;
    bool header = false;
    ForEachLine(head, static_cast<std::size_t>(got), [&](std::string_view line, std::size_t) {
        ++lineNumber;
        if (lineNumber == 1) {
            if (StampedLineKind(line) == LineKind::Start) ParseStamp(line, look.startStamp);
            look.started = StartStampOf(line).value_or(std::string());
            return StampedLineKind(line) == LineKind::Start;
        }
        if (lineNumber == 2) {
            header = ParseHeaderLine(line, look.part.fieldChannel, look.part.fields);
            return header;
        }
        look.link = ParseChainLink(line);
        if (look.link) look.part.headLines = 3;
        return false;
    });
    if (!header) return path + std::string(kNoResultFile);
    // The end: the last stamped line and the last record.
    const std::uint64_t from = look.size > kTailBytes ? look.size - kTailBytes : 0;
    char tail[kTailBytes];
    const std::ptrdiff_t tailGot =
        file.ReadAt(from, tail, static_cast<std::size_t>(look.size - from));
    if (tailGot < 0) return std::string(kCannotRead) + path;
    std::size_t start = 0;
    if (from > 0) {
        const void* lf = std::memchr(tail, '\n', static_cast<std::size_t>(tailGot));
        start = lf == nullptr ? static_cast<std::size_t>(tailGot)
                              : static_cast<std::size_t>(static_cast<const char*>(lf) - tail) + 1;
    }
    ForEachLine(tail + start, static_cast<std::size_t>(tailGot) - start,
                [&](std::string_view line, std::size_t) {
                    RecordLine record;
                    if (ParseRecordLine(line, look.part.fields, record)) {
                        look.lastElapsedNs = std::max(look.lastElapsedNs, record.elapsedNs);
                        return true;
                    }
                    const LineKind kind = StampedLineKind(line);
                    StampFields stamp;
                    if ((kind == LineKind::Stop || kind == LineKind::Interrupted) &&
                        ParseStamp(line, stamp)) {
                        look.endStamps.push_back(stamp);
                    }
                    if (std::optional<std::string> next = ParseGoesOn(line)) {
                        look.goesOn = std::move(next);
                        return true;
                    }
                    look.part.interrupted = kind == LineKind::Interrupted;
                    look.part.stopped = kind == LineKind::Stop;
                    return true;
                });
    return {};
}

std::optional<NextPlace> NextPlaceOf(const Part& part, const std::optional<std::string>& goesOn) {
    int number = 1;
    const std::string base = UnnumberedPath(part.path, number);
    if (goesOn) {
        int named = 1;
        UnnumberedPath(*goesOn, named);
        if (named > 1) return NextPlace{NumberedPath(base, named), true};
        const std::string_view name = FileNameOfPath(part.path);
        return NextPlace{part.path.substr(0, part.path.size() - name.size()) + *goesOn, true};
    }
    if (part.interrupted || part.stopped) return NextPlace{NumberedPath(base, number + 1), false};
    return std::nullopt;
}

Fit Carries(const NextPlace& place, bool afterInterruption, const std::string& started,
            const std::string& first, int number, PartLook& look) {
    if (!LookAtPart(place.path, look).empty()) {
        return NothingAt(place.path) ? Fit::NotThere : Fit::NoPart;
    }
    if (look.link) {
        return look.link->started == started && look.link->first == first &&
                       look.link->part == number
                   ? Fit::Taken
                   : Fit::NoPart;
    }
    return !place.named && afterInterruption ? Fit::Taken : Fit::NoPart;
}

std::string FindChain(const std::string& path, FoundChain& chain) {
    std::vector<PartLook>& looks = chain.looks;
    looks.resize(1);
    if (const std::string problem = LookAtPart(path, looks[0]); !problem.empty()) return problem;
    // The recording the opened file is a part of, and which part it is.
    chain.started = looks[0].started;
    chain.first = Cp1251Encoder().Encode(FileNameOfPath(path));
    if (looks[0].link) {
        chain.started = looks[0].link->started;
        chain.first = looks[0].link->first;
        chain.firstNumber = looks[0].link->part;
    }
    for (;;) {
        const PartLook& last = looks.back();
        const std::optional<NextPlace> place = NextPlaceOf(last.part, last.goesOn);
        if (!place) break;
        const int number = chain.firstNumber + static_cast<int>(looks.size());
        PartLook look;
        const Fit fit =
            Carries(*place, last.part.interrupted, chain.started, chain.first, number, look);
        if (fit == Fit::Taken) {
            looks.push_back(std::move(look));
            continue;
        }
        // A stopped recording no part carries on has ended; any other says what it lacks.
        if (place->named || last.part.interrupted) {
            chain.missing = MissingPart{number, place->path, fit == Fit::NoPart};
        }
        break;
    }
    return {};
}

void RecordingIndex::PlacePart(Part& part, std::int64_t lastElapsedNs) {
    for (int f = 0; f < part.fields; ++f) {
        channels_ = static_cast<std::uint8_t>(
            channels_ | (1u << (part.fieldChannel[static_cast<std::size_t>(f)] - 1)));
    }
    if (parts_.empty()) {
        startSeconds_ = SecondsOfDateTime(part.start);
        part.offsetNs = 0;
    } else {
        // By its start line; never before the part it carries on.
        const Part& before = parts_.back();
        const std::int64_t beforeEnd = std::max(before.lastNs, before.offsetNs);
        part.offsetNs = std::max(
            (SecondsOfDateTime(part.start) - startSeconds_) * kNanosecondsPerSecond, beforeEnd + 1);
        gaps_.push_back({beforeEnd, part.offsetNs});
    }
    if (lastElapsedNs >= 0) part.lastNs = part.offsetNs + lastElapsedNs;
    endNs_ = std::max(endNs_, std::max(part.offsetNs, part.lastNs));
}

// Once the instrument streams again a cut recording goes on in a file beside it, which the
// ended part then names.
bool RecordingIndex::FollowOn(const Part& part, const ChunkState& state) {
    Part ended = part;
    ended.stopped = state.ended == 1;
    ended.interrupted = state.ended == 2;
    const std::optional<NextPlace> place = NextPlaceOf(ended, state.goesOn);
    if (!place) return false;
    std::size_t count = 0;
    {
        std::lock_guard lock(mutex_);
        count = parts_.size();
    }
    const int number = firstPartNumber_ + static_cast<int>(count);
    PartLook look;
    const Fit fit = Carries(*place, ended.interrupted, chainStarted_, chainFirst_, number, look);
    std::lock_guard lock(mutex_);
    if (fit != Fit::Taken) {
        if (place->named || ended.interrupted) {
            missing_ = MissingPart{number, place->path, fit == Fit::NoPart};
        }
        return false;
    }
    StampDateTime(look.startStamp, dateOrder_, look.part.start);
    missing_.reset();
    PlacePart(look.part, -1);
    parts_.push_back(look.part);
    partBytes_.push_back(0);
    readers_.emplace_back();
    progress_.bytesTotal += look.size;
    return true;
}

}  // namespace ts::review

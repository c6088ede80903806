#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "base/sample.h"
#include "platform/system_file.h"
#include "review/block_pyramid.h"
#include "review/result_line.h"

namespace ts::review {

// One file of a recording: the first, or one that carried a cut recording on.
struct Part {
    std::string path;
    LocalDateTime start;                        // its start line's date and time
    std::int64_t offsetNs = 0;                  // where its time 0 lies on the recording's timeline
    std::array<int, kChannels> fieldChannel{};  // channel (1..6) of each record field
    int fields = 0;
    bool interrupted = false;  // ends with an interruption line
    bool stopped = false;      // ends with a stop line
    int headLines = 2;         // the start line, the header and a continuing part's link line
    std::int64_t lastNs = -1;  // its last record on the timeline, -1 before one is read
};

// A stretch of the timeline without records where a cut recording was carried on.
struct Gap {
    std::int64_t fromNs = 0;  // the last record before the cut
    std::int64_t toNs = 0;    // the next part's start line
};

struct Damage {
    std::uint64_t lines = 0;  // lines that were no line the program writes
    int firstPart = 0;        // the part and line number (from 1) of the first
    std::uint64_t firstLine = 0;
};

// A part the recording goes on in that cannot be read as one: the recording is read up to it.
struct MissingPart {
    int part = 0;        // its number in the recording: 2 for the file after the first one
    std::string path;    // where the recording goes on
    bool there = false;  // a file is there, but it is no part of this recording

    bool operator==(const MissingPart&) const = default;
};

struct Progress {
    std::uint64_t bytesRead = 0;
    std::uint64_t bytesTotal = 0;  // of all parts as they were at the open (they may grow)
    bool complete = false;         // every part read to its end (a followed one: so far)
};

// Per channel and column of a redraw; count 0 where nothing lies in the column.
struct ColumnValue {
    double min = 0, max = 0, mean = 0;
    std::uint32_t count = 0;
};

struct ChannelSummary {
    std::uint64_t count = 0;  // records with a number in this channel
    double min = 0, max = 0, mean = 0;
    std::int64_t minAtNs = 0, maxAtNs = 0;  // the first record with each
};

struct Summary {
    std::array<ChannelSummary, kChannels> channel{};  // channel 1 first
    std::uint64_t records = 0;
    bool complete = true;  // false while the range reaches past what the pass has read
};

// A record met while walking a range.
struct Record {
    std::int64_t timeNs = 0;
    int part = 0;
    std::array<double, kChannels> value{};  // by channel number - 1
    std::uint8_t present = 0;               // bit c: channel c+1 recorded (a number or not)
};

// What became of a part's file while it was read or followed.
enum class FileChange {
    None,
    Shrank,    // cut shorter than what was read, or written anew from its start
    Replaced,  // its name now leads to another file
    Gone,      // its name was removed
};

struct FileChanged {
    FileChange what = FileChange::None;
    int part = 0;
};
// The reasons Open gives why a file cannot be looked at, in the console's words: the path
// follows kCannotRead and comes before kNoResultFile. A window says them in its own.
inline constexpr std::string_view kCannotRead = "cannot read ";
inline constexpr std::string_view kNoResultFile = " is no result file (no start line and header)";

struct OpenOptions {
    // Keep reading what is added to the last part, and the parts that carry it on.
    bool follow = false;
    // The user's own date order, for dates that do not tell theirs.
    DateOrder dateOrder = DateOrder::DayMonthYear;
    // False: no pass, only the lines sampled at the open (the first picture, as a pass
    // that has not come far shows it).
    bool pass = true;
    // Milliseconds between looks at a followed file.
    int followMilliseconds = 250;
    // Bytes the pass reads at a time, two stretches of them side by side (at least 2).
    std::size_t stretchBytes = std::size_t{4} << 20;
    // Blocks of the finest level at most: some 50 MB, a few hours of every sample at 256
    // records a block. A longer recording makes its blocks eight times as long instead.
    std::size_t mostFineBlocks = std::size_t{1} << 18;
};

// The index's own pieces: what the open learns of a part, a stretch's lines as read, the
// pass's buffers.
struct PartLook;
struct ChunkState;
struct ChunkResult;
struct PassRoom;

// A recording opened to be looked back at: its parts placed on one timeline, and a pyramid
// of per-block minimum, maximum and sum for every channel, built by one pass over the files
// on a thread of its own. The blocks of the finest level hold kBlockRecords records and the
// file offset of the first, so any span is drawn from the level whose blocks are about a
// column wide, and the records themselves are read back from the files where a span is
// short. Until the pass is through, a sample of lines read at the open stands in for the
// rest. Every member may be called from any thread; the files are only read.
class RecordingIndex {
public:
    static constexpr std::uint32_t kBlockRecords = BlockPyramid::kBlockRecords;
    static constexpr std::uint32_t kLevelFanout = BlockPyramid::kLevelFanout;
    using Block = IndexBlock;

    RecordingIndex() = default;
    RecordingIndex(const RecordingIndex&) = delete;
    RecordingIndex& operator=(const RecordingIndex&) = delete;
    ~RecordingIndex();

    // Reads the start of `path` and of the files that carried it on, places them and starts
    // the pass. An empty text when all is well, else why the file cannot be looked at.
    std::string Open(const std::string& path, const OpenOptions& options = {});
    // Ends the pass and the following.
    void Close();

    // Waits until the pass has read every part to its end (not for a followed file to end).
    void WaitForPass();

    Progress CurrentProgress() const;
    std::vector<Part> Parts() const;
    std::vector<Gap> Gaps() const;
    Damage Damaged() const;
    // The part the recording goes on in that is not there, or not its part; nothing when every
    // part it names is read.
    std::optional<MissingPart> Missing() const;
    // The first change of a file noticed. The pass and the following end there: after a file
    // shrank or was replaced, what the index holds is no longer that file's (open it again);
    // after it was removed, what was read stays readable.
    FileChanged Changed() const;
    // Channels the recording holds, as bits (bit c: channel c+1).
    std::uint8_t Channels() const;
    // The timeline from 0 (the first start line) to the last record known, in ns.
    std::int64_t EndNs() const;
    // The clock time of the first start line, in seconds as SecondsOfDateTime counts them.
    std::int64_t StartSeconds() const;

    // Per column and channel over [fromNs, toNs) cut in `columns` equal columns: out must hold
    // columns * kChannels values, column by column (channel 1 first). Allocates nothing once
    // the first short span has been read.
    void Query(std::int64_t fromNs, std::int64_t toNs, int columns, ColumnValue* out) const;
    // Count, minimum, maximum, mean and where they are, over records with fromNs <= t < toNs.
    Summary Summarize(std::int64_t fromNs, std::int64_t toNs) const;
    // Every record with fromNs <= t < toNs in order; `visit` returns false to stop. False when
    // a file could not be read back.
    bool ForEachRecord(std::int64_t fromNs, std::int64_t toNs,
                       const std::function<bool(const Record&)>& visit) const;
    // The last record at or before `atNs` (the first one if none is); false when none is.
    bool RecordAt(std::int64_t atNs, Record& out) const;

    // Bytes the index itself takes.
    std::size_t MemoryBytes() const;

private:
    void Reset(const OpenOptions& options, DateOrder order);
    void PlaceParts(const std::vector<PartLook>& looks);
    void SamplePreview();
    void SampleLineAt(std::size_t part, std::uint64_t at);
    void RunPass();
    void ReadPart(PassRoom& room, const Part& part, std::size_t partIndex,
                  std::uint64_t sizeAtOpen);
    bool Following(std::size_t partIndex) const;
    // Says the pass is through what there is and waits a while for more; false once it is to end.
    bool AwaitMore();
    void Fold(const ChunkResult& r, std::size_t part, std::uint64_t linesBefore,
              std::uint64_t wholeBytes, std::uint64_t newlyRead);
    void PlacePart(Part& part, std::int64_t lastElapsedNs);
    bool FollowOn(const Part& part, const ChunkState& state);
    bool ReadBlocks(std::size_t first, std::size_t last, std::int64_t fromNs, std::int64_t toNs,
                    const std::function<bool(const Record&)>& visit) const;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    OpenOptions options_;
    std::vector<Part> parts_;
    std::vector<std::uint64_t> partBytes_;  // bytes of whole lines read from each part
    std::vector<std::uint64_t> openSizes_;  // of each part looked at by the open
    std::vector<Gap> gaps_;
    Damage damage_;
    std::optional<MissingPart> missing_;
    // Which recording the parts are: its first start line's date and time, its first file's
    // name (code page 1251), and the number of the first part opened.
    std::string chainStarted_, chainFirst_;
    int firstPartNumber_ = 1;
    FileChanged changed_;
    std::uint8_t channels_ = 0;
    std::int64_t startSeconds_ = 0;
    DateOrder dateOrder_ = DateOrder::DayMonthYear;
    std::int64_t endNs_ = 0;
    std::int64_t indexedNs_ = -1;  // the last record the pass has folded in
    Progress progress_;
    bool passDone_ = false;
    bool stop_ = false;
    BlockPyramid pyramid_;
    std::vector<Record> preview_;
    // Reading back: a handle per part and one buffer, under mutex_.
    mutable std::vector<std::unique_ptr<SystemFile>> readers_;
    mutable std::vector<char> readBuffer_;
    std::thread thread_;
};

// The change as trend-file says it: "r.txt shrank while it was read"; empty when there is none.
std::string ChangeProblem(const FileChanged& changed, const std::vector<Part>& parts);

}  // namespace ts::review

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <limits>
#include <optional>
#include <thread>

#include "result_file_rig.h"
#include "review/review_index.h"
#include "temp_folder.h"

namespace ts::review {
namespace {

using namespace review_rig;

constexpr std::int64_t kAll = std::numeric_limits<std::int64_t>::max();

// What the test itself finds over records with from <= t < to.
struct Expected {
    std::array<std::uint64_t, kChannels> count{};
    std::array<double, kChannels> min{}, max{}, sum{};
    std::array<std::int64_t, kChannels> minAt{}, maxAt{};
};

Expected Expect(const FileShape& shape, const std::vector<TestRecord>& records,
                std::int64_t offsetNs, std::int64_t from, std::int64_t to, Expected e = {}) {
    for (const TestRecord& r : records) {
        const std::int64_t t = offsetNs + WrittenNs(r.units);
        if (t < from || t >= to) continue;
        for (std::size_t c = 0; c < kChannels; ++c) {
            if (!shape.channels[c]) continue;
            const double v = r.value[c];
            if (e.count[c] == 0 || v < e.min[c]) e.min[c] = v, e.minAt[c] = t;
            if (e.count[c] == 0 || v > e.max[c]) e.max[c] = v, e.maxAt[c] = t;
            e.sum[c] += v;
            ++e.count[c];
        }
    }
    return e;
}

void CheckSummary(const Summary& s, const Expected& e, const std::string& what) {
    for (std::size_t c = 0; c < kChannels; ++c) {
        SCOPED_TRACE(what + " CH" + std::to_string(c + 1));
        ASSERT_EQ(s.channel[c].count, e.count[c]);
        if (e.count[c] == 0) continue;
        EXPECT_EQ(s.channel[c].min, e.min[c]);
        EXPECT_EQ(s.channel[c].max, e.max[c]);
        EXPECT_EQ(s.channel[c].minAtNs, e.minAt[c]);
        EXPECT_EQ(s.channel[c].maxAtNs, e.maxAt[c]);
        EXPECT_NEAR(s.channel[c].mean, e.sum[c] / static_cast<double>(e.count[c]), 1e-9);
    }
}

std::string Opened(RecordingIndex& index, const std::string& path, OpenOptions options = {}) {
    const std::string problem = index.Open(path, options);
    index.WaitForPass();
    return problem;
}

// Every regional format either system writes; the start line's clock time read back whatever
// the order of the date and the clock's hours.
TEST(RecordingIndex, ReadsEveryRegionalFormat) {
    struct Case {
        Regional regional;
        DateOrder userOrder;
    };
    const Case cases[] = {
        {{',', "%d.%m.%Y", "%H:%M:%S"}, DateOrder::MonthDayYear},
        {{'.', "%m/%d/%Y", "%I:%M:%S %p"}, DateOrder::MonthDayYear},
        {{'.', "%-m/%-d/%y", "%-I:%M:%S %p"}, DateOrder::MonthDayYear},
        {{',', "%d/%m/%Y", "%-H:%M:%S"}, DateOrder::DayMonthYear},
        {{'.', "%Y-%m-%d", "%H:%M:%S"}, DateOrder::DayMonthYear},
        {{',', "%d.%m.%y", "%l:%M:%S %P"}, DateOrder::MonthDayYear},
        {{',', "%y-%m-%d", "%H:%M:%S"}, DateOrder::YearMonthDay},
        {{'.', "%Y.%m.%d.", "%H:%M:%S"}, DateOrder::MonthDayYear},
    };
    TempFolder folder;
    const auto records = MakeRecords(3000, 0, 18, 7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.regional.date + " " + c.regional.time);
        FileShape shape;
        shape.regional = c.regional;
        shape.start = {2026, 3, 4, 13, 5, 3};  // day and month both below 13, past noon
        WriteAll(folder / "r.txt", ResultFileBytes(shape, records));
        RecordingIndex index;
        ASSERT_EQ(Opened(index, folder / "r.txt", {.dateOrder = c.userOrder}), "");
        const Part part = index.Parts().at(0);
        EXPECT_EQ(part.start.Year, 2026);
        EXPECT_EQ(part.start.Month, 3);
        EXPECT_EQ(part.start.Day, 4);
        EXPECT_EQ(part.start.Hour, 13);
        EXPECT_EQ(part.start.Second, 3);
        EXPECT_EQ(index.Damaged().lines, 0u);
        CheckSummary(index.Summarize(0, kAll), Expect(shape, records, 0, 0, kAll), "all");
    }
}

// A result file an editor saved as UTF-8, with its byte order mark or without, reads as the
// program's own: the same parts, stamps, records and end.
TEST(RecordingIndex, ReadsAFileSavedAsUtf8) {
    TempFolder folder;
    FileShape shape;
    const auto records = MakeRecords(2000, 0, 18, 5);
    const std::string text = ResultFileText(shape, records);
    for (const std::string& bytes : {text, "\xEF\xBB\xBF" + text}) {
        SCOPED_TRACE(bytes.size());
        WriteAll(folder / "r.txt", bytes);
        RecordingIndex index;
        ASSERT_EQ(Opened(index, folder / "r.txt"), "");
        const Part part = index.Parts().at(0);
        EXPECT_EQ(part.start.Hour, 17);
        EXPECT_EQ(part.start.Minute, 5);
        EXPECT_EQ(part.start.Second, 3);
        EXPECT_TRUE(part.stopped);
        EXPECT_EQ(index.Channels(), 0b101);
        EXPECT_EQ(index.Damaged().lines, 0u);
        CheckSummary(index.Summarize(0, kAll), Expect(shape, records, 0, 0, kAll), "all");
    }
}

// Every recording choice as the file shows it (every sample, a period, averages, on change:
// their times and values differ, nothing else), any set of channels, and selections that cut
// blocks anywhere.
TEST(RecordingIndex, SummaryOfAnySelectionMatchesTheRecords) {
    struct Case {
        const char* what;
        std::uint64_t step;  // time units between records
        std::array<bool, kChannels> channels;
        double fraction;  // averages hold decimals; the others whole codes' results
    };
    const Case cases[] = {
        {"every sample", 2, {true, true, true, true, true, true}, 0},
        {"0.002 s periods", 36, {false, true, false, false, true, false}, 0},
        {"1 s averages", 18000, {true, false, false, false, false, false}, 0.5},
        {"on change", 977, {false, false, false, false, false, true}, 0},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileShape shape;
        shape.channels = c.channels;
        auto records = MakeRecords(20000, 0, c.step, 11);
        for (auto& r : records) {
            for (auto& v : r.value) v += c.fraction;
        }
        WriteAll(folder / "r.txt", ResultFileBytes(shape, records));
        // Small stretches; and a cap on the finest blocks that a long recording would reach.
        for (const OpenOptions& options :
             {OpenOptions{.stretchBytes = 10007}, OpenOptions{.mostFineBlocks = 20}}) {
            RecordingIndex index;
            ASSERT_EQ(Opened(index, folder / "r.txt", options), "");
            const std::int64_t end = WrittenNs(records.back().units);
            // Whole file; inside one block; across many with both ends mid-block; empty.
            const std::pair<std::int64_t, std::int64_t> ranges[] = {
                {0, kAll},
                {WrittenNs(records[300].units) + 1, WrittenNs(records[400].units) - 1},
                {end / 7 + 3, end / 7 * 6 + 5},
                {end + 1, kAll}};
            for (const auto& [from, to] : ranges) {
                CheckSummary(index.Summarize(from, to), Expect(shape, records, 0, from, to),
                             std::to_string(from) + ".." + std::to_string(to));
            }
            Record at;
            ASSERT_TRUE(index.RecordAt(WrittenNs(records[12345].units) + 1, at));
            EXPECT_EQ(at.timeNs, WrittenNs(records[12345].units));
        }
    }
}

// A cut and carried on recording: x.txt, "x (2).txt", "x (3).txt" are one timeline placed by
// their start lines, with a gap where each was cut. The first part was ended by the system
// (a shutdown: a stop line, and the recording goes on at the next start), the second cut; each
// names the file its recording goes on in, and each next part says which part it is.
TEST(RecordingIndex, CutAndResumedChainIsOneTimeline) {
    TempFolder folder;
    std::vector<std::vector<TestRecord>> parts = {
        MakeRecords(5000, 0, 180, 1), MakeRecords(3000, 0, 180, 2), MakeRecords(4000, 0, 180, 3)};
    const LocalDateTime starts[] = {
        {2026, 12, 31, 23, 0, 0}, {2027, 1, 1, 0, 0, 30}, {2027, 1, 1, 1, 0, 0}};
    const char* names[] = {"x.txt", "x (2).txt", "x (3).txt"};
    const Ending endings[] = {Ending::Stop, Ending::Interrupted, Ending::Stop};
    std::vector<FileShape> shapes(3);
    for (std::size_t i = 0; i < 3; ++i) {
        shapes[i].start = starts[i];
        shapes[i].ending = endings[i];
        if (i < 2) {
            shapes[i].afterEnd = {"01.01.2027 01:00:00 ЗАПИСЬ ПРОДОЛЖЕНА В ФАЙЛЕ: " +
                                  std::string(names[i + 1])};
        }
        std::vector<std::pair<std::size_t, std::string>> link;
        if (i > 0) {
            link = {{0, "01.01.2027 01:00:00 ЗАПИСЬ ВОЗОБНОВЛЕНА, ЧАСТЬ " + std::to_string(i + 1) +
                            ", НАЧАЛО: 31.12.2026 23:00:00, ФАЙЛ: x.txt"}};
        }
        WriteAll(folder / names[i], ResultFileBytes(shapes[i], parts[i], link));
    }
    // Not part of it: the user's own stop ended the recording, and nothing names this file.
    WriteAll(folder / "x (4).txt", ResultFileBytes(shapes[0], parts[0]));
    RecordingIndex index;
    ASSERT_EQ(Opened(index, folder / "x.txt"), "");
    ASSERT_EQ(index.Parts().size(), 3u);
    EXPECT_FALSE(index.Missing());
    EXPECT_EQ(index.Damaged().lines, 0u);
    const std::int64_t offsets[] = {0, 3630 * kNanosecondsPerSecond, 7200 * kNanosecondsPerSecond};
    const std::vector<Gap> gaps = index.Gaps();
    ASSERT_EQ(gaps.size(), 2u);
    Expected e;
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(index.Parts()[i].offsetNs, offsets[i]);
        if (i > 0) {
            EXPECT_EQ(gaps[i - 1].fromNs, offsets[i - 1] + WrittenNs(parts[i - 1].back().units));
            EXPECT_EQ(gaps[i - 1].toNs, offsets[i]);
        }
        e = Expect(shapes[i], parts[i], offsets[i], 0, kAll, e);
    }
    CheckSummary(index.Summarize(0, kAll), e, "chain");
    std::int64_t last = -1;
    std::size_t seen = 0;
    index.ForEachRecord(0, kAll, [&](const Record& r) {
        EXPECT_GT(r.timeNs, last);
        last = r.timeNs;
        ++seen;
        return true;
    });
    EXPECT_EQ(seen, 12000u);
}

// The parts are the files the recording names, whatever else lies beside them; where one it
// names (or, in the older files without those lines, the next number after a cut) cannot be
// read, the recording is read up to it and says which part is missing.
TEST(RecordingIndex, TheChainTakesTheNamedPartsAndSaysWhichOneIsMissing) {
    struct File {
        const char* name;
        Ending ending;
        std::string goesOn;          // the name after its end line, if any
        std::string link;            // its link line's part and recording, if any
        const char* text = nullptr;  // no result file: these bytes
    };
    const std::string ofOut = ", НАЧАЛО: 06.12.2026 17:05:03, ФАЙЛ: out.txt";
    struct Case {
        const char* what;
        std::vector<File> files;
        std::vector<const char*> parts;
        std::optional<MissingPart> missing;  // path as a name in the folder
    };
    const Case cases[] = {
        {"a user's own (2) beside",
         {{"out.txt", Ending::Interrupted, "out (3).txt", ""},
          {"out (2).txt", Ending::Stop, "", ""},
          {"out (3).txt", Ending::Stop, "", "2" + ofOut}},
         {"out.txt", "out (3).txt"},
         std::nullopt},
        {"numbers taken by runs that made no part",
         {{"out.txt", Ending::Interrupted, "out (4).txt", ""},
          {"out (4).txt", Ending::Stop, "out (5).txt", "2" + ofOut},
          {"out (5).txt", Ending::Stop, "", "3" + ofOut}},
         {"out.txt", "out (4).txt", "out (5).txt"},
         std::nullopt},
        {"older files, as they read before",
         {{"out.txt", Ending::Interrupted, "", ""},
          {"out (2).txt", Ending::Interrupted, "", ""},
          {"out (3).txt", Ending::Stop, "", ""},
          {"out (4).txt", Ending::Stop, "", ""}},
         {"out.txt", "out (2).txt", "out (3).txt"},
         std::nullopt},
        {"older files, the next part not there",
         {{"out.txt", Ending::Interrupted, "", ""}, {"out (3).txt", Ending::Stop, "", ""}},
         {"out.txt"},
         MissingPart{2, "out (2).txt", false}},
        {"older files, the next number no result file",
         {{"out.txt", Ending::Interrupted, "", ""},
          {"out (2).txt", Ending::None, "", "", "my notes\r\n"}},
         {"out.txt"},
         MissingPart{2, "out (2).txt", true}},
        {"the named part not there",
         {{"out.txt", Ending::Stop, "out (2).txt", ""}, {"out (3).txt", Ending::Stop, "", ""}},
         {"out.txt"},
         MissingPart{2, "out (2).txt", false}},
        {"the named part of another recording",
         {{"out.txt", Ending::Interrupted, "out (2).txt", ""},
          {"out (2).txt", Ending::Stop, "", "2, НАЧАЛО: 06.12.2026 17:05:04, ФАЙЛ: out.txt"}},
         {"out.txt"},
         MissingPart{2, "out (2).txt", true}},
        {"the named file another part of it",
         {{"out.txt", Ending::Interrupted, "out (2).txt", ""},
          {"out (2).txt", Ending::Stop, "", "3" + ofOut}},
         {"out.txt"},
         MissingPart{2, "out (2).txt", true}},
        {"the named file no part of any recording",
         {{"out.txt", Ending::Interrupted, "out (2).txt", ""},
          {"out (2).txt", Ending::Stop, "", ""}},
         {"out.txt"},
         MissingPart{2, "out (2).txt", true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        for (const File& f : c.files) {
            if (f.text != nullptr) {
                WriteAll(folder / f.name, f.text);
                continue;
            }
            FileShape shape;
            shape.ending = f.ending;
            if (!f.goesOn.empty()) {
                shape.afterEnd = {"06.12.2026 18:00:00 ЗАПИСЬ ПРОДОЛЖЕНА В ФАЙЛЕ: " + f.goesOn};
            }
            std::vector<std::pair<std::size_t, std::string>> link;
            if (!f.link.empty()) {
                link = {{0, "06.12.2026 18:00:00 ЗАПИСЬ ВОЗОБНОВЛЕНА, ЧАСТЬ " + f.link}};
            }
            WriteAll(folder / f.name, ResultFileBytes(shape, MakeRecords(100, 0, 180, 1), link));
        }
        RecordingIndex index;
        ASSERT_EQ(Opened(index, folder / "out.txt"), "");
        std::vector<std::string> parts;
        for (const Part& p : index.Parts()) parts.push_back(p.path);
        std::vector<std::string> expected;
        for (const char* name : c.parts) expected.push_back(folder / name);
        EXPECT_EQ(parts, expected);
        std::optional<MissingPart> missing = c.missing;
        if (missing) missing->path = folder / missing->path;
        EXPECT_EQ(index.Missing(), missing);
        EXPECT_EQ(index.Damaged().lines, 0u);
        EXPECT_EQ(index.Summarize(0, kAll).records, 100 * parts.size());
    }
}

// Lines the program does not write are counted, the first one's number kept, and the records
// around them are read all the same; none of them crashes the reader.
TEST(RecordingIndex, DamagedLinesAreCountedNotSkipped) {
    const std::string cases[] = {
        "",                                 // an empty line
        "0,0000115741 12,500",              // a field short
        "0,0000115741 12,500 1,000 3,000",  // a field too many
        "0,0000115741 12,50 1,000",         // two decimals
        "0,000011574 12,500 1,000",         // nine decimals in the time
        "0,0000000001 12,500 1,000",        // time going back
        "0,0000115741 12,500 1,000 ",       // a trailing blank
        "0,0000115741  12,500 1,000",       // two blanks
        "0,0000115741 1x,500 1,000",        // a letter
        "0,0000115741 1,2E+ 1,000",         // an exponent without digits
        std::string(3 << 20, '7'),          // a line longer than any buffer
        "ВРЕМЯ CH1 CH3",                    // a second header
    };
    TempFolder folder;
    FileShape shape;
    const auto records = MakeRecords(2000, 1000, 18, 5);
    // Stretches of the pass as large as they are, and small ones that cut lines anywhere.
    for (const std::size_t stretch : {std::size_t{4} << 20, std::size_t{4099}})
        for (const std::string& line : cases) {
            SCOPED_TRACE(line.substr(0, 40) + " in stretches of " + std::to_string(stretch));
            WriteAll(folder / "r.txt",
                     ResultFileBytes(shape, records, {{700, line}, {1500, line}}));
            RecordingIndex index;
            ASSERT_EQ(Opened(index, folder / "r.txt", {.stretchBytes = stretch}), "");
            EXPECT_EQ(index.Damaged().lines, 2u);
            EXPECT_EQ(index.Damaged().firstLine, 703u);
            CheckSummary(index.Summarize(0, kAll), Expect(shape, records, 0, 0, kAll), "around");
            // Read back from the file, the same records and no other.
            std::size_t walked = 0;
            index.ForEachRecord(0, kAll, [&](const Record&) { return ++walked, true; });
            EXPECT_EQ(walked, records.size());
        }
}

TEST(RecordingIndex, RefusesWhatIsNoResultFile) {
    TempFolder folder;
    FileShape shape;
    const std::string good = ResultFileBytes(shape, MakeRecords(10, 0, 18, 1));
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"no start line", good.substr(good.find("\r\n") + 2)},
        {"no header", good.substr(0, good.find("\r\n") + 2)},
        {"text", "hello\r\nworld\r\n"},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        WriteAll(folder / "r.txt", bytes);
        RecordingIndex index;
        EXPECT_NE(Opened(index, folder / "r.txt"), "");
    }
    RecordingIndex index;
    EXPECT_NE(Opened(index, folder / "missing.txt"), "");
    EXPECT_NE(Opened(index, folder.path()), "");
}

// A drawing of the whole holds every record's extremes in the column of its time; a short span
// is drawn from the records themselves, exactly.
TEST(RecordingIndex, QueryColumnsHoldTheRecords) {
    TempFolder folder;
    FileShape shape;
    const auto records = MakeRecords(200000, 0, 2, 9);
    WriteAll(folder / "r.txt", ResultFileBytes(shape, records));
    RecordingIndex index;
    ASSERT_EQ(Opened(index, folder / "r.txt"), "");
    const std::int64_t end = WrittenNs(records.back().units) + 1;
    for (const auto& [from, to, columns] :
         {std::tuple{std::int64_t{0}, end, 100}, std::tuple{end / 3, end / 3 + 200'000'000, 50}}) {
        SCOPED_TRACE(to - from);
        std::vector<ColumnValue> out(static_cast<std::size_t>(columns) * kChannels);
        index.Query(from, to, columns, out.data());
        const bool shortSpan = to - from < end / 10;
        std::vector<double> lo(out.size(), 1e300), hi(out.size(), -1e300);
        for (const TestRecord& r : records) {
            const std::int64_t t = WrittenNs(r.units);
            if (t < from || t >= to) continue;
            const auto column = static_cast<std::size_t>((t - from) * columns / (to - from));
            for (std::size_t c : {0u, 2u}) {
                const double v = r.value[c];
                const ColumnValue& got = out[column * kChannels + c];
                ASSERT_LE(got.min, v);
                ASSERT_GE(got.max, v);
                lo[column * kChannels + c] = std::min(lo[column * kChannels + c], v);
                hi[column * kChannels + c] = std::max(hi[column * kChannels + c], v);
            }
        }
        if (!shortSpan) continue;
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (out[i].count == 0) continue;
            EXPECT_EQ(out[i].min, lo[i]);
            EXPECT_EQ(out[i].max, hi[i]);
        }
    }
}

// Zoomed out, the picture is drawn from the coarser levels; the records that have not filled a
// block yet (the newest of a followed recording) are drawn all the same. Here the last 100
// records, after three blocks of the second level above, stand out of all the others.
TEST(RecordingIndex, ZoomedOutTheUnfinishedLastBlockIsDrawn) {
    TempFolder folder;
    FileShape shape;
    constexpr std::size_t kWhole = 3 * 8 * 8 * RecordingIndex::kBlockRecords;
    auto records = MakeRecords(kWhole + 100, 0, 36, 12);
    for (std::size_t i = kWhole; i < records.size(); ++i) records[i].value[0] = 5000;
    WriteAll(folder / "r.txt", ResultFileBytes(shape, records));
    RecordingIndex index;
    ASSERT_EQ(Opened(index, folder / "r.txt"), "");
    const std::int64_t end = WrittenNs(records.back().units) + 1;
    for (const int columns : {10, 3}) {
        SCOPED_TRACE(columns);
        std::vector<ColumnValue> out(static_cast<std::size_t>(columns) * kChannels);
        index.Query(0, end, columns, out.data());
        const ColumnValue& last = out[static_cast<std::size_t>(columns - 1) * kChannels];
        EXPECT_EQ(last.max, 5000);
        for (int c = 0; c + 1 < columns; ++c) {
            EXPECT_LT(out[static_cast<std::size_t>(c) * kChannels].max, 5000);
        }
    }
}

// A file cut short while the pass reads it (here in the middle of a line): said as such, and
// the cut line is no damaged line of the file's.
TEST(RecordingIndex, AFileCutShortWhileItIsReadIsSaid) {
    TempFolder folder;
    FileShape shape;
    const std::string bytes = ResultFileBytes(shape, MakeRecords(40000, 0, 18, 3));
    WriteAll(folder / "r.txt", bytes);
    RecordingIndex index;
    // Small stretches, so that the pass is far from through when the file is cut.
    ASSERT_EQ(index.Open(folder / "r.txt", {.stretchBytes = 256}), "");
    WriteAll(folder / "r.txt", bytes.substr(0, bytes.size() / 2 + 7));
    index.WaitForPass();
    const FileChanged changed = index.Changed();
    EXPECT_EQ(changed.what, FileChange::Shrank);
    EXPECT_EQ(changed.part, 0);
    EXPECT_EQ(index.Damaged().lines, 0u);
    EXPECT_EQ(ChangeProblem(changed, index.Parts()),
              folder / "r.txt" + " shrank or was written anew while it was read");
}

// Before the pass has read anything, the lines sampled at the open already draw the whole.
TEST(RecordingIndex, FirstPictureShowsTheWholeBeforeThePass) {
    TempFolder folder;
    FileShape shape;
    const auto records = MakeRecords(100000, 0, 36, 3);
    WriteAll(folder / "r.txt", ResultFileBytes(shape, records));
    RecordingIndex index;
    ASSERT_EQ(index.Open(folder / "r.txt", {.pass = false}), "");
    EXPECT_FALSE(index.CurrentProgress().complete);
    constexpr int kColumns = 64;
    std::vector<ColumnValue> out(kColumns * kChannels);
    const std::int64_t end = WrittenNs(records.back().units) + 1;
    EXPECT_EQ(index.EndNs() + 1, end);
    index.Query(0, end, kColumns, out.data());
    // Each column's values are records of that column.
    std::vector<double> lo(kColumns, 1e300), hi(kColumns, -1e300);
    for (const TestRecord& r : records) {
        const auto c = static_cast<std::size_t>(WrittenNs(r.units) * kColumns / end);
        lo[c] = std::min(lo[c], r.value[0]);
        hi[c] = std::max(hi[c], r.value[0]);
    }
    for (std::size_t c = 0; c < kColumns; ++c) {
        const ColumnValue& v = out[c * kChannels];
        EXPECT_GT(v.count, 0u) << "column " << c;
        EXPECT_GE(v.min, lo[c]);
        EXPECT_LE(v.max, hi[c]);
    }
}

// A recording being written: new whole lines show, a line still being written does not, and
// the file that carries a cut recording on is picked up.
TEST(RecordingIndex, FollowsAGrowingRecording) {
    TempFolder folder;
    FileShape shape;
    shape.ending = Ending::None;
    const auto records = MakeRecords(3000, 0, 18000, 4);
    const std::string all = ResultFileBytes(shape, records);
    const std::string head = ResultFileBytes(shape, {records.begin(), records.begin() + 1000});
    std::ofstream out(folder / "r.txt", std::ios::binary);
    out << head << std::flush;
    RecordingIndex index;
    ASSERT_EQ(index.Open(folder / "r.txt", {.follow = true, .followMilliseconds = 10}), "");
    const auto waitFor = [&](std::uint64_t count) {
        for (int i = 0; i < 500 && index.Summarize(0, kAll).channel[0].count != count; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return index.Summarize(0, kAll).channel[0].count;
    };
    EXPECT_EQ(waitFor(1000), 1000u);
    // Half a line: not yet a record.
    const std::string rest = all.substr(head.size());
    const std::size_t cut = rest.find("\r\n", 1000 * 20) + 5;
    out << rest.substr(0, cut) << std::flush;
    const std::uint64_t whole = static_cast<std::uint64_t>(
        std::count(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(cut), '\n'));
    EXPECT_EQ(waitFor(1000 + whole), 1000 + whole);
    out << rest.substr(cut) << std::flush;
    EXPECT_EQ(waitFor(3000), 3000u);
    EXPECT_EQ(index.Damaged().lines, 0u);
    EXPECT_EQ(index.EndNs(), WrittenNs(records.back().units));
    // Cut, then carried on in "r (2).txt".
    Cp1251Encoder encoder;
    out << encoder.Encode(Stamp(shape, {2026, 12, 6, 18, 0, 0}, text::kResultInterrupted) + "\r\n")
        << std::flush;
    FileShape next = shape;
    next.start = {2026, 12, 6, 18, 0, 1};
    const auto more = MakeRecords(500, 0, 18000, 8);
    WriteAll(folder / "r (2).txt", ResultFileBytes(next, more));
    EXPECT_EQ(waitFor(3500), 3500u);
    ASSERT_EQ(index.Parts().size(), 2u);
    EXPECT_EQ(index.Parts()[1].offsetNs,
              (54 * 60 + 58) * kNanosecondsPerSecond);  // 17:05:03 to 18:00:01
}

// A followed recording the system stopped goes on in the file its stop names once that file is
// there; until then the stop looks like the recording's end.
TEST(RecordingIndex, FollowsAStoppedRecordingIntoThePartItNames) {
    TempFolder folder;
    FileShape shape;
    WriteAll(folder / "r.txt", ResultFileBytes(shape, MakeRecords(300, 0, 18000, 4)));
    RecordingIndex index;
    ASSERT_EQ(index.Open(folder / "r.txt", {.follow = true, .followMilliseconds = 10}), "");
    const auto waitFor = [&](std::size_t parts) {
        for (int i = 0; i < 500 && index.Parts().size() != parts; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return index.Parts().size();
    };
    index.WaitForPass();
    EXPECT_FALSE(index.Missing());
    FileShape next = shape;
    next.start = {2026, 12, 6, 18, 0, 1};
    WriteAll(folder / "r (3).txt",
             ResultFileBytes(next, MakeRecords(200, 0, 18000, 8),
                             {{0,
                               "06.12.2026 18:00:01 ЗАПИСЬ ВОЗОБНОВЛЕНА, ЧАСТЬ 2, НАЧАЛО: "
                               "06.12.2026 17:05:03, ФАЙЛ: r.txt"}}));
    std::ofstream(folder / "r.txt", std::ios::binary | std::ios::app)
        << Cp1251Encoder().Encode("06.12.2026 18:00:01 ЗАПИСЬ ПРОДОЛЖЕНА В ФАЙЛЕ: r (3).txt\r\n");
    EXPECT_EQ(waitFor(2), 2u);
    for (int i = 0; i < 500 && index.Summarize(0, kAll).records != 500; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(index.Summarize(0, kAll).records, 500u);
    EXPECT_EQ(index.Damaged().lines, 0u);
    EXPECT_FALSE(index.Missing());
}

}  // namespace
}  // namespace ts::review

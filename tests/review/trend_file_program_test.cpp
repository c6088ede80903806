#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <sstream>

#include "child_process.h"
#include "platform/file_status.h"
#include "result_file_rig.h"
#include "temp_folder.h"

namespace ts::review_rig {
namespace {

int RunFileTool(const std::string& arguments, std::string* output, const std::string& folder) {
    const std::string command =
        "cd '" + folder + "' && " + std::string(TS_FILE_TOOL) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string text;
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
    const int status = pipe ? ::pclose(pipe) : -1;
    *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A recording cut once and carried on, channels 2 and 5, decimal point, US dates.
struct Chain {
    TempFolder folder;
    FileShape shape;
    std::vector<TestRecord> first = MakeRecords(4000, 0, 1800, 21);
    std::vector<TestRecord> second = MakeRecords(3000, 0, 1800, 22);
    static constexpr std::int64_t kSecondAt = 1000;  // s after the first start line
    Chain() {
        shape.regional = {'.', "%m/%d/%Y", "%I:%M:%S %p"};
        shape.channels = {false, true, false, false, true, false};
        shape.start = {2026, 7, 4, 11, 50, 0};
        shape.ending = Ending::Interrupted;
        WriteAll(folder / "r.txt", ResultFileBytes(shape, first));
        FileShape next = shape;
        next.start = {2026, 7, 4, 12, 6, 40};
        next.ending = Ending::Stop;
        WriteAll(folder / "r (2).txt", ResultFileBytes(next, second));
    }
    // Records with from <= t < to, in seconds, on the timeline.
    std::vector<std::pair<double, TestRecord>> Between(double from, double to) const {
        std::vector<std::pair<double, TestRecord>> out;
        for (const auto& [records, offset] :
             {std::pair{&first, 0.0}, std::pair{&second, double(kSecondAt)}}) {
            for (const TestRecord& r : *records) {
                const double t = offset + static_cast<double>(WrittenNs(r.units)) / 1e9;
                if (t >= from && t < to) out.push_back({t, r});
            }
        }
        return out;
    }
};

TEST(TrendFileProgram, SummaryGivesTheRecordsOwnFigures) {
    Chain chain;
    for (const auto& [args, from, to] :
         {std::tuple{"", 0.0, 1e18}, std::tuple{"--from 150.05 --to 0:20:00.5", 150.05, 1200.5},
          std::tuple{"--from 150,05 --to 0:20:00,5", 150.05, 1200.5}}) {
        SCOPED_TRACE(args);
        std::string out;
        ASSERT_EQ(RunFileTool(std::string("summary r.txt ") + args, &out, chain.folder.path()), 0)
            << out;
        const auto records = chain.Between(from, to);
        std::istringstream lines(out);
        for (std::size_t c : {1u, 4u}) {
            double lo = 1e300, hi = -1e300, sum = 0;
            for (const auto& [t, r] : records) {
                lo = std::min(lo, r.value[c]);
                hi = std::max(hi, r.value[c]);
                sum += r.value[c];
            }
            std::string name, min, max, mean;
            std::uint64_t count = 0;
            lines >> name >> count >> min >> max >> mean;
            EXPECT_EQ(name, "CH" + std::to_string(c + 1));
            EXPECT_EQ(count, records.size());
            EXPECT_EQ(min, FormatReadout(lo, '.'));
            EXPECT_EQ(max, FormatReadout(hi, '.'));
            EXPECT_NEAR(std::stod(mean), sum / static_cast<double>(count), 1e-7);
            EXPECT_GE(mean.size(), 8u);
        }
        EXPECT_TRUE(lines >> std::ws && lines.eof()) << out;
    }
}

TEST(TrendFileProgram, ExportWritesEveryRecordOrMeansPerStretch) {
    Chain chain;
    std::string out;
    ASSERT_EQ(
        RunFileTool("export r.txt --csv all.csv --from 100 --to 1100", &out, chain.folder.path()),
        0)
        << out;
    const std::vector<std::string> rows = Lines(ReadAll(chain.folder / "all.csv"));
    const auto records = chain.Between(100, 1100);
    ASSERT_EQ(rows.size(), records.size() + 1);
    EXPECT_EQ(rows[0], "time,elapsed_s,CH2,CH5");
    // The clock to the nearest millisecond: the file's days put 100 s a little below it.
    const long long ms = std::llround(records[0].first * 1000);
    char first[200];
    std::snprintf(first, sizeof first, "2026-07-04T11:51:%02lld.%03lld,%.6f,%s,%s",
                  40 + ms / 1000 - 100, ms % 1000, records[0].first,
                  FormatReadout(records[0].second.value[1], '.').c_str(),
                  FormatReadout(records[0].second.value[4], '.').c_str());
    EXPECT_EQ(rows[1], first);

    ASSERT_EQ(RunFileTool("export r.txt --csv means.csv --every 60", &out, chain.folder.path()), 0)
        << out;
    const std::vector<std::string> means = Lines(ReadAll(chain.folder / "means.csv"));
    // 4000 records at 0.1 s, then a gap, then 3000 from 1000 s: minutes 0..6 and 16..21.
    ASSERT_EQ(means.size(), 1u + 7u + 6u);
    double sum = 0;
    const auto minute = chain.Between(60, 120);
    for (const auto& [t, r] : minute) sum += r.value[4];
    const std::string row = means[2];
    EXPECT_EQ(row.substr(0, 34), "2026-07-04T11:51:00.000,60.000000,");
    EXPECT_NEAR(std::stod(row.substr(row.rfind(',') + 1)), sum / static_cast<double>(minute.size()),
                1e-7);
}

// A genuine recording every 1 s: 60 records whose times the writer put a few microseconds
// either side of their seconds. Every second holds its own record, whatever the stretch.
TEST(TrendFileProgram, WholeSecondsFallIntoTheirOwnSecond) {
    TempFolder folder;
    FileShape shape;
    shape.channels = {true, false, false, false, false, false};
    shape.start = {2026, 12, 6, 12, 1, 14};
    std::vector<TestRecord> records(60);
    for (std::size_t k = 0; k < records.size(); ++k) {
        records[k].units = 18000 * k;
        records[k].value[0] = 1.5 * static_cast<double>(k);
    }
    WriteAll(folder / "s.txt", ResultFileBytes(shape, records));
    std::string out;
    ASSERT_EQ(RunFileTool("export s.txt --csv s.csv --every 1", &out, folder.path()), 0) << out;
    const std::vector<std::string> rows = Lines(ReadAll(folder / "s.csv"));
    ASSERT_EQ(rows.size(), 61u);
    for (int k = 0; k < 60; ++k) {
        SCOPED_TRACE(k);
        char time[64];
        std::snprintf(time, sizeof time, "2026-12-06T12:%02d:%02d.000,%d.000000,",
                      1 + (14 + k) / 60, (14 + k) % 60, k);
        const std::string& row = rows[static_cast<std::size_t>(k) + 1];
        EXPECT_EQ(row.substr(0, std::strlen(time)), time);
        EXPECT_EQ(std::stod(row.substr(std::strlen(time))), 1.5 * k);
    }
    ASSERT_EQ(RunFileTool("summary s.txt --from 0:00:10 --to 0:00:20", &out, folder.path()), 0);
    EXPECT_EQ(out, "CH1 10 15.000 28.500 21.75000000\n");
    // Stretches of 20 s: records 0-19, 20-39, 40-59.
    ASSERT_EQ(RunFileTool("export s.txt --csv m.csv --every 20 --force", &out, folder.path()), 0);
    const std::vector<std::string> means = Lines(ReadAll(folder / "m.csv"));
    ASSERT_EQ(means.size(), 4u);
    EXPECT_EQ(means[1], "2026-12-06T12:01:14.000,0.000000,14.25000000");
    EXPECT_EQ(means[2], "2026-12-06T12:01:34.000,20.000000,44.25000000");
    EXPECT_EQ(means[3], "2026-12-06T12:01:54.000,40.000000,74.25000000");
}

// Each refusal: status 2, one line, and nothing written or changed.
TEST(TrendFileProgram, RefusalsChangeNothing) {
    Chain chain;
    WriteAll(chain.folder / "old.csv", "keep");
    WriteAll(chain.folder / "notes.txt", "hello\r\n");
    ASSERT_EQ(::mkdir((chain.folder / "sub").c_str(), 0755), 0);
    const std::string recording = ReadAll(chain.folder / "r.txt");
    const std::pair<const char*, const char*> cases[] = {
        {"summary missing.txt", "cannot read missing.txt"},
        {"summary notes.txt", "no result file"},
        {"summary r.txt --from 5000", "outside the recording"},
        {"summary r.txt --to 0", "outside the recording"},
        {"summary r.txt --from 20 --to 10", "--to must come after --from"},
        {"summary r.txt --from 1:5:00", "--from wants a time"},
        {"export r.txt --csv old.csv", "old.csv exists; use --force"},
        {"export r.txt --csv sub", "sub is a folder; --csv names the file to write"},
        {"export r.txt --csv sub/ --force", "sub/ is a folder; --csv names the file to write"},
        {"export r.txt --csv ./r.txt --force", "--csv names the recording's file"},
        {"export r.txt --csv 'r (2).txt' --force", "--csv names the recording's file"},
        {"export r.txt", "export needs --csv"},
        {"summary r.txt --csv x.csv", "belong to export"},
        {"tally r.txt", "unknown command"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(args);
        std::string out;
        EXPECT_EQ(RunFileTool(args, &out, chain.folder.path()), 2);
        EXPECT_NE(out.find(message), std::string::npos) << out;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
    }
    EXPECT_EQ(ReadAll(chain.folder / "old.csv"), "keep");
    EXPECT_EQ(ReadAll(chain.folder / "r.txt"), recording);
}

// A CSV that does not reach the disk whole fails the run; what the run made goes again, and
// what it was told to write to with --force (here a device) stays.
TEST(TrendFileProgram, ACsvNotWrittenWholeFails) {
    Chain chain;
    // A limit on the size of files, its signal at the default action as a shell leaves it.
    const TempFolder scratch;
    ChildRun limited{TS_FILE_TOOL,
                     {"export", "r.txt", "--csv", "big.csv"},
                     {},
                     chain.folder.path(),
                     scratch / "said.txt"};
    limited.fileSizeLimit = 4096;
    const std::optional<int> status = WaitForChild(StartChild(limited), std::chrono::seconds(20));
    ASSERT_TRUE(status);
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status);
    EXPECT_EQ(WEXITSTATUS(*status), 1);
    std::string out = ReadAll(scratch / "said.txt");
    EXPECT_NE(out.find("could not be written whole"), std::string::npos) << out;
    EXPECT_TRUE(FileMissing(chain.folder / "big.csv"));
    // The full device takes no byte; any user may write to it. It is reached through a link of
    // the user's own, which a run that took away what it did not make would remove.
    struct stat info {};
    if (::stat("/dev/full", &info) != 0 || !S_ISCHR(info.st_mode)) GTEST_SKIP() << "no /dev/full";
    const std::string full = chain.folder / "full";
    ASSERT_EQ(::symlink("/dev/full", full.c_str()), 0);
    EXPECT_EQ(RunFileTool("export r.txt --force --csv full", &out, chain.folder.path()), 1);
    EXPECT_NE(out.find("the CSV full could not be written whole"), std::string::npos) << out;
    ASSERT_EQ(::lstat(full.c_str(), &info), 0) << "the link was removed";
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

}  // namespace
}  // namespace ts::review_rig

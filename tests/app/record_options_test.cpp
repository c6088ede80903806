#include "app/record_options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace ts {
namespace {

TEST(RecordOptionsTest, ReadsEveryOptionAndRejectsWhatItDoesNotKnow) {
    auto parse = [](std::initializer_list<const char*> args) {
        const std::vector<const char*> v(args);
        return ParseRecordOptions(v);
    };
    const RecordOptions all = parse({"--out", "r.txt", "--settings", "s.bin", "--replay", "c.raw",
                                     "--chunk", "14", "--raw", "raw.bin", "--force"});
    EXPECT_EQ(all.error, "");
    EXPECT_EQ(all.outPath, "r.txt");
    EXPECT_EQ(all.settingsPath, "s.bin");
    EXPECT_EQ(all.replayPath, "c.raw");
    EXPECT_EQ(all.chunk, 14u);
    EXPECT_EQ(all.rawPath, "raw.bin");
    EXPECT_TRUE(all.force);

    const RecordOptions defaults = parse({"--out", "r.txt"});
    EXPECT_EQ(defaults.settingsPath, "./Settings.bin");
    EXPECT_EQ(defaults.chunk, 4608u);
    EXPECT_TRUE(parse({"--help"}).help);

    EXPECT_EQ(parse({}).error, "--out FILE is required (see --help)");
    EXPECT_EQ(parse({"--out"}).error, "--out needs a value");
    for (const char* option :
         {"--out", "--settings", "--replay", "--raw", "--chunk", "--description", "--serial",
          "--every", "--threshold", "--channels"}) {
        const std::vector<const char*> twice = {"--out", "a", "--replay", "c",
                                                option,  "1", option,     "2"};
        EXPECT_EQ(ParseRecordOptions(twice).error, std::string(option) + " given twice");
    }
    EXPECT_EQ(parse({"--out", "a", "-x"}).error, "unknown argument '-x' (see --help)");
    EXPECT_EQ(parse({"--out", "a", "--chunk", "4608"}).error, "--chunk needs --replay");
    for (const char* bad : {"0", "-1", "12x", "", "99999999999"}) {
        EXPECT_NE(parse({"--out", "a", "--replay", "c", "--chunk", bad}).error, "") << bad;
    }
    EXPECT_EQ(parse({"--out", "a", "--raw", "a"}).error, "--raw and --out name the same file");
}

TEST(RecordOptionsTest, EachRefusalSaysWhatTheOptionWanted) {
    struct Case {
        std::vector<const char*> arguments;
        const char* error;
    };
    const std::string tooLong(64, 'd');
    const Case cases[] = {
        {{"--replay", "c", "--chunk", "0"},
         "--chunk wants a whole number of bytes from 1 to 1048576, not '0'"},
        {{"--for", "1:5"}, "--for wants a duration in seconds or as H:MM:SS, not '1:5'"},
        {{"--every", "3"},
         "--every wants one of all, change, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, "
         "5, 10, 20, 50, 100, 200, 500, not '3'"},
        {{"--threshold", "100"}, "--threshold wants a whole number from 1 to 99, not '100'"},
        {{"--channels", "1,1"},
         "--channels wants channel numbers from 1 to 6 separated by commas, each once, not '1,1'"},
        {{"--table", "7=t"}, "--table wants CHANNEL=FILE with a channel from 1 to 6, not '7=t'"},
        {{"--table", "2=a", "--table", "2=b"}, "--table given twice for channel 2"},
        {{"--table"}, "--table needs a value"},
        {{"--description", tooLong.c_str()}, "--description is at most 63 bytes long"},
        {{"--serial", "1234567890123456"}, "--serial is at most 15 bytes long"},
        {{"--list"}, "--list takes no other option"},
    };
    for (const Case& c : cases) {
        std::vector<const char*> arguments{"--out", "r.txt"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(ParseRecordOptions(arguments).error, c.error) << c.arguments[0];
    }
}

TEST(RecordOptionsTest, EveryOptionValueAtItsEdgesAndWhatItReadsAs) {
    struct Case {
        std::vector<const char*> arguments;
        bool accepted;
    };
    // The bridge reports at most 63 bytes of description.
    const std::string longest(63, 'd'), tooLong(64, 'd');
    const Case cases[] = {
        {{"--replay", "c", "--chunk", "1"}, true},
        {{"--replay", "c", "--chunk", "1048576"}, true},
        {{"--replay", "c", "--chunk", "1048577"}, false},
        {{"--threshold", "1"}, true},
        {{"--threshold", "99"}, true},
        {{"--threshold", "0"}, false},
        {{"--threshold", "100"}, false},
        {{"--threshold", "+5"}, false},
        {{"--channels", "6"}, true},
        {{"--channels", "1,2,3,4,5,6"}, true},
        {{"--channels", "0"}, false},
        {{"--channels", "7"}, false},
        {{"--channels", "1,1"}, false},
        {{"--channels", "1,"}, false},
        {{"--channels", " 1"}, false},
        {{"--table", "1=a.txt"}, true},
        {{"--table", "6="}, true},
        {{"--table", "0=a.txt"}, false},
        {{"--table", "7=a.txt"}, false},
        {{"--table", "a.txt"}, false},
        {{"--table", "1=a", "--table", "1=b"}, false},
        {{"--every", "0.002"}, true},
        {{"--every", "500"}, true},
        {{"--every", "0.001"}, false},
        {{"--every", "1000"}, false},
        {{"--every", "0.50"}, false},
        {{"--every", "1s"}, false},
        {{"--serial", "123456789012345"}, true},
        {{"--serial", "1234567890123456"}, false},
        {{"--description", longest.c_str()}, true},
        {{"--description", tooLong.c_str()}, false},
        {{"--list"}, false},
    };
    for (const Case& c : cases) {
        std::vector<const char*> arguments{"--out", "r.txt"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const RecordOptions options = ParseRecordOptions(arguments);
        EXPECT_EQ(options.error.empty(), c.accepted)
            << c.arguments[0] << " " << c.arguments.back() << ": " << options.error;
    }

    const std::vector<const char*> all = {"--out",       "r.txt",  "--every",    "0.01",
                                          "--threshold", "7",      "--channels", "5,2",
                                          "--table",     "3=t.txt"};
    const RecordOptions read = ParseRecordOptions(all);
    EXPECT_EQ(read.recordChoice, 3);  // "0.01c", the fourth choice of the window
    EXPECT_EQ(read.threshold, 7);
    EXPECT_EQ(read.channels, (std::array<bool, 6>{false, true, false, false, true, false}));
    EXPECT_EQ(read.tables[2], "t.txt");
    EXPECT_EQ(
        ParseRecordOptions(std::vector<const char*>{"--out", "r", "--every", "all"}).recordChoice,
        0);
    EXPECT_EQ(ParseRecordOptions(std::vector<const char*>{"--out", "r", "--every", "change"})
                  .recordChoice,
              18);
    EXPECT_TRUE(ParseRecordOptions(std::vector<const char*>{"--list"}).list);
}

TEST(RecordOptionsTest, ADurationIsSecondsOrHoursMinutesAndSeconds) {
    struct Case {
        const char* text;
        std::optional<std::uint64_t> seconds;  // nothing: refused
    };
    const Case cases[] = {
        {"1", 1},
        {"90", 90},
        {"0:00:01", 1},
        {"1:30:00", 5400},
        {"72:00:00", 259200},
        {"9999:00:00", 35996400},
        {"35996400", 35996400},
        {"0", {}},
        {"0:00:00", {}},
        {"-5", {}},
        {"1.5", {}},
        {"1:30", {}},
        {"1:60:00", {}},
        {"1:00:60", {}},
        {"1:5:00", {}},
        {"1:00:00:00", {}},
        {":00:10", {}},
        {"10000:00:00", {}},
        {"35996401", {}},
        {"1 ", {}},
        {"1h", {}},
    };
    for (const Case& c : cases) {
        const RecordOptions options =
            ParseRecordOptions(std::vector<const char*>{"--out", "r.txt", "--for", c.text});
        EXPECT_EQ(options.durationSeconds, c.seconds) << c.text;
        EXPECT_EQ(options.error.empty(), c.seconds.has_value()) << c.text << ": " << options.error;
    }
    EXPECT_EQ(ParseRecordOptions(std::vector<const char*>{"--out", "r", "--for", "1", "--for", "2"})
                  .error,
              "--for given twice");
    EXPECT_FALSE(ParseRecordOptions(std::vector<const char*>{"--out", "r"}).durationSeconds);
}

}  // namespace
}  // namespace ts

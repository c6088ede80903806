#include "app/record_options.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "device/driver.h"
#include "record/option_values.h"

namespace ts {

const char* const kRecordUsage =
    "Usage: trend-record --out FILE [--settings PATH] [--replay CAPTURE [--chunk N]]\n"
    "                    [--raw FILE] [--force] [--for DURATION] [--resume]\n"
    "                    [instrument and recording options]\n"
    "       trend-record --list\n"
    "\n"
    "Records the instrument's results into FILE without a window, in exactly the\n"
    "result file format of the program: start line, header, records, stop line,\n"
    "code page 1251, CR LF line ends, the locale's decimal separator.\n"
    "\n"
    "What to record comes from the settings file the window keeps (default\n"
    "./Settings.bin), which is only read, and from the options below, each of\n"
    "which overrides the file's value. Without a settings file the options alone\n"
    "will do: --every and --channels, and for an instrument (not a replay)\n"
    "--serial or --description; everything else takes the window's defaults. A\n"
    "settings file that is there but cannot be read whole is an error. A recorded\n"
    "channel's table that does not load prints its message and the channel\n"
    "records 0.\n"
    "\n"
    "  --out FILE          result file to write (required)\n"
    "  --settings PATH     settings file to read (default ./Settings.bin; a file\n"
    "                      named here must be there)\n"
    "  --replay CAPTURE    play back a file of raw instrument bytes instead of\n"
    "                      reading the instrument; stops after its last byte\n"
    "  --chunk N           bytes of the capture handed over per 40 ms poll, 1 to\n"
    "                      1048576 (default 4608, what the line carries in 40 ms)\n"
    "  --raw FILE          also save every raw byte received, for a later --replay\n"
    "  --force             replace FILE (and the --raw file) if they exist\n"
    "  --for DURATION      record for DURATION after the first sample, in seconds\n"
    "                      (90) or as H:MM:SS (1:30:00), then stop as on a stop\n"
    "                      request: the records up to that time of the\n"
    "                      instrument, then the stop line. Should the link fall\n"
    "                      silent, the computer's clock ends it 1 % later\n"
    "  --resume            if the recording into FILE was cut (killed, a crash, a\n"
    "                      power cut, or stopped by the system: it left its note\n"
    "                      FILE.resume beside FILE), end its last part with an\n"
    "                      interruption line and go on with the same choices in\n"
    "                      the next free part beside it, FILE (2), (3)..., and\n"
    "                      --raw's capture in its own part of the same number.\n"
    "                      Without such a note it records into FILE as usual.\n"
    "                      While the note is there, no run without --resume,\n"
    "                      --force or not, writes into a part of that recording;\n"
    "                      to start afresh give another --out, or remove the\n"
    "                      note. A note held by a running recorder is left alone,\n"
    "                      with the file: another program records into it.\n"
    "  --help              show this text\n"
    "  --version           show the version\n"
    "\n"
    "Instrument and recording, each over the settings file's value:\n"
    "  --description TEXT  USB description of the instrument's bridge\n"
    "  --serial TEXT       serial number of the instrument's bridge; without a\n"
    "                      settings file either one alone picks the bridge\n"
    "  --every WHEN        all (every sample), change (on change), or a period in\n"
    "                      seconds: 0.002 0.005 0.01 0.02 0.05 0.1 0.2 0.5 1 2 5 10\n"
    "                      20 50 100 200 500\n"
    "  --average           record each period's average instead of its last\n"
    "                      sample (periods only)\n"
    "  --threshold N       sensitivity of the on-change recording, 1 to 99\n"
    "                      (default 2)\n"
    "  --channels LIST     channels to record, as 1,2,5\n"
    "  --table CH=FILE     calibration table of channel CH (1 to 6); once per\n"
    "                      channel; CH= for none\n"
    "\n"
    "  --list              list the attached USB bridges as the window's device\n"
    "                      menu shows them: description, serial, and whether\n"
    "                      another program holds one; then exit\n"
    "\n"
    "No two of --settings, --replay, --out and --raw may name the same file, by\n"
    "whatever path, nor may --out or --raw name a calibration table, from --table\n"
    "or the settings file. Nothing is created or changed before the arguments and the\n"
    "settings have been checked; the result file is made when the first sample\n"
    "comes.\n"
    "\n"
    "Without --replay the instrument is opened through the USB bridge and\n"
    "supervised as in the window: a silent link is re-enumerated and reopened.\n"
    "Time in which the program itself did not run (Ctrl-Z, a slow disk, a loaded\n"
    "machine) is not taken for silence. Recording starts with the first sample of\n"
    "instrument 1; that sample is the record at time 0. SIGINT, SIGTERM or SIGHUP\n"
    "(on Windows Ctrl+C, Ctrl+Break, a closed console, logoff or shutdown) stop\n"
    "cleanly: the stop line is written and the file closed. The user's own stop\n"
    "(SIGINT, Ctrl+C, Ctrl+Break) and the end of --for or of the replay end the\n"
    "recording for good and remove its note; a stop by the system (SIGTERM,\n"
    "SIGHUP; a closed console, logoff or shutdown) keeps the note, so that\n"
    "--resume goes on with the recording at the next start. A second SIGINT or\n"
    "SIGTERM (Ctrl+C or Ctrl+Break) while that stop hangs ends the program at\n"
    "once; the file then holds whole lines only, without the stop line.\n"
    "Progress (samples, records, link state, elapsed time, link statistics) is\n"
    "shown when standard error is a terminal. On exit one line of link\n"
    "statistics goes to standard error: frames decoded, frames rejected by the\n"
    "check, bytes skipped looking for a frame start, overruns of the bridge chip,\n"
    "bytes lost in the receive queue, and silent reopenings.\n"
    "\n"
    "Exit status: 0 done, 1 stopped by a failure while recording or no sample of\n"
    "instrument 1 received (no result file is left then), 2 bad arguments,\n"
    "unreadable settings or capture, an output that cannot be written, or one\n"
    "that belongs to an unfinished or a running recording.\n";

namespace {

constexpr std::uint64_t kMaxChunk = std::uint64_t{1} << 20;
constexpr int kMaxThreshold = 99;

// The arguments read one after the other, into the options; the first error stops it.
class ArgumentReading {
public:
    explicit ArgumentReading(std::span<const char* const> arguments) : arguments_(arguments) {}

    RecordOptions options;
    bool sawChunk = false;
    int given = 0;  // options other than --list

    // The next argument, when there is one and nothing failed yet.
    bool Next() {
        if (next_ >= arguments_.size() || !options.error.empty()) return false;
        arg_ = arguments_[next_++];
        ++given;
        return true;
    }
    std::string_view Arg() const { return arg_; }

    void Fail(std::string message) {
        if (options.error.empty()) options.error = std::move(message);
    }

    // The option's value; nothing (and the error set) when it has none.
    std::optional<std::string> Value() {
        if (next_ >= arguments_.size() || std::string_view(arguments_[next_]).empty()) {
            Fail(std::string(arg_) + " needs a value");
            return std::nullopt;
        }
        return std::string(arguments_[next_++]);
    }

    // The value of an option that may be given once; nothing when it came before.
    std::optional<std::string> Once(bool before) {
        if (!before) return Value();
        Fail(std::string(arg_) + " given twice");
        return std::nullopt;
    }

    // A path that may be given once.
    void Path(std::string& into) {
        if (const auto text = Once(!into.empty())) into = *text;
    }

    // The value of an option that may be given once, as `parse` reads it; `wants` says what
    // it should have been when it reads nothing.
    template <typename Parse>
    auto Checked(bool before, Parse parse, const std::string& wants)
        -> decltype(parse(std::string_view())) {
        const std::optional<std::string> text = Once(before);
        if (!text) return std::nullopt;
        auto read = parse(*text);
        if (!read) Fail(std::string(arg_) + " wants " + wants + ", not '" + *text + "'");
        return read;
    }

private:
    std::span<const char* const> arguments_;
    std::size_t next_ = 0;
    std::string_view arg_;
};

void ReadSettings(ArgumentReading& r) {
    RecordOptions& o = r.options;
    if (const auto text = r.Once(o.settingsGiven)) o.settingsPath = *text;
    o.settingsGiven = true;
}

void ReadChunk(ArgumentReading& r) {
    const bool before = r.sawChunk;
    r.sawChunk = true;
    const auto chunk = r.Checked(
        before, [](std::string_view text) { return WholeNumberIn(text, 1, kMaxChunk); },
        "a whole number of bytes from 1 to 1048576");
    if (chunk) r.options.chunk = *chunk;
}

void ReadDuration(ArgumentReading& r) {
    RecordOptions& o = r.options;
    if (const auto seconds = r.Checked(o.durationSeconds.has_value(), DurationSecondsNamed,
                                       "a duration in seconds or as H:MM:SS")) {
        o.durationSeconds = seconds;
    }
}

// A name of the bridge, which reports at most `room` bytes less one: a longer one could never
// be found.
void ReadBridgeName(ArgumentReading& r, std::optional<std::string>& into, std::size_t room) {
    const auto text = r.Once(into.has_value());
    if (!text) return;
    into = text;
    if (into->size() >= room) {
        r.Fail(std::string(r.Arg()) + " is at most " + std::to_string(room - 1) + " bytes long");
    }
}

void ReadEvery(ArgumentReading& r) {
    RecordOptions& o = r.options;
    if (const auto choice = r.Checked(o.recordChoice.has_value(), RecordChoiceNamed,
                                      "one of " + RecordChoiceNames())) {
        o.recordChoice = choice;
    }
}

void ReadThreshold(ArgumentReading& r) {
    RecordOptions& o = r.options;
    const auto threshold = r.Checked(
        o.threshold.has_value(),
        [](std::string_view text) { return WholeNumberIn(text, 1, kMaxThreshold); },
        "a whole number from 1 to 99");
    if (threshold) o.threshold = static_cast<int>(*threshold);
}

void ReadChannels(ArgumentReading& r) {
    RecordOptions& o = r.options;
    if (const auto channels =
            r.Checked(o.channels.has_value(), ChannelsNamed,
                      "channel numbers from 1 to 6 separated by commas, each once")) {
        o.channels = channels;
    }
}

// Once per channel, not once in all.
void ReadTable(ArgumentReading& r) {
    const std::optional<std::string> text = r.Value();
    if (!text) return;
    const std::optional<ChannelTable> table = ChannelTableNamed(*text);
    std::optional<std::string>* into = table ? &r.options.tables[table->channel - 1] : nullptr;
    if (!table) {
        r.Fail("--table wants CHANNEL=FILE with a channel from 1 to 6, not '" + *text + "'");
    } else if (*into) {
        r.Fail("--table given twice for channel " + std::to_string(table->channel));
    } else {
        *into = table->path;
    }
}

struct OptionReader {
    std::string_view name;
    void (*read)(ArgumentReading&);
};

constexpr OptionReader kOptionReaders[] = {
    {"--help", [](ArgumentReading& r) { r.options.help = true; }},
    {"-h", [](ArgumentReading& r) { r.options.help = true; }},
    {"--version", [](ArgumentReading& r) { r.options.version = true; }},
    {"--list",
     [](ArgumentReading& r) {
         r.options.list = true;
         --r.given;
     }},
    {"--force", [](ArgumentReading& r) { r.options.force = true; }},
    {"--resume", [](ArgumentReading& r) { r.options.resume = true; }},
    {"--out", [](ArgumentReading& r) { r.Path(r.options.outPath); }},
    {"--replay", [](ArgumentReading& r) { r.Path(r.options.replayPath); }},
    {"--raw", [](ArgumentReading& r) { r.Path(r.options.rawPath); }},
    {"--settings", ReadSettings},
    {"--chunk", ReadChunk},
    {"--for", ReadDuration},
    {"--description",
     [](ArgumentReading& r) { ReadBridgeName(r, r.options.description, kDescriptionBufferSize); }},
    {"--serial",
     [](ArgumentReading& r) { ReadBridgeName(r, r.options.serial, kSerialBufferSize); }},
    {"--every", ReadEvery},
    {"--average", [](ArgumentReading& r) { r.options.average = true; }},
    {"--threshold", ReadThreshold},
    {"--channels", ReadChannels},
    {"--table", ReadTable},
};

// What the options say together, once each was read on its own.
void CheckTogether(ArgumentReading& r) {
    RecordOptions& o = r.options;
    if (o.help || o.version) {
        o.error.clear();
        return;
    }
    if (o.error.empty() && o.list) {
        if (r.given > 0) r.Fail("--list takes no other option");
        return;
    }
    if (o.error.empty() && o.outPath.empty()) r.Fail("--out FILE is required (see --help)");
    if (o.error.empty() && r.sawChunk && o.replayPath.empty()) r.Fail("--chunk needs --replay");
    // Spelled alike; other spellings of one file are found when the files are looked at.
    if (o.error.empty() && !o.rawPath.empty() && o.rawPath == o.outPath) {
        r.Fail("--raw and --out name the same file");
    }
}

}  // namespace

bool RecordOptions::AnySetting() const {
    bool any = description || serial || recordChoice || average || threshold || channels;
    for (const auto& table : tables) any = any || table;
    return any;
}

RecordOptions ParseRecordOptions(std::span<const char* const> arguments) {
    ArgumentReading r(arguments);
    while (r.Next()) {
        const auto* reader =
            std::find_if(std::begin(kOptionReaders), std::end(kOptionReaders),
                         [&r](const OptionReader& option) { return option.name == r.Arg(); });
        if (reader != std::end(kOptionReaders)) {
            reader->read(r);
        } else {
            r.Fail("unknown argument '" + std::string(r.Arg()) + "' (see --help)");
        }
    }
    CheckTogether(r);
    return std::move(r.options);
}

}  // namespace ts

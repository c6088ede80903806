#include "app/record_options.h"

#include <string_view>

#include "record/option_values.h"
#include "device/driver.h"

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

}  // namespace

bool RecordOptions::AnySetting() const {
    bool any = description || serial || recordChoice || average || threshold || channels;
    for (const auto& table : tables) any = any || table;
    return any;
}

RecordOptions ParseRecordOptions(std::span<const char* const> arguments) {
    RecordOptions o;
    bool sawChunk = false;
    int given = 0;  // options other than --list
    auto fail = [&](std::string message) {
        if (o.error.empty()) o.error = std::move(message);
    };
    for (std::size_t i = 0; i < arguments.size() && o.error.empty(); ++i) {
        const std::string_view arg = arguments[i];
        ++given;
        // The option's value; nothing (and the error set) when it has none.
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size() || std::string_view(arguments[i + 1]).empty()) {
                fail(std::string(arg) + " needs a value");
                return std::nullopt;
            }
            return std::string(arguments[++i]);
        };
        // The value of an option that may be given once; nothing when it came before.
        auto once = [&](bool before) -> std::optional<std::string> {
            if (!before) return value();
            fail(std::string(arg) + " given twice");
            return std::nullopt;
        };
        auto path = [&](std::string& into) {
            if (const auto text = once(!into.empty())) into = *text;
        };
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--list") {
            o.list = true;
            --given;
        } else if (arg == "--force") {
            o.force = true;
        } else if (arg == "--resume") {
            o.resume = true;
        } else if (arg == "--out") {
            path(o.outPath);
        } else if (arg == "--replay") {
            path(o.replayPath);
        } else if (arg == "--raw") {
            path(o.rawPath);
        } else if (arg == "--settings") {
            if (const auto text = once(o.settingsGiven)) o.settingsPath = *text;
            o.settingsGiven = true;
        } else if (arg == "--chunk") {
            const std::optional<std::string> text = once(sawChunk);
            sawChunk = true;
            const auto chunk = text ? WholeNumberIn(*text, 1, kMaxChunk) : std::nullopt;
            if (chunk) o.chunk = *chunk;
            if (text && !chunk) {
                fail("--chunk wants a whole number of bytes from 1 to 1048576, not '" + *text +
                     "'");
            }
        } else if (arg == "--for") {
            const std::optional<std::string> text = once(o.durationSeconds.has_value());
            if (text) o.durationSeconds = DurationSecondsNamed(*text);
            if (text && !o.durationSeconds) {
                fail("--for wants a duration in seconds or as H:MM:SS, not '" + *text + "'");
            }
        } else if (arg == "--description") {
            if (const auto text = once(o.description.has_value())) o.description = text;
            // The bridge reports at most this much; a longer one could never be found.
            if (o.description && o.description->size() >= kDescriptionBufferSize) {
                fail("--description is at most 63 bytes long");
            }
        } else if (arg == "--serial") {
            if (const auto text = once(o.serial.has_value())) o.serial = text;
            if (o.serial && o.serial->size() >= kSerialBufferSize) {
                fail("--serial is at most 15 bytes long");
            }
        } else if (arg == "--every") {
            const std::optional<std::string> text = once(o.recordChoice.has_value());
            if (text) o.recordChoice = RecordChoiceNamed(*text);
            if (text && !o.recordChoice) {
                fail("--every wants one of " + RecordChoiceNames() + ", not '" + *text + "'");
            }
        } else if (arg == "--average") {
            o.average = true;
        } else if (arg == "--threshold") {
            const std::optional<std::string> text = once(o.threshold.has_value());
            const auto threshold = text ? WholeNumberIn(*text, 1, kMaxThreshold) : std::nullopt;
            if (threshold) o.threshold = static_cast<int>(*threshold);
            if (text && !threshold) {
                fail("--threshold wants a whole number from 1 to 99, not '" + *text + "'");
            }
        } else if (arg == "--channels") {
            const std::optional<std::string> text = once(o.channels.has_value());
            if (text) o.channels = ChannelsNamed(*text);
            if (text && !o.channels) {
                fail(
                    "--channels wants channel numbers from 1 to 6 separated by commas, each "
                    "once, not '" +
                    *text + "'");
            }
        } else if (arg == "--table") {
            const std::optional<std::string> text = value();
            const std::optional<ChannelTable> table =
                text ? ChannelTableNamed(*text) : std::nullopt;
            if (text && !table) {
                fail("--table wants CHANNEL=FILE with a channel from 1 to 6, not '" + *text + "'");
            } else if (table && o.tables[table->channel - 1]) {
                fail("--table given twice for channel " + std::to_string(table->channel));
            } else if (table) {
                o.tables[table->channel - 1] = table->path;
            }
        } else {
            fail("unknown argument '" + std::string(arg) + "' (see --help)");
        }
    }
    if (o.help || o.version) {
        o.error.clear();
        return o;
    }
    if (o.error.empty() && o.list) {
        if (given > 0) fail("--list takes no other option");
        return o;
    }
    if (o.error.empty() && o.outPath.empty()) fail("--out FILE is required (see --help)");
    if (o.error.empty() && sawChunk && o.replayPath.empty()) fail("--chunk needs --replay");
    // Spelled alike; other spellings of one file are found when the files are looked at.
    if (o.error.empty() && !o.rawPath.empty() && o.rawPath == o.outPath) {
        fail("--raw and --out name the same file");
    }
    return o;
}

}  // namespace ts

#include "app/record_options.h"

#include <charconv>
#include <string_view>

namespace ts {

const char* const kRecordUsage =
    "Usage: trend-record --out FILE [--settings PATH] [--replay CAPTURE [--chunk N]]\n"
    "                    [--raw FILE] [--force]\n"
    "\n"
    "Records the instrument's results into FILE without a window, in exactly the\n"
    "result file format of the program: start line, header, records, stop line,\n"
    "code page 1251, CR LF line ends, the locale's decimal separator.\n"
    "\n"
    "The settings file (default ./Settings.bin) gives the wanted instrument, the\n"
    "recording choice (period, every sample or on change), period averages, the\n"
    "on-change threshold, the recorded channels and their calibration tables. It is\n"
    "only read: a file that cannot be read whole, or that selects no recording\n"
    "choice or no channel, is an error. A recorded channel's table that does not\n"
    "load prints its message and the channel records 0.\n"
    "\n"
    "  --out FILE        result file to write (required)\n"
    "  --settings PATH   settings file to read (default ./Settings.bin)\n"
    "  --replay CAPTURE  play back a file of raw instrument bytes instead of\n"
    "                    reading the instrument; stops after its last byte\n"
    "  --chunk N         bytes of the capture handed over per 40 ms poll\n"
    "                    (default 4608, what the line carries in 40 ms)\n"
    "  --raw FILE        also save every raw byte received, for a later --replay\n"
    "  --force           replace FILE (and the --raw file) if they exist\n"
    "  --help            show this text\n"
    "  --version         show the version\n"
    "\n"
    "Without --replay the instrument is opened through the USB bridge and\n"
    "supervised as in the window: a silent link is re-enumerated and reopened.\n"
    "Recording starts with the first sample of instrument 1; that sample is the\n"
    "record at time 0. SIGINT or SIGTERM stop cleanly: the stop line is written\n"
    "and the file closed. Progress (samples, records, link state, elapsed time,\n"
    "link statistics) is shown when standard error is a terminal. On exit one line\n"
    "of link statistics goes to standard error: frames decoded, frames rejected by\n"
    "the check, bytes skipped looking for a frame start, overruns of the bridge\n"
    "chip, bytes lost in the receive queue, and silent reopenings.\n"
    "\n"
    "Exit status: 0 done, 1 stopped by a failure while recording, 2 bad arguments,\n"
    "unreadable settings or capture, or an output that cannot be written.\n";

namespace {

bool ParseChunk(std::string_view text, std::size_t& out) {
    std::size_t value = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return false;
    if (value < 1 || value > (1u << 20)) return false;
    out = value;
    return true;
}

}  // namespace

RecordOptions ParseRecordOptions(std::span<const char* const> arguments) {
    RecordOptions o;
    bool sawSettings = false, sawChunk = false;
    auto fail = [&](std::string message) {
        if (o.error.empty()) o.error = std::move(message);
    };
    for (std::size_t i = 0; i < arguments.size() && o.error.empty(); ++i) {
        const std::string_view arg = arguments[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= arguments.size() || std::string_view(arguments[i + 1]).empty()) {
                fail(std::string(arg) + " needs a value");
                return;
            }
            if (!into.empty()) {
                fail(std::string(arg) + " given twice");
                return;
            }
            into = arguments[++i];
        };
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--force") {
            o.force = true;
        } else if (arg == "--out") {
            value(o.outPath);
        } else if (arg == "--replay") {
            value(o.replayPath);
        } else if (arg == "--raw") {
            value(o.rawPath);
        } else if (arg == "--settings") {
            if (sawSettings) {
                fail("--settings given twice");
                break;
            }
            sawSettings = true;
            o.settingsPath.clear();
            value(o.settingsPath);
        } else if (arg == "--chunk") {
            std::string text;
            if (sawChunk) {
                fail("--chunk given twice");
                break;
            }
            sawChunk = true;
            value(text);
            if (o.error.empty() && !ParseChunk(text, o.chunk)) {
                fail("--chunk wants a whole number of bytes from 1 to 1048576, not '" + text + "'");
            }
        } else {
            fail("unknown argument '" + std::string(arg) + "' (see --help)");
        }
    }
    if (o.help || o.version) {
        o.error.clear();
        return o;
    }
    if (o.error.empty() && o.outPath.empty()) fail("--out FILE is required (see --help)");
    if (o.error.empty() && sawChunk && o.replayPath.empty()) fail("--chunk needs --replay");
    if (o.error.empty() && !o.rawPath.empty() && o.rawPath == o.outPath) {
        fail("--raw and --out name the same file");
    }
    return o;
}

}  // namespace ts

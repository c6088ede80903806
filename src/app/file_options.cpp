#include "app/file_options.h"

namespace ts {

const char* const kFileUsage =
    "Usage: trend-file summary FILE [--from T] [--to T]\n"
    "       trend-file export FILE --csv OUT [--from T] [--to T] [--every S]\n"
    "                         [--force]\n"
    "\n"
    "Reads a result file of the program (or of trend-record) without a window. A\n"
    "recording that was cut and carried on (FILE, FILE (2), FILE (3)...) is read as\n"
    "one, its parts placed by their start lines. The file is only read.\n"
    "\n"
    "  summary             print one line for each recorded channel: CH<n>, the\n"
    "                      count of records with a number, the minimum and the\n"
    "                      maximum as the file writes them, and the mean with ten\n"
    "                      significant digits; '.' as the decimal point\n"
    "  export              write the records as CSV for spreadsheets and data\n"
    "                      tools: UTF-8, a header line, the date and time in ISO\n"
    "                      8601 with milliseconds, the seconds since the start,\n"
    "                      then one column per channel, '.' as the decimal point\n"
    "  --csv OUT           the CSV file to write (export only)\n"
    "  --every S           one row per S seconds (counted from --from) holding each\n"
    "                      channel's mean, instead of one per record\n"
    "  --force             replace OUT if it exists\n"
    "  --from T, --to T    only records with T(from) <= t < T(to), t the time since\n"
    "                      the recording's first start line; T in seconds (90, 0.5,\n"
    "                      0,5) or as H:MM:SS (1:30:00)\n"
    "  --help              show this text\n"
    "  --version           show the version\n"
    "\n"
    "Lines the program does not write are counted and named on standard error (how\n"
    "many, and the first one's line number); the others are read all the same.\n"
    "\n"
    "Exit status: 0 done, 1 the CSV could not be written whole (removed when this\n"
    "run made it) or a file shrank, was replaced or removed while it was read,\n"
    "2 bad arguments, a file that cannot be read or is no result\n"
    "file, a range outside the recording, or an OUT that exists without --force or\n"
    "cannot be written.\n";

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whole digits of `text` from `at`; nothing when there are none or too many.
std::optional<std::int64_t> Digits(std::string_view text, std::size_t& at, std::size_t most) {
    const std::size_t start = at;
    std::int64_t value = 0;
    while (at < text.size() && IsDigit(text[at])) value = value * 10 + (text[at++] - '0');
    if (at == start || at - start > most) return std::nullopt;
    return value;
}

// ".ddd" or ",ddd" from `at` as ns (the users' files and regional settings mostly write the
// comma); a fraction finer than a nanosecond is refused.
std::optional<std::int64_t> Fraction(std::string_view text, std::size_t& at) {
    if (at == text.size()) return 0;
    if (text[at] != '.' && text[at] != ',') return std::nullopt;
    ++at;
    std::int64_t ns = 0, scale = 100'000'000;
    const std::size_t start = at;
    while (at < text.size() && IsDigit(text[at]) && scale > 0) {
        ns += (text[at++] - '0') * scale;
        scale /= 10;
    }
    if (at == start || at != text.size()) return std::nullopt;
    return ns;
}

constexpr std::int64_t kSecond = 1'000'000'000;
// Ten years of seconds: far beyond any recording, far within 64 bits of ns.
constexpr std::size_t kMostSecondDigits = 9;

}  // namespace

std::optional<std::int64_t> ElapsedNamed(std::string_view text) {
    std::size_t at = 0;
    const auto first = Digits(text, at, kMostSecondDigits);
    if (!first) return std::nullopt;
    if (at < text.size() && text[at] == ':') {
        ++at;
        const std::size_t minuteAt = at;
        const auto minutes = Digits(text, at, 2);
        if (!minutes || at - minuteAt != 2 || *minutes > 59 || at >= text.size() ||
            text[at] != ':') {
            return std::nullopt;
        }
        ++at;
        const std::size_t secondAt = at;
        const auto seconds = Digits(text, at, 2);
        if (!seconds || at - secondAt != 2 || *seconds > 59 || *first > 99999) return std::nullopt;
        const auto fraction = Fraction(text, at);
        if (!fraction) return std::nullopt;
        return ((*first * 60 + *minutes) * 60 + *seconds) * kSecond + *fraction;
    }
    const auto fraction = Fraction(text, at);
    if (!fraction) return std::nullopt;
    return *first * kSecond + *fraction;
}

FileOptions ParseFileOptions(std::span<const char* const> arguments) {
    FileOptions o;
    auto fail = [&](std::string message) {
        if (o.error.empty()) o.error = std::move(message);
    };
    for (std::size_t i = 0; i < arguments.size() && o.error.empty(); ++i) {
        const std::string_view arg = arguments[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size() || std::string_view(arguments[i + 1]).empty()) {
                fail(std::string(arg) + " needs a value");
                return std::nullopt;
            }
            return std::string(arguments[++i]);
        };
        auto time = [&](std::optional<std::int64_t>& into, bool positive) {
            if (into) return fail(std::string(arg) + " given twice");
            const auto text = value();
            if (!text) return;
            into = ElapsedNamed(*text);
            if (!into || (positive && *into == 0)) {
                into.reset();
                fail(std::string(arg) + " wants " + (positive ? "a duration above 0" : "a time") +
                     " in seconds or as H:MM:SS, not '" + *text + "'");
            }
        };
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--force") {
            o.force = true;
        } else if (arg == "--csv") {
            if (!o.csvPath.empty()) {
                fail("--csv given twice");
            } else if (const auto text = value()) {
                o.csvPath = *text;
            }
        } else if (arg == "--from") {
            time(o.fromNs, false);
        } else if (arg == "--to") {
            time(o.toNs, false);
        } else if (arg == "--every") {
            time(o.everyNs, true);
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            fail("unknown argument '" + std::string(arg) + "' (see --help)");
        } else if (o.command == FileOptions::Command::None) {
            if (arg == "summary") {
                o.command = FileOptions::Command::Summary;
            } else if (arg == "export") {
                o.command = FileOptions::Command::Export;
            } else {
                fail("unknown command '" + std::string(arg) + "': summary or export (see --help)");
            }
        } else if (o.filePath.empty()) {
            o.filePath = arg;
        } else {
            fail("one FILE only, not also '" + std::string(arg) + "'");
        }
    }
    if (o.help || o.version) {
        o.error.clear();
        return o;
    }
    if (!o.error.empty()) return o;
    const bool exporting = o.command == FileOptions::Command::Export;
    if (o.command == FileOptions::Command::None) {
        fail("a command is required: summary or export (see --help)");
    } else if (o.filePath.empty()) {
        fail("FILE is required (see --help)");
    } else if (exporting && o.csvPath.empty()) {
        fail("export needs --csv OUT");
    } else if (!exporting && (!o.csvPath.empty() || o.everyNs || o.force)) {
        fail("--csv, --every and --force belong to export");
    } else if (o.fromNs && o.toNs && *o.toNs <= *o.fromNs) {
        fail("--to must come after --from");
    }
    return o;
}

}  // namespace ts

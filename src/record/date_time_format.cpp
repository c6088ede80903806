#include "record/date_time_format.h"

#include <charconv>

namespace ts {

namespace {

enum class Pad { Default, None, Blank, Zero };

void AppendNumber(std::string& out, int value, int width, char defaultPad, Pad pad) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    const int length = static_cast<int>(end - digits);
    char fill = defaultPad;
    if (pad == Pad::Blank) fill = ' ';
    if (pad == Pad::Zero) fill = '0';
    if (pad != Pad::None) {
        for (int i = length; i < width; ++i) out += fill;
    }
    out.append(digits, end);
}

int TwelveHour(int hour) {
    const int h = hour % 12;
    return h == 0 ? 12 : h;
}

// Appends one conversion; false when the letter is not one this formatter knows.
bool AppendConversion(std::string& out, char letter, Pad pad, const LocalDateTime& t) {
    switch (letter) {
        case 'd':
            AppendNumber(out, t.Day, 2, '0', pad);
            return true;
        case 'e':
            AppendNumber(out, t.Day, 2, ' ', pad);
            return true;
        case 'm':
            AppendNumber(out, t.Month, 2, '0', pad);
            return true;
        case 'y':
            AppendNumber(out, t.Year % 100, 2, '0', pad);
            return true;
        case 'Y':
            AppendNumber(out, t.Year, 1, '0', pad);
            return true;
        case 'C':
            AppendNumber(out, t.Year / 100, 2, '0', pad);
            return true;
        case 'H':
            AppendNumber(out, t.Hour, 2, '0', pad);
            return true;
        case 'k':
            AppendNumber(out, t.Hour, 2, ' ', pad);
            return true;
        case 'I':
            AppendNumber(out, TwelveHour(t.Hour), 2, '0', pad);
            return true;
        case 'l':
            AppendNumber(out, TwelveHour(t.Hour), 2, ' ', pad);
            return true;
        case 'M':
            AppendNumber(out, t.Minute, 2, '0', pad);
            return true;
        case 'S':
            AppendNumber(out, t.Second, 2, '0', pad);
            return true;
        case 'p':
            out += t.Hour < 12 ? "AM" : "PM";
            return true;
        case 'P':
            out += t.Hour < 12 ? "am" : "pm";
            return true;
        case 'D':
            AppendDateTime(out, "%m/%d/%y", t);
            return true;
        case 'F':
            AppendDateTime(out, "%Y-%m-%d", t);
            return true;
        case 'T':
            AppendDateTime(out, "%H:%M:%S", t);
            return true;
        case 'R':
            AppendDateTime(out, "%H:%M", t);
            return true;
        case 'r':
            AppendDateTime(out, "%I:%M:%S %p", t);
            return true;
        case 'n':
            out += '\n';
            return true;
        case 't':
            out += '\t';
            return true;
        case '%':
            out += '%';
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string FormatDateTime(std::string_view format, const LocalDateTime& t) {
    std::string out;
    AppendDateTime(out, format, t);
    return out;
}

void AppendDateTime(std::string& out, std::string_view format, const LocalDateTime& t) {
    std::size_t i = 0;
    while (i < format.size()) {
        if (format[i] != '%') {
            out += format[i++];
            continue;
        }
        const std::size_t start = i++;
        Pad pad = Pad::Default;
        if (i < format.size() && (format[i] == '-' || format[i] == '_' || format[i] == '0')) {
            pad = format[i] == '-' ? Pad::None : format[i] == '_' ? Pad::Blank : Pad::Zero;
            ++i;
        }
        if (i < format.size() && (format[i] == 'E' || format[i] == 'O')) ++i;
        if (i >= format.size()) {
            out.append(format.substr(start));
            break;
        }
        if (!AppendConversion(out, format[i], pad, t))
            out.append(format.substr(start, i + 1 - start));
        ++i;
    }
}

}  // namespace ts

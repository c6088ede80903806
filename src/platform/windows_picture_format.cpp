#include "platform/windows_picture_format.h"

namespace ts {

namespace {

// The program's conversion for a run of `count` equal picture letters; nullptr where the
// letter is no picture letter and is copied as it stands.
const char* Conversion(char letter, std::size_t count) {
    const bool one = count == 1;
    switch (letter) {
        case 'd':
            if (count >= 3) return "";  // the day's name
            return one ? "%-d" : "%d";
        case 'M':
            return one ? "%-m" : "%m";
        case 'y':
            if (count >= 3) return "%Y";
            return one ? "%-y" : "%y";
        case 'g':
            return "";  // the era
        case 'h':
            return one ? "%-I" : "%I";
        case 'H':
            return one ? "%-H" : "%H";
        case 'm':
            return one ? "%-M" : "%M";
        case 's':
            return one ? "%-S" : "%S";
        case 't':
            return "%p";
        default:
            return nullptr;
    }
}

void AppendLiteral(std::string& out, char c) {
    if (c == '%') out += '%';
    out += c;
}

}  // namespace

std::string WindowsPictureToFormat(std::string_view picture) {
    std::string out;
    std::size_t i = 0;
    while (i < picture.size()) {
        const char c = picture[i];
        if (c == '\'' && i + 1 < picture.size() && picture[i + 1] == '\'') {
            out += '\'';
            i += 2;
            continue;
        }
        if (c == '\'') {
            // Quoted text up to the closing quote (or the end); a doubled quote is one quote.
            ++i;
            while (i < picture.size()) {
                if (picture[i] == '\'') {
                    if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                        out += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                AppendLiteral(out, picture[i++]);
            }
            continue;
        }
        std::size_t count = 1;
        while (i + count < picture.size() && picture[i + count] == c) ++count;
        if (const char* conversion = Conversion(c, count)) {
            out += conversion;
        } else {
            for (std::size_t k = 0; k < count; ++k) AppendLiteral(out, c);
        }
        i += count;
    }
    return out;
}

}  // namespace ts

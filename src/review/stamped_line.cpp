#include "review/result_line.h"

#include <string>

#include "base/texts.h"
#include "review/line_digits.h"

namespace ts::review {

namespace {

// The file's words are Russian in code page 1251; the program keeps them in UTF-8. Only the
// Cyrillic letters А..я and ASCII occur in them.
std::string Cp1251Of(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80 || i + 1 >= utf8.size()) {
            out += static_cast<char>(c);
            continue;
        }
        const unsigned code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
        out += static_cast<char>(code - 0x410 + 0xC0);
    }
    return out;
}

// Each word as the program writes it, and as an editor that saved the file as UTF-8 left it.
struct Word {
    std::string cp1251;
    std::string_view utf8;
    explicit Word(std::string_view text) : cp1251(Cp1251Of(text)), utf8(text) {}
};

struct Words {
    Word started{text::kResultStarted};
    Word stopped{text::kResultStopped};
    Word interrupted{text::kResultInterrupted};
    Word headerTime{text::kResultHeaderTime};
    Word record{" ЗАПИСЬ"};
};

const Words& FileWords() {
    static const Words words;
    return words;
}

bool EndsWith(std::string_view line, std::string_view tail) {
    return line.size() >= tail.size() && line.substr(line.size() - tail.size()) == tail;
}

bool EndsWith(std::string_view line, const Word& tail) {
    return EndsWith(line, tail.cp1251) || EndsWith(line, tail.utf8);
}

// The length of `word` at the start of `line` in either encoding; 0 when it is not there.
std::size_t StartsWith(std::string_view line, const Word& word) {
    if (line.substr(0, word.cp1251.size()) == word.cp1251) return word.cp1251.size();
    if (line.substr(0, word.utf8.size()) == word.utf8) return word.utf8.size();
    return 0;
}

}  // namespace

LineKind StampedLineKind(std::string_view line) {
    const Words& w = FileWords();
    if (EndsWith(line, w.started)) return LineKind::Start;
    if (EndsWith(line, w.stopped)) return LineKind::Stop;
    if (EndsWith(line, w.interrupted)) return LineKind::Interrupted;
    if (StartsWith(line, w.headerTime) != 0) return LineKind::Header;
    return LineKind::Damaged;
}

bool ParseHeaderLine(std::string_view line, std::array<int, kChannels>& channels, int& count) {
    const Words& w = FileWords();
    const std::size_t word = StartsWith(line, w.headerTime);
    if (word == 0) return false;
    line.remove_prefix(word);
    count = 0;
    int last = 0;
    while (!line.empty()) {
        // " CHn", channels rising as the writer puts them.
        if (line.size() < 4 || line.substr(0, 3) != " CH" || line[3] <= '0' + last ||
            line[3] > '0' + kChannels || count == kChannels) {
            return false;
        }
        last = line[3] - '0';
        channels[static_cast<std::size_t>(count++)] = last;
        line.remove_prefix(4);
    }
    return true;
}

bool ParseStamp(std::string_view line, StampFields& out) {
    // Only what comes before the words counts.
    const Word& record = FileWords().record;
    std::size_t words = line.rfind(record.cp1251);
    if (words == std::string_view::npos) words = line.rfind(record.utf8);
    if (words == std::string_view::npos) return false;
    line = line.substr(0, words);
    int numbers[6];
    int digits[6];
    int count = 0;
    out.meridiem = 0;
    for (std::size_t i = 0; i < line.size();) {
        if (IsDigit(line[i])) {
            if (count == 6) return false;
            int value = 0;
            int n = 0;
            while (i < line.size() && IsDigit(line[i])) {
                if (++n > 4) return false;
                value = value * 10 + (line[i++] - '0');
            }
            numbers[count] = value;
            digits[count++] = n;
            if (count == 1) out.dateSeparator = i < line.size() ? line[i] : 0;
            continue;
        }
        const char c = static_cast<char>(line[i] & ~0x20);
        if ((c == 'A' || c == 'P') && i + 1 < line.size() && (line[i + 1] & ~0x20) == 'M') {
            out.meridiem = c == 'A' ? 1 : 2;
            i += 2;
            continue;
        }
        ++i;
    }
    // Three date numbers, then hours, minutes and seconds: every long time format the
    // regional settings give has seconds.
    if (count != 6) return false;
    for (int i = 0; i < 3; ++i) {
        out.date[static_cast<std::size_t>(i)] = numbers[i];
        out.dateDigits[static_cast<std::size_t>(i)] = digits[i];
    }
    out.hour = numbers[3];
    out.minute = numbers[4];
    out.second = numbers[5];
    return true;
}

}  // namespace ts::review

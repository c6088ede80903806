#include "record/utf8_text.h"

namespace ts {

namespace {

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::size_t Utf8Letters(std::string_view text) {
    std::size_t letters = 0;
    for (char c : text) {
        if (!IsContinuation(c)) ++letters;
    }
    return letters;
}

std::string_view Utf8FirstLetters(std::string_view text, std::size_t letters) {
    std::size_t end = 0;
    for (std::size_t taken = 0; taken < letters && end < text.size(); ++taken) {
        ++end;
        while (end < text.size() && IsContinuation(text[end])) ++end;
    }
    return text.substr(0, end);
}

void Utf8DropLastLetters(std::string& text, std::size_t letters) {
    std::size_t end = text.size();
    for (std::size_t dropped = 0; dropped < letters && end > 0; ++dropped) {
        --end;
        while (end > 0 && IsContinuation(text[end])) --end;
    }
    text.resize(end);
}

}  // namespace ts

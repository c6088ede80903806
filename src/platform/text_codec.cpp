#include "platform/text_codec.h"

#include <cstring>

namespace ts {

std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

bool IsAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

std::size_t Cp1251Encoder::Encode(std::string_view utf8, char* out) {
    // Record lines are digits, signs, blanks and the separator: ASCII is the
    // same bytes in both encodings, so the common case is a copy.
    if (IsAscii(utf8)) {
        std::memcpy(out, utf8.data(), utf8.size());
        return utf8.size();
    }
    return EncodeNonAscii(utf8, out);
}

std::string Cp1251Encoder::Encode(std::string_view utf8) {
    std::string out(utf8.size(), '\0');
    out.resize(Encode(utf8, out.data()));
    return out;
}

}  // namespace ts

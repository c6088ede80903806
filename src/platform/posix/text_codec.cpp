#include "platform/text_codec.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ts {

namespace {

bool Opened(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }

}  // namespace

Cp1251Encoder::Cp1251Encoder() {
    const iconv_t cd = iconv_open("CP1251", "UTF-8");
    converter_ = Opened(cd) ? cd : nullptr;
}

Cp1251Encoder::~Cp1251Encoder() {
    if (converter_ != nullptr) iconv_close(static_cast<iconv_t>(converter_));
}

std::size_t Cp1251Encoder::EncodeNonAscii(std::string_view utf8, char* out) {
    const auto cd = static_cast<iconv_t>(converter_);
    if (cd != nullptr) iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* next = out;
    std::size_t outLeft = utf8.size();
    while (inLeft > 0) {
        if (cd != nullptr && iconv(cd, &in, &inLeft, &next, &outLeft) != static_cast<size_t>(-1)) {
            break;
        }
        if (cd != nullptr && errno != EILSEQ && errno != EINVAL) break;
        // Not representable (or no converter at all): one '?' for the
        // character, then go on with the next one.
        const auto lead = static_cast<unsigned char>(*in);
        if (cd == nullptr && lead < 0x80) {
            *next++ = *in++;
            --outLeft;
            --inLeft;
            continue;
        }
        const std::size_t skip = std::min(Utf8SequenceLength(lead), inLeft);
        *next++ = '?';
        --outLeft;
        in += skip;
        inLeft -= skip;
    }
    return static_cast<std::size_t>(next - out);
}

std::string LocaleTextToUtf8(std::string_view text, const std::string& charset) {
    if (IsAscii(text) || charset == "UTF-8" || charset == "utf8") return std::string(text);
    const iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (!Opened(cd)) return std::string(text);
    // A single-byte character grows to at most four bytes.
    std::string out(text.size() * 4, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* next = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0 && iconv(cd, &in, &inLeft, &next, &outLeft) == static_cast<size_t>(-1)) {
        if (outLeft == 0) break;
        *next++ = '?';
        --outLeft;
        ++in;
        --inLeft;
    }
    iconv_close(cd);
    out.resize(static_cast<std::size_t>(next - out.data()));
    return out;
}

}  // namespace ts

namespace ts {

std::optional<std::string> Utf8ToSettingsText(std::string_view utf8) { return std::string(utf8); }

std::string SettingsTextToUtf8(std::string_view text) { return std::string(text); }

}  // namespace ts

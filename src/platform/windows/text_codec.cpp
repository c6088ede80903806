#include "platform/text_codec.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "platform/windows/settings_text.h"
#include "platform/windows/wide_text.h"

namespace ts {

namespace {

constexpr UINT kCyrillicCodePage = 1251;

// The character at the start of `text` as UTF-16 (one or two units) and how many bytes it
// takes; no units for a broken sequence, which then takes SequenceLength bytes or what is left.
struct Decoded {
    wchar_t units[2]{};
    int count = 0;
    std::size_t bytes = 1;
};

Decoded DecodeOne(std::string_view text) {
    Decoded d;
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = Utf8SequenceLength(lead);
    d.bytes = std::min(length, text.size());
    if (lead < 0x80) {
        d.units[0] = static_cast<wchar_t>(lead);
        d.count = 1;
        return d;
    }
    if (length == 1 || text.size() < length) return d;
    std::uint32_t code = lead & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[k]);
        if ((next & 0xC0) != 0x80) return d;
        code = (code << 6) | (next & 0x3F);
    }
    constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
        return d;
    }
    if (code >= 0x10000) {
        code -= 0x10000;
        d.units[0] = static_cast<wchar_t>(0xD800 + (code >> 10));
        d.units[1] = static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        d.count = 2;
    } else {
        d.units[0] = static_cast<wchar_t>(code);
        d.count = 1;
    }
    return d;
}

// UTF-8 into a code page; nothing when a character has no place in it. No best fit: a
// look-alike ("e" for "ё") would be as wrong as a question mark and harder to see.
std::optional<std::string> ToCodePage(std::string_view utf8, UINT codePage) {
    const std::wstring wide = Widen(utf8);
    if (wide.empty()) return std::string();
    const int size = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int length = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size,
                                             nullptr, 0, "?", &usedDefault);
    if (length <= 0 || usedDefault || wide.find(L'\uFFFD') != std::wstring::npos) {
        return std::nullopt;
    }
    std::string out(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), size, out.data(), length,
                          "?", &usedDefault);
    return out;
}

std::string FromCodePage(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return std::string(text);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return Narrow(wide);
}

// The Windows code page of a character set as the C libraries name it; 0 for UTF-8 or unknown.
UINT CodePageNamed(std::string name) {
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    struct Named {
        const char* name;
        UINT codePage;
    };
    static constexpr Named kNames[] = {{"KOI8-R", 20866},     {"KOI8-U", 21866},
                                       {"ISO-8859-5", 28595}, {"ISO-8859-1", 28591},
                                       {"CP866", 866},        {"IBM866", 866}};
    for (const Named& known : kNames) {
        if (name == known.name) return known.codePage;
    }
    for (const char* prefix : {"CP", "WINDOWS-"}) {
        const std::size_t length = std::strlen(prefix);
        if (name.size() > length && name.compare(0, length, prefix) == 0) {
            const unsigned long number = std::strtoul(name.c_str() + length, nullptr, 10);
            return number == CP_UTF8 ? 0 : static_cast<UINT>(number);
        }
    }
    return 0;
}

}  // namespace

Cp1251Encoder::Cp1251Encoder() : converter_(nullptr) {}

Cp1251Encoder::~Cp1251Encoder() = default;

std::size_t Cp1251Encoder::EncodeNonAscii(std::string_view utf8, char* out) {
    // One character at a time, straight into `out`: nothing is allocated.
    char* next = out;
    while (!utf8.empty()) {
        const Decoded d = DecodeOne(utf8);
        utf8.remove_prefix(d.bytes);
        BOOL usedDefault = FALSE;
        if (d.count == 0 ||
            ::WideCharToMultiByte(kCyrillicCodePage, WC_NO_BEST_FIT_CHARS, d.units, d.count, next,
                                  1, "?", &usedDefault) != 1 ||
            usedDefault) {
            *next = '?';
        }
        ++next;
    }
    return static_cast<std::size_t>(next - out);
}

std::string LocaleTextToUtf8(std::string_view text, const std::string& charset) {
    const UINT codePage = CodePageNamed(charset);
    if (IsAscii(text) || codePage == 0) return std::string(text);
    return FromCodePage(text, codePage);
}

std::optional<std::string> Utf8ToSettingsText(std::string_view utf8) {
    const UINT codePage = ::GetACP();
    if (IsAscii(utf8) || codePage == CP_UTF8) return std::string(utf8);
    return ToCodePage(utf8, codePage);
}

std::string SettingsTextToUtf8(std::string_view text) {
    return SettingsTextToUtf8(text, ::GetACP());
}

std::string SettingsTextToUtf8(std::string_view text, unsigned codePage) {
    if (IsAscii(text)) return std::string(text);
    // Bytes the code page has no character for (a lead byte without its second byte in a
    // double-byte code page, a file from a system of another code page) would otherwise turn
    // into other characters, and a path into the name of some other file.
    const int size = static_cast<int>(text.size());
    const int length =
        ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    return Narrow(wide);
}

}  // namespace ts

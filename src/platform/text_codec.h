#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ts {

// Turns the program's UTF-8 text into the single-byte Cyrillic code page of
// the result file. One converter lives for the whole run, so a line costs no
// set-up and no allocation.
class Cp1251Encoder {
public:
    Cp1251Encoder();
    Cp1251Encoder(const Cp1251Encoder&) = delete;
    Cp1251Encoder& operator=(const Cp1251Encoder&) = delete;
    ~Cp1251Encoder();

    // Writes the code page 1251 form of `utf8` to `out`, which must hold at
    // least utf8.size() bytes (no character grows). A character the code page
    // lacks, or a broken UTF-8 sequence, becomes one '?'. Returns the length.
    std::size_t Encode(std::string_view utf8, char* out);
    std::string Encode(std::string_view utf8);

private:
    std::size_t EncodeNonAscii(std::string_view utf8, char* out);

    // Linux: the iconv_t, or nullptr when the C library has no such converter. Windows converts
    // one character at a time and needs none.
    void* converter_;
};

// Length of the UTF-8 sequence that starts with `lead` (1 for a stray byte).
std::size_t Utf8SequenceLength(unsigned char lead);

// Whether every byte of `text` is ASCII, the same in UTF-8 and in every code page the program
// meets.
bool IsAscii(std::string_view text);

// Text that came from the regional settings (formats, names) is in the
// locale's character set; the program works in UTF-8.
std::string LocaleTextToUtf8(std::string_view text, const std::string& charset);

// The text lines of the settings file (description, serial, table paths) are kept as the
// original program keeps them: in the system's ANSI code page on Windows, so that either
// program reads the other's file; as they are (UTF-8) on Linux. Nothing when the code page has
// no place for a character of `utf8`: such text is not to be written as question marks. Read
// text with bytes the code page cannot decode comes back empty: the value counts as not set (no
// instrument chosen, no table for that channel) rather than as a changed name that could lead to
// another device or file.
std::optional<std::string> Utf8ToSettingsText(std::string_view utf8);
std::string SettingsTextToUtf8(std::string_view text);

}  // namespace ts

#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ts {

// Letter-wise helpers for UTF-8 captions: a letter is never cut in half.
// Bytes that do not form valid UTF-8 count as letters of their own.

std::size_t Utf8Letters(std::string_view text);
// The first `letters` letters of `text` (all of it when shorter).
std::string_view Utf8FirstLetters(std::string_view text, std::size_t letters);
// Removes the last `letters` letters (all of them when there are fewer).
void Utf8DropLastLetters(std::string& text, std::size_t letters);

}  // namespace ts

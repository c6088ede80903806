#pragma once

#include <string>
#include <string_view>

namespace ts::win32 {

// The program's texts are UTF-8; the system's wide (W) functions take UTF-16.
std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);

}  // namespace ts::win32

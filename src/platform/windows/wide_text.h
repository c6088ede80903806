#pragma once

#include <string>
#include <string_view>

namespace ts {

// The program's UTF-8 text as the UTF-16 the wide Windows functions take, and back. A broken
// UTF-8 sequence becomes U+FFFD, so no name is cut short silently.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The system's description of a Windows error code, in UTF-8, without the line end.
std::string SystemErrorText(unsigned long code);

}  // namespace ts

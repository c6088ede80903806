// A stand-in for devcon.exe in tests of the link supervision on Windows: appends the command
// line it was started with, exactly as the system handed it over (UTF-16, written as UTF-8), as
// one line to the file named by TS_DEVCON_LOG, and succeeds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main() {
    const char* log = std::getenv("TS_DEVCON_LOG");
    if (log == nullptr) return 1;
    const wchar_t* line = ::GetCommandLineW();
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(bytes > 0 ? bytes : 1), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line, -1, text.data(), bytes, nullptr, nullptr);
    std::FILE* file = std::fopen(log, "ab");
    if (file == nullptr) return 1;
    std::fprintf(file, "%s\n", text.c_str());
    return std::fclose(file) == 0 ? 0 : 1;
}

// A stand-in for devcon.exe in tests of the link supervision on Windows: appends the command
// line it was started with, exactly as the system handed it over, as one line to the file
// named by TS_DEVCON_LOG, and succeeds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main() {
    const char* log = std::getenv("TS_DEVCON_LOG");
    if (log == nullptr) return 1;
    std::FILE* file = std::fopen(log, "ab");
    if (file == nullptr) return 1;
    std::fprintf(file, "%s\n", ::GetCommandLineA());
    return std::fclose(file) == 0 ? 0 : 1;
}

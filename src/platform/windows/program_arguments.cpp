#include "platform/program_arguments.h"

#include <windows.h>
// After windows.h, which it builds on.
#include <shellapi.h>

#include "platform/windows/wide_text.h"

namespace ts {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
        return arguments;
    }
    for (int i = 1; i < count; ++i) arguments.push_back(Narrow(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

}  // namespace ts

// Any bytes as a command line: splitting must never crash, and must never
// make more arguments than the line has characters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const auto arguments = ts::SplitCommandLine(line);
    if (arguments.size() > size + 1) __builtin_trap();
    std::size_t characters = 0;
    for (const std::string& argument : arguments) characters += argument.size();
    if (characters > size) __builtin_trap();
    // Splitting is a function of the line alone.
    if (ts::SplitCommandLine(line) != arguments) __builtin_trap();
    return 0;
}

#include "platform/command_line.h"

namespace ts {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> arguments;
    std::size_t at = 0;
    const std::size_t end = line.size();

    while (at < end && IsBlank(line[at])) ++at;
    if (at == end) return arguments;

    std::string program;
    bool quoted = false;
    for (; at < end && (quoted || !IsBlank(line[at])); ++at) {
        if (line[at] == '"') {
            quoted = !quoted;
        } else {
            program.push_back(line[at]);
        }
    }
    arguments.push_back(std::move(program));

    while (true) {
        while (at < end && IsBlank(line[at])) ++at;
        if (at == end) break;

        std::string argument;
        quoted = false;
        while (at < end && (quoted || !IsBlank(line[at]))) {
            std::size_t backslashes = 0;
            while (at < end && line[at] == '\\') {
                ++backslashes;
                ++at;
            }
            if (at < end && line[at] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument.push_back('"');
                } else if (quoted && at + 1 < end && line[at + 1] == '"') {
                    argument.push_back('"');
                    ++at;
                } else {
                    quoted = !quoted;
                }
                ++at;
            } else {
                argument.append(backslashes, '\\');
                if (at < end && (quoted || !IsBlank(line[at]))) {
                    argument.push_back(line[at]);
                    ++at;
                }
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

}  // namespace ts

#include "record/chain_lines.h"

#include "base/texts.h"
#include "platform/text_codec.h"

namespace ts {

namespace {

struct Words {
    std::string started, part, start, file, goesOn;
};

// The texts as the file has them: encoded once.
const Words& FileWords() {
    static const Words words = [] {
        Cp1251Encoder encoder;
        return Words{
            encoder.Encode(text::kResultStarted), encoder.Encode(text::kResultCarriedOnPart),
            encoder.Encode(text::kResultCarriedOnStart), encoder.Encode(text::kResultCarriedOnFile),
            encoder.Encode(text::kResultGoesOn)};
    }();
    return words;
}

// A stamp never lacks its date and time, nor holds a line break.
bool IsStamp(std::string_view stamp) {
    return stamp.find(' ') != std::string_view::npos &&
           stamp.find_first_of("\r\n") == std::string_view::npos;
}

bool IsName(std::string_view name) {
    return !name.empty() && name.find_first_of("/\\\r\n") == std::string_view::npos;
}

}  // namespace

std::string ChainLinkLine(std::string_view stamp, const ChainLink& link) {
    const Words& w = FileWords();
    std::string line(stamp);
    line += w.part;
    line += std::to_string(link.part);
    line += w.start;
    line += link.started;
    line += w.file;
    line += link.first;
    line += "\r\n";
    return line;
}

std::optional<ChainLink> ParseChainLink(std::string_view line) {
    const Words& w = FileWords();
    const std::size_t at = line.find(w.part);
    if (at == std::string_view::npos || !IsStamp(line.substr(0, at))) return std::nullopt;
    std::string_view rest = line.substr(at + w.part.size());
    ChainLink link;
    std::size_t digits = 0;
    while (digits < rest.size() && digits < 7 && rest[digits] >= '0' && rest[digits] <= '9') {
        link.part = link.part * 10 + (rest[digits++] - '0');
    }
    rest.remove_prefix(digits);
    if (link.part < 2 || rest.substr(0, w.start.size()) != w.start) return std::nullopt;
    rest.remove_prefix(w.start.size());
    const std::size_t file = rest.find(w.file);
    if (file == std::string_view::npos || !IsStamp(rest.substr(0, file))) return std::nullopt;
    link.started = rest.substr(0, file);
    link.first = rest.substr(file + w.file.size());
    if (!IsName(link.first)) return std::nullopt;
    return link;
}

std::string GoesOnLine(std::string_view stamp, std::string_view fileName) {
    std::string line(stamp);
    line += FileWords().goesOn;
    line += fileName;
    line += "\r\n";
    return line;
}

std::optional<std::string> ParseGoesOn(std::string_view line) {
    const Words& w = FileWords();
    const std::size_t at = line.find(w.goesOn);
    if (at == std::string_view::npos || !IsStamp(line.substr(0, at))) return std::nullopt;
    const std::string_view name = line.substr(at + w.goesOn.size());
    if (!IsName(name)) return std::nullopt;
    return std::string(name);
}

std::optional<std::string> StartStampOf(std::string_view line) {
    const std::string& started = FileWords().started;
    if (line.size() <= started.size() || line.substr(line.size() - started.size()) != started) {
        return std::nullopt;
    }
    const std::string_view stamp = line.substr(0, line.size() - started.size());
    if (!IsStamp(stamp)) return std::nullopt;
    return std::string(stamp);
}

std::string_view FileNameOfPath(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace ts

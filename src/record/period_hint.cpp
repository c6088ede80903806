#include "record/period_hint.h"

#include "base/texts.h"

namespace ts {

std::string RecordPeriodHint(std::string_view caption) {
    std::size_t end = caption.size();
    // The caption's last letter, one character of one or more UTF-8 bytes.
    do --end;
    while (end > 0 && (static_cast<unsigned char>(caption[end]) & 0xC0) == 0x80);
    return std::string(text::kRecordPeriodHintPrefix) + std::string(caption.substr(0, end)) +
           std::string(text::kRecordPeriodHintSuffix);
}

}  // namespace ts

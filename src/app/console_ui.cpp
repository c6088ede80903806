#include "app/console_ui.h"

namespace ts {

void ConsoleUi::Print(std::string_view text) {
    ++messages_;
    // The window's texts carry blanks for their box; a log line does without.
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    std::fprintf(out_, "trend-record: %.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(out_);
}

}  // namespace ts

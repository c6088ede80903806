// Any bytes as Settings.bin: reading must never crash, hang or grow without
// bound, and a numeric line that is read back is what the grammar says.
#include <sys/mman.h>
#include <unistd.h>

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/settings_file.h"
#include "app/settings_integer.h"
#include "app/station.h"
#include "sim/sim_driver.h"
#include "sim/test_platform.h"
#include "sim/test_ui.h"

namespace {

// Writing a value as the program saves it and reading it back gives it again.
void CheckIntegerRoundTrip(std::int32_t value) {
    char text[16];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    const auto back = ts::ParseSettingsInteger({text, static_cast<std::size_t>(end - text)});
    if (!back || *back != value) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto number = ts::ParseSettingsInteger(bytes)) CheckIntegerRoundTrip(*number);

    static const int fd = memfd_create("settings", MFD_CLOEXEC);
    if (fd < 0) return 0;
    if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) {
        return 0;
    }
    static ts::sim::SimDriver driver;
    static ts::sim::TestPlatform platform;
    static ts::sim::TestUi ui;
    auto station = std::make_unique<ts::Station>(driver, platform, ui);
    const ts::SettingsReadOutcome outcome = ts::ApplySettingsFile(
        {station->form(), station->link(), station->measurement().Tables(), station->chart()},
        "/proc/self/fd/" + std::to_string(fd));
    if (!outcome.readable) __builtin_trap();
    const int scale = station->form().RadioGroup_X;
    if (scale < -1 || scale > 24) __builtin_trap();
    const int threshold = station->form().ComboBox_FileOnChangeThresh.ItemIndex;
    if (threshold < -1 || threshold > 98) __builtin_trap();
    int selected = 0;
    for (const auto& radio : station->form().RadioB_File) selected += radio.Checked ? 1 : 0;
    if (selected > 1) __builtin_trap();
    return 0;
}

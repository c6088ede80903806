// trend-station.exe: the station's window on Windows.
#include <string>
#include <vector>

#include "app/build_config.h"
#include "app/texts.h"
#include "app/window_options.h"
#include "device/d2xx/d2xx_driver.h"
#include "main_window.h"
#include "platform/system_platform.h"
#include "user_data_folder.h"
#include "wide_text.h"
#include "win32.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: trend-station [OPTION]...\n"
    "Shows, charts and records the six channels of a КСЛ214.8Н recorder attached\n"
    "through its USB bridge.\n\n"
    "The settings (Settings.bin) are kept in the working folder, or with --user-data\n"
    "in %LOCALAPPDATA%\\trend-station.\n\n"
    "Options:\n"
    "  --user-data   work in the per-user data folder, created when missing; the\n"
    "                Start menu shortcut starts the program so\n"
    "  --help        show this help and exit\n"
    "  --version     show the version and exit\n";

std::vector<std::string> Arguments() {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) arguments.push_back(ts::win32::Utf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

// A window program has no console of its own: the text goes to the console it was started
// from, or into a box when there is none.
void Tell(std::string_view text, bool error) {
    const std::wstring wide = ts::win32::Wide(text);
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        const HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
        DWORD written = 0;
        WriteConsoleW(out, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
        FreeConsole();
        return;
    }
    MessageBoxW(nullptr, wide.c_str(), L"trend-station", MB_OK | (error ? MB_ICONERROR : 0));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    const std::vector<std::string> arguments = Arguments();
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    const ts::WindowOptions options = ts::ParseWindowOptions(pointers, false);
    if (!options.error.empty()) {
        Tell("trend-station: " + options.error + "\n", true);
        return 2;
    }
    if (options.help) {
        Tell(kUsage, false);
        return 0;
    }
    if (options.version) {
        Tell("trend-station " + std::string(ts::kVersion) + "\n", false);
        return 0;
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    if (options.userData) {
        std::string why;
        if (!ts::win32::EnterUserDataFolder(why)) {
            const std::wstring text =
                ts::win32::Wide(std::string(ts::text::kMsgDataFolderFailed) + why);
            MessageBoxW(nullptr, text.c_str(), ts::win32::Wide(ts::text::kAppTitle).c_str(), MB_OK);
            return 1;
        }
    }
    // The 10 ms timer needs the system's clock to tick at least that often.
    timeBeginPeriod(1);
    int status = 0;
    {
        ts::D2xxDriver driver;
        if (driver.LibraryMissing()) {
            // Said once, before the window: the window then finds no instrument, as without one.
            MessageBoxW(nullptr, ts::win32::Wide(ts::text::kMsgD2xxDriverMissing).c_str(),
                        ts::win32::Wide(ts::text::kAppTitle).c_str(), MB_OK);
        }
        ts::SystemPlatform platform;
        ts::win32::TMF window(driver, platform);
        ShowWindow(window.hwnd(), show);
        UpdateWindow(window.hwnd());
        status = ts::win32::RunMessageLoop(window);
    }
    timeEndPeriod(1);
    return status;
}

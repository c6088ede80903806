// trend-station.exe: the station's window on Windows.
#include <string>
#include <vector>

#include "app/window_options.h"
#include "base/texts.h"
#include "device/bridge_driver.h"
#include "fine_timer.h"
#include "main_window.h"
#include "platform/library_search.h"
#include "platform/program_arguments.h"
#include "platform/running_mark.h"
#include "platform/system_platform.h"
#include "platform/windows/recording_window.h"
#include "platform/windows/wide_text.h"
#include "win32.h"

namespace {

// A window program has no console of its own: the text goes to the console it was started
// from, or into a box when there is none.
void Tell(std::string_view text, bool error) {
    const std::wstring wide = ts::Widen(text);
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        const HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
        DWORD written = 0;
        WriteConsoleW(out, wide.c_str(), static_cast<DWORD>(wide.size()), &written, nullptr);
        FreeConsole();
        return;
    }
    MessageBoxW(nullptr, wide.c_str(), L"trend-station", MB_OK | (error ? MB_ICONERROR : 0));
}

// A plain box of the program's, before its window exists.
void Say(std::string_view text) {
    MessageBoxW(nullptr, ts::Widen(text).c_str(), ts::Widen(ts::text::kAppTitle).c_str(), MB_OK);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
    ts::SearchOnlyTheSystemFolderForLibraries();
    ts::HoldRunningMark();
    const std::vector<std::string> arguments = ts::ProgramArguments(0, nullptr);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    const ts::WindowOptions options = ts::ParseWindowOptions(pointers, false, false);
    std::string folderError;
    if (const auto status =
            ts::ActBeforeWindow(options, {.qtOptions = false, .tell = Tell}, folderError)) {
        return *status;
    }
    if (!folderError.empty()) {
        Say(std::string(ts::text::kMsgDataFolderFailed) + folderError);
        return 1;
    }
    int status = 0;
    {
        const ts::win32::FineTimer fineTimer;
        ts::BridgeDriver bridge = ts::MakeBridgeDriver();
        // Said once, before the window: the window then finds no instrument, as without one.
        // A recording opened at the start comes first, and this stands beside it.
        const bool reviewsFirst = !options.open.empty();
        if (!bridge.problem.empty() && !reviewsFirst) Say(bridge.problem);
        // How Windows starts the program again so that a recording cut by an update's restart
        // goes on, and where it names the recording that holds up a shutdown: a recording that
        // a resume starts while the window is being made gets both as they come.
        std::string restart;
        for (const std::string& argument : arguments)
            restart += (restart.empty() ? "" : " ") + argument;
        ts::SetRestartArguments(ts::Widen(restart));
        ts::SystemPlatform platform;
        ts::win32::TMF window(
            *bridge.driver, platform,
            reviewsFirst ? ts::win32::TMF::Start::Reviews : ts::win32::TMF::Start::MainWindow);
        ts::SetShutdownReasonWindow(window.hwnd());
        ShowWindow(window.hwnd(), show);
        UpdateWindow(window.hwnd());
        if (reviewsFirst) window.OpenAtStart(options.open, bridge.problem);
        status = ts::win32::RunMessageLoop(window);
        ts::SetShutdownReasonWindow(nullptr);
    }
    return status;
}

#include <windows.h>

#include "device/d2xx/d2xx_driver.h"
#include "platform/windows/system_folders.h"

namespace ts {

std::wstring D2xxLibraryPath() {
    // Set but empty counts as asked too: a test that wants the library without a bridge.
    const bool emulated = ::GetEnvironmentVariableW(L"TS_EMULATED_BRIDGES", nullptr, 0) > 0;
    const std::wstring folder = emulated ? ProgramFolder() : SystemFolder();
    // Without a folder, no path at all: a bare name would be searched for.
    return folder.empty() ? std::wstring() : folder + L"\\ftd2xx.dll";
}

}  // namespace ts

// Paths that name a device are refused before anything is opened, by every way the program opens
// or looks at a file; a network share is a file like any other.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "platform/atomic_file.h"
#include "platform/file_status.h"
#include "platform/system_file.h"
#include "platform/windows/open_file.h"
#include "platform/windows/wide_text.h"

namespace ts {
namespace {

TEST(DevicePathTest, DevicesAndReservedNamesInAnyFolderButNotFilesSharesOrLongForms) {
    struct Row {
        const wchar_t* path;
        bool device;
    };
    const Row rows[] = {
        {L"\\\\.\\pipe\\tables", true},
        {L"//./COM1", true},
        {L"\\\\?\\COM1", true},
        {L"\\\\?\\pipe\\tables", true},
        {L"\\\\?\\C:", true},  // the volume itself
        {L"\\\\?\\GLOBALROOT\\Device\\Serial0", true},
        {L"\\\\?\\C:\\tables\\nul.txt", true},
        {L"//?/C:/tables/t1.txt", true},  // only backslashes make the long form
        {L"COM1", true},
        {L"C:\\tables\\com9.txt", true},
        {L"D:/x/LPT\u00B9", true},
        {L"nul ", true},
        {L"Con.tar.gz", true},
        {L"CONOUT$", true},
        {L"aux:stream", true},
        {L"C:COM1", true},  // on the drive's current folder, still the port
        {L"c:nul.txt", true},
        {L"COM1 .", true},
        {L"C:\\tables\\LPT2. .", true},
        {L"\\\\server\\share\\tables\\t1.txt", false},
        {L"\\\\?\\C:\\tables\\t1.txt", false},  // the long form of a file's name
        {L"\\??\\c:\\t1.txt", false},
        {L"\\\\?\\UNC\\server\\share\\t1.txt", false},
        {L"\\\\?\\Volume{8f1e2c3d-0000-0000-0000-100000000000}\\t1.txt", false},
        {L"C:\\tables\\COM10.txt", false},
        {L"C:\\CON\\t1.txt", false},  // a folder of that name cannot be made; the open fails
        {L"console.txt", false},
    };
    for (const Row& row : rows) EXPECT_EQ(IsDevicePath(row.path), row.device) << Narrow(row.path);
}

// A pipe that a settings file could name: whoever serves it would act with the program's rights
// once connected. It stays unconnected through every kind of open and look.
TEST(DevicePathTest, NoWayOfOpeningConnectsToAPipe) {
    const std::string name = "\\\\.\\pipe\\ts-device-test-" + std::to_string(GetCurrentProcessId());
    const HANDLE server = CreateNamedPipeW(Widen(name).c_str(), PIPE_ACCESS_DUPLEX,
                                           PIPE_TYPE_BYTE | PIPE_NOWAIT, 4, 512, 512, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    const std::function<bool()> opens[] = {
        [&] { return SystemFile().OpenRegularForReading(name); },
        [&] { return SystemFile().OpenForWriting(name, true); },
        [&] { return ReplaceFileContents(name, "x"); },
        [&] { return MayWriteFile(name); },
        [&] { return IsFolder(name); },
        [&] { return !FileMissing(name); },
    };
    for (std::size_t i = 0; i < std::size(opens); ++i) EXPECT_FALSE(opens[i]()) << "open " << i;
    EXPECT_FALSE(NothingAt(name)) << "a device is not nothing";
    // Listening still: no client has come, or gone.
    EXPECT_FALSE(ConnectNamedPipe(server, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PIPE_LISTENING));
    CloseHandle(server);
}

}  // namespace
}  // namespace ts

// devcon.exe for Windows: disables or enables one device instance, so that an instrument's USB
// bridge that has stopped talking is dropped and detected anew by Windows.
//
//   devcon.exe [--dry-run] disable|enable "@USB\VID_0403&PID_6001\SERIAL"
//
// The link supervision starts it with exactly these two command lines and reads nothing back, so
// the messages and the exit status are for a person running it by hand; they match those of the
// Linux tool of the same name. The "@" marks an instance path, the device's own id, not a
// pattern. Windows lets only an administrator disable a device: without that right the tool says
// so rather than leaving the caller to guess from an error number.
//
// The device is found and changed through SetupAPI, the way Device Manager does it: the change
// goes through the device's class installer, which may take part in it or ask for a restart.
// --dry-run finds the device and prints the change it would ask of the class installer, then
// stops: how a test sees, where the system carries out no change (wine), which change each
// command asks for.

#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace {

constexpr int kFailed = 1;
constexpr int kMisused = 2;

// Standard error as UTF-8 when redirected (what a log or a test reads), as UTF-16 on a console
// (where a serial number in any script shows as it is).
void write_error(std::wstring_view text) {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    DWORD mode = 0;
    if (GetConsoleMode(error, &mode)) {
        WriteConsoleW(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), bytes, nullptr, nullptr);
    WriteFile(error, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

int fail(std::wstring_view message, int status = kFailed) {
    write_error(L"devcon.exe: " + std::wstring(message) + L"\n");
    return status;
}

int usage() {
    return fail(LR"(usage: devcon.exe [--dry-run] disable|enable "@USB\VID_xxxx&PID_xxxx\SERIAL")",
                kMisused);
}

// " (error 0x...)" after a message, or nothing where Windows gave no reason.
std::wstring reason(DWORD code) {
    if (code == 0) {
        return {};
    }
    std::wstring digits;
    for (; code != 0; code /= 16) {
        digits.insert(digits.begin(), L"0123456789ABCDEF"[code % 16]);
    }
    return L" (error 0x" + digits + L")";
}

// Whether this process holds the Administrators group in force: under User Account Control an
// administrator's ordinary token carries the group only for denial, and Windows would refuse the
// change.
bool running_as_administrator() {
    SID_IDENTIFIER_AUTHORITY nt_authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&nt_authority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators)) {
        return false;
    }
    BOOL member = FALSE;
    if (!CheckTokenMembership(nullptr, administrators, &member)) {
        member = FALSE;
    }
    FreeSid(administrators);
    return member != FALSE;
}

const std::wstring_view kNeedsAdministrator =
    L"only an administrator may disable or enable a device: run it from a command prompt "
    L"started with \"Run as administrator\"";

// The set of one device that SetupAPI hands out, freed on every way out.
struct DeviceSet {
    HDEVINFO handle = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    DeviceSet() = default;
    DeviceSet(const DeviceSet&) = delete;
    DeviceSet& operator=(const DeviceSet&) = delete;
    ~DeviceSet() {
        if (handle != INVALID_HANDLE_VALUE) {
            SetupDiDestroyDeviceInfoList(handle);
        }
    }
};

// A registered device that is not plugged in keeps its entry; only one whose node is in the
// running tree can be disabled or enabled now.
bool present(DEVINST node) {
    ULONG status = 0;
    ULONG problem = 0;
    const CONFIGRET result = CM_Get_DevNode_Status(&status, &problem, node, 0);
    return result != CR_NO_SUCH_DEVINST && result != CR_INVALID_DEVINST;
}

// The change Device Manager asks for: the state, in the current hardware profile only.
SP_PROPCHANGE_PARAMS PropertyChange(bool disable) {
    SP_PROPCHANGE_PARAMS change{};
    change.ClassInstallHeader.cbSize = sizeof change.ClassInstallHeader;
    change.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    change.StateChange = disable ? DICS_DISABLE : DICS_ENABLE;
    change.Scope = DICS_FLAG_CONFIGSPECIFIC;
    change.HwProfile = 0;
    return change;
}

std::wstring Named(DWORD value, std::initializer_list<std::pair<DWORD, const wchar_t*>> names) {
    for (const auto& [known, name] : names) {
        if (known == value) {
            return std::wstring(name) + L" (" + std::to_wstring(value) + L")";
        }
    }
    return std::to_wstring(value);
}

// What a dry run prints of the change, on standard output, one line.
std::wstring Describe(const SP_PROPCHANGE_PARAMS& change) {
    return L"function " +
           Named(change.ClassInstallHeader.InstallFunction,
                 {{DIF_PROPERTYCHANGE, L"DIF_PROPERTYCHANGE"}}) +
           L", state " +
           Named(change.StateChange,
                 {{DICS_ENABLE, L"DICS_ENABLE"}, {DICS_DISABLE, L"DICS_DISABLE"}}) +
           L", scope " +
           Named(change.Scope, {{DICS_FLAG_GLOBAL, L"DICS_FLAG_GLOBAL"},
                                {DICS_FLAG_CONFIGSPECIFIC, L"DICS_FLAG_CONFIGSPECIFIC"}}) +
           L", hardware profile " + std::to_wstring(change.HwProfile);
}

void write_output(std::wstring_view text) {
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), bytes, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()),
              &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // It runs with an administrator's rights: whatever SetupAPI loads on its behalf comes from
    // the system folder, never from beside it or the working folder.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
    const bool dry_run = argc == 4 && std::wstring_view(argv[1]) == L"--dry-run";
    if (argc != 3 && !dry_run) {
        return usage();
    }
    if (dry_run) {
        ++argv;
    }
    const std::wstring_view action = argv[1];
    const bool disable = action == L"disable";
    if (!disable && action != L"enable") {
        return usage();
    }
    const std::wstring_view target = argv[2];
    if (target.size() < 2 || target.front() != L'@') {
        return fail(L"not a device instance path: " + std::wstring(target), kMisused);
    }
    const std::wstring instance(target.substr(1));
    const std::wstring no_device = L"no device with the instance path " + instance;

    DeviceSet devices;
    if (devices.handle == INVALID_HANDLE_VALUE) {
        return fail(L"cannot ask Windows for its devices" + reason(GetLastError()));
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!SetupDiOpenDeviceInfoW(devices.handle, instance.c_str(), nullptr, 0, &device)) {
        const DWORD error = GetLastError();
        if (error == ERROR_NO_SUCH_DEVINST || error == ERROR_INVALID_DEVINST_NAME) {
            return fail(no_device);
        }
        return fail(L"cannot look up the device " + instance + reason(error));
    }
    if (!present(device.DevInst)) {
        return fail(no_device + L" plugged in");
    }
    SP_PROPCHANGE_PARAMS change = PropertyChange(disable);
    if (dry_run) {
        write_output(L"would ask the class installer of " + instance + L": " + Describe(change) +
                     L"\n");
        return 0;
    }
    if (!running_as_administrator()) {
        return fail(kNeedsAdministrator);
    }
    if (!SetupDiSetClassInstallParamsW(devices.handle, &device, &change.ClassInstallHeader,
                                       sizeof change) ||
        !SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, devices.handle, &device)) {
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED) {
            return fail(kNeedsAdministrator);
        }
        return fail(L"cannot " + std::wstring(action) + L" the device " + instance + reason(error));
    }

    // A driver that will not let go of the device now leaves the change to the next restart,
    // which does not give the instrument back any sooner.
    SP_DEVINSTALL_PARAMS_W install{};
    install.cbSize = sizeof install;
    if (SetupDiGetDeviceInstallParamsW(devices.handle, &device, &install) &&
        (install.Flags & (DI_NEEDREBOOT | DI_NEEDRESTART)) != 0) {
        return fail(L"Windows will " + std::wstring(action) + L" the device " + instance +
                    L" only after a restart: a program or driver holding it refused");
    }
    return 0;
}

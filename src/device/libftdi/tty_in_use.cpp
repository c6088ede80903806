#include "device/libftdi/tty_in_use.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace ts {
namespace {

// Directory opened close-on-exec, so a program started while we scan inherits nothing.
class Directory {
public:
    Directory(int parentFd, const std::string& path) {
        const int fd = openat(parentFd, path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            dir_ = fdopendir(fd);
            if (dir_ == nullptr) {
                close(fd);
            }
        }
    }
    ~Directory() {
        if (dir_ != nullptr) {
            closedir(dir_);
        }
    }
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    bool IsOpen() const { return dir_ != nullptr; }
    int Fd() const { return dirfd(dir_); }

    // Next entry name other than "." and ".."; empty at the end.
    std::string_view Next() {
        while (const dirent* entry = readdir(dir_)) {
            const std::string_view name(entry->d_name);
            if (name != "." && name != "..") {
                return name;
            }
        }
        return {};
    }

private:
    DIR* dir_ = nullptr;
};

bool IsNumber(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Interface folders are "<device>:<configuration>.<interface>"; child devices behind a hub
// ("<device>.<port>") are not ours.
bool IsInterfaceOf(std::string_view entry, std::string_view deviceName) {
    return entry.size() > deviceName.size() && entry.substr(0, deviceName.size()) == deviceName &&
           entry[deviceName.size()] == ':';
}

bool HoldsAny(int fdDirFd, std::string_view link, const std::vector<std::string>& paths) {
    std::array<char, 4096> target{};
    const ssize_t length =
        readlinkat(fdDirFd, std::string(link).c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) {
        return false;
    }
    const std::string_view held(target.data(), static_cast<std::size_t>(length));
    return std::find(paths.begin(), paths.end(), held) != paths.end();
}

}  // namespace

std::string UsbSysfsName(std::uint8_t bus, std::span<const std::uint8_t> ports) {
    std::string name = std::to_string(bus);
    char separator = '-';
    for (const std::uint8_t port : ports) {
        name += separator;
        name += std::to_string(port);
        separator = '.';
    }
    return name;
}

std::vector<std::string> UsbDeviceTtys(const std::string& usbDevicesRoot,
                                       const std::string& deviceName) {
    std::vector<std::string> ttys;
    Directory device(AT_FDCWD, usbDevicesRoot + "/" + deviceName);
    if (!device.IsOpen()) {
        return ttys;
    }
    for (std::string_view entry = device.Next(); !entry.empty(); entry = device.Next()) {
        if (!IsInterfaceOf(entry, deviceName)) {
            continue;
        }
        Directory interface(device.Fd(), std::string(entry));
        if (!interface.IsOpen()) {
            continue;
        }
        for (std::string_view port = interface.Next(); !port.empty(); port = interface.Next()) {
            if (port.starts_with("ttyUSB")) {
                ttys.emplace_back(port);
            }
        }
    }
    return ttys;
}

bool AnyHeldOpen(const std::string& procRoot, const std::vector<std::string>& paths) {
    if (paths.empty()) {
        return false;
    }
    Directory proc(AT_FDCWD, procRoot);
    if (!proc.IsOpen()) {
        // Without a process list we cannot prove the port is free.
        return true;
    }
    for (std::string_view pid = proc.Next(); !pid.empty(); pid = proc.Next()) {
        if (!IsNumber(pid)) {
            continue;
        }
        // Other users' descriptors are unreadable without privileges; a process may also have
        // ended since the listing.
        Directory fds(proc.Fd(), std::string(pid) + "/fd");
        if (!fds.IsOpen()) {
            continue;
        }
        for (std::string_view link = fds.Next(); !link.empty(); link = fds.Next()) {
            if (HoldsAny(fds.Fd(), link, paths)) {
                return true;
            }
        }
    }
    return false;
}

bool UsbDeviceTtyInUse(const std::string& usbDevicesRoot, const std::string& procRoot,
                       const std::string& deviceName) {
    std::vector<std::string> paths;
    for (const std::string& tty : UsbDeviceTtys(usbDevicesRoot, deviceName)) {
        paths.push_back("/dev/" + tty);
    }
    return AnyHeldOpen(procRoot, paths);
}

}  // namespace ts

#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace ts {

// A throw-away sysfs USB device folder and /proc in a temporary folder.
class FakeTree {
public:
    FakeTree() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tty_in_use_XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        std::filesystem::create_directories(Usb());
        std::filesystem::create_directories(Proc());
    }
    ~FakeTree() { std::filesystem::remove_all(root_); }
    FakeTree(const FakeTree&) = delete;
    FakeTree& operator=(const FakeTree&) = delete;

    std::string Usb() const { return (root_ / "usb").string(); }
    std::string Proc() const { return (root_ / "proc").string(); }

    // `relative` is below the device folders, e.g. "1-1/1-1:1.0/ttyUSB0".
    void AddUsbDir(const std::string& relative) {
        std::filesystem::create_directories(root_ / "usb" / relative);
    }

    void AddOpenFile(const std::string& pid, const std::string& fd, const std::string& target) {
        const std::filesystem::path fdDir = root_ / "proc" / pid / "fd";
        std::filesystem::create_directories(fdDir);
        std::filesystem::create_symlink(target, fdDir / fd);
    }

    void RemoveProc() { std::filesystem::remove_all(root_ / "proc"); }

private:
    std::filesystem::path root_;
};

}  // namespace ts

#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace ts {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TempFolder {
public:
    TempFolder() : TempFolder(nullptr) {}
    // `existing`, made by another process (the test that started this one), used and left in
    // place when the object goes; a fresh folder as above when it is null.
    explicit TempFolder(const char* existing) {
        if (existing != nullptr) {
            path_ = existing;
            return;
        }
        owned_ = true;
        // A name nobody holds yet, made without mkdtemp, which Windows lacks.
        std::random_device random;
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            // Of one length always, so that a test of a text that holds the path never meets a
            // shorter or longer one by chance.
            char name[24];
            std::snprintf(name, sizeof name, "ts-test-%08x", static_cast<unsigned>(random()));
            const std::filesystem::path candidate = std::filesystem::temp_directory_path() / name;
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) path_ = candidate.string();
        }
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        if (owned_ && !path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
    bool owned_ = false;
};

}  // namespace ts

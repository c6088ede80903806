#include "emulated_d2xx/bridge_bus.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "emulated_bridge/bridge_list.h"

namespace ts::emulated {

namespace {

// The environment as the system holds it (the C library keeps a copy of its own that a caller's
// SetEnvironmentVariableW does not reach), in UTF-8.
std::string Environment(const wchar_t* name) {
    const DWORD length = GetEnvironmentVariableW(name, nullptr, 0);
    if (length == 0) return {};
    std::wstring wide(length, L'\0');
    wide.resize(GetEnvironmentVariableW(name, wide.data(), length));
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), bytes,
                        nullptr, nullptr);
    return text;
}

std::wstring Wide(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

bool ReadCapture(const std::string& path, std::vector<std::uint8_t>& bytes) {
    FILE* file = _wfopen(Wide(path).c_str(), L"rb");
    if (file == nullptr) return false;
    std::uint8_t chunk[65536];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + got);
    const bool complete = std::ferror(file) == 0;
    std::fclose(file);
    return complete;
}

}  // namespace

BridgeBus& BridgeBus::Get() {
    static BridgeBus bus;
    return bus;
}

BridgeBus::BridgeBus() {
    const BridgeList list = ParseBridgeList(Environment(L"TS_EMULATED_BRIDGES"));
    std::size_t queueBytes = D2xxBridge::kQueueBytes;
    if (const std::string text = Environment(L"TS_EMULATED_D2XX_QUEUE_BYTES"); !text.empty())
        queueBytes = std::strtoull(text.c_str(), nullptr, 10);
    for (const std::string& item : list.rejected) {
        std::fprintf(stderr, "emulated D2XX: \"%s\" is not description,serial,capture-file\n",
                     item.c_str());
    }
    for (const BridgeEntry& entry : list.bridges) {
        if (entry.capturePath == "sim") {
            bridges_.emplace_back(entry.description, entry.serial, InstrumentStream::Simulated(),
                                  queueBytes);
            continue;
        }
        std::vector<std::uint8_t> capture;
        if (!ReadCapture(entry.capturePath, capture)) {
            std::fprintf(stderr, "emulated D2XX: cannot read the capture %s; bridge %s left out\n",
                         entry.capturePath.c_str(), entry.serial.c_str());
            continue;
        }
        bridges_.emplace_back(entry.description, entry.serial,
                              InstrumentStream::Capture(std::move(capture)), queueBytes);
    }
}

std::uint32_t BridgeBus::BuildList(Time now) {
    list_.clear();
    for (D2xxBridge& bridge : bridges_) {
        bridge.Advance(now);
        if (bridge.Plugged()) list_.push_back(&bridge);
    }
    return static_cast<std::uint32_t>(list_.size());
}

D2xxBridge* BridgeBus::Listed(std::uint32_t index) {
    if (index >= list_.size() || !list_[index]->Plugged()) return nullptr;
    return list_[index];
}

void* BridgeBus::AddHandle(D2xxBridge& bridge) {
    void* handle = reinterpret_cast<void*>(nextHandle_++);
    handles_.push_back({handle, &bridge});
    return handle;
}

D2xxBridge* BridgeBus::Usable(void* handle, Time now) {
    const auto open = std::find_if(handles_.begin(), handles_.end(),
                                   [handle](const OpenHandle& h) { return h.handle == handle; });
    if (open == handles_.end()) return nullptr;
    open->bridge->Advance(now);
    return open->bridge->Plugged() ? open->bridge : nullptr;
}

bool BridgeBus::RemoveHandle(void* handle) {
    const auto open = std::find_if(handles_.begin(), handles_.end(),
                                   [handle](const OpenHandle& h) { return h.handle == handle; });
    if (open == handles_.end()) return false;
    handles_.erase(open);
    return true;
}

bool BridgeBus::HeldElsewhere(const std::string& serial) const {
    const std::string text = Environment(L"TS_EMULATED_D2XX_HELD");
    for (std::string_view rest = text; !rest.empty();) {
        const std::size_t end = rest.find(';');
        if (rest.substr(0, end) == serial) return true;
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    return false;
}

void BridgeBus::Log(const std::string& line) const {
    const std::string path = Environment(L"TS_EMULATED_D2XX_LOG");
    if (path.empty()) return;
    if (FILE* file = _wfopen(Wide(path).c_str(), L"ab")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

}  // namespace ts::emulated

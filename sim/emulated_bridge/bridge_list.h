#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ts::emulated {

struct BridgeEntry {
    std::string description;
    std::string serial;
    std::string capturePath;
};

struct BridgeList {
    std::vector<BridgeEntry> bridges;
    std::vector<std::string> rejected;  // items without the two commas
};

// Reads "description,serial,capture-file;...". The last two commas of an item separate its
// fields, so a description may itself hold commas; empty items are passed over.
BridgeList ParseBridgeList(std::string_view text);

}  // namespace ts::emulated

#include "emulated_bridge/bridge_list.h"

namespace ts::emulated {

BridgeList ParseBridgeList(std::string_view text) {
    BridgeList list;
    while (!text.empty()) {
        const std::size_t end = text.find(';');
        const std::string_view item = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (item.empty()) continue;
        const std::size_t pathComma = item.rfind(',');
        const std::size_t serialComma = pathComma == 0 || pathComma == std::string_view::npos
                                            ? std::string_view::npos
                                            : item.rfind(',', pathComma - 1);
        if (serialComma == std::string_view::npos) {
            list.rejected.emplace_back(item);
            continue;
        }
        list.bridges.push_back(
            {std::string(item.substr(0, serialComma)),
             std::string(item.substr(serialComma + 1, pathComma - serialComma - 1)),
             std::string(item.substr(pathComma + 1))});
    }
    return list;
}

}  // namespace ts::emulated

#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace ts {

// UTF-8 texts of the core to and from Qt.
inline QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string U8(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace ts

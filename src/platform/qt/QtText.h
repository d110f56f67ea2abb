#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace zanver {

// Program text (8-bit, the system's code page) to and from Qt strings.
inline QString ToQString(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}
inline std::string FromQString(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

}  // namespace zanver

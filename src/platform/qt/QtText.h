#pragma once

#include <QString>
#include <QStringEncoder>

#include <string>
#include <string_view>

namespace zanver {

// Program text to and from Qt strings. Program text is 8-bit: the ANSI code
// page on Windows (as the registry's ...A functions give it), UTF-8 elsewhere.
inline QString ToQString(std::string_view text) {
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
#else
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
#endif
}

inline std::string FromQString(const QString& text) {
#ifdef Q_OS_WIN
    return text.toLocal8Bit().toStdString();
#else
    // Encoded straight into the result: clipboard texts run to megabytes.
    QStringEncoder encoder(QStringConverter::Utf8);
    std::string result(static_cast<std::size_t>(encoder.requiredSpace(text.size())), '\0');
    char* end = encoder.appendToBuffer(result.data(), text);
    result.resize(static_cast<std::size_t>(end - result.data()));
    return result;
#endif
}

}  // namespace zanver

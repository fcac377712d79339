// Texts between the core's UTF-8 strings and Qt's.
#pragma once

#include <QString>

#include <string>

namespace geotal::app {

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

inline std::string S(const QString& text) {
    return text.toStdString();
}

}  // namespace geotal::app

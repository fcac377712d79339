#include "cli/PhotoRow.h"

#include <cstdio>

namespace geotal::cli {
namespace {

// Every other control character as \xHH (C0 and DEL) or \u00HH (C1, as UTF-8 spells it): a
// terminal would act on it, not show it.
std::string EscapedControls(const std::string& text) {
    std::string escaped;
    char hex[8];
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            escaped += hex;
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            std::snprintf(hex, sizeof hex, "\\u%04x", next);
            escaped += hex;
            ++i;
        } else {
            escaped += text[i];
        }
    }
    return escaped;
}

// Tab and carriage return as EscapedName writes them; the message's own line feeds stay.
std::string EscapedLines(const std::string& text) {
    std::string escaped;
    std::string line;
    for (const char c : text) {
        if (c == '\n') {
            escaped += EscapedControls(line) + '\n';
            line.clear();
        } else if (c == '\t') {
            line += "\\t";
        } else if (c == '\r') {
            line += "\\r";
        } else {
            line += c;
        }
    }
    return escaped + EscapedControls(line);
}

}  // namespace

std::string EscapedName(const std::string& name) {
    std::string escaped;
    for (const char c : name) {
        switch (c) {
            case '\t':
                escaped += "\\t";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\\':
                escaped += "\\\\";
                break;
            default:
                escaped += c;
        }
    }
    return EscapedControls(escaped);
}

std::string EscapedMessage(const std::string& message, const std::string& path) {
    const std::string fileName = path.substr(path.rfind('/') + 1);
    std::string escaped;
    std::size_t at = 0;
    while (at < message.size()) {
        // The earlier mention; the whole path where both start at one place.
        std::size_t found = path.empty() ? std::string::npos : message.find(path, at);
        std::size_t length = path.size();
        const std::size_t nameAt =
            fileName.empty() ? std::string::npos : message.find(fileName, at);
        if (nameAt < found) {
            found = nameAt;
            length = fileName.size();
        }
        escaped += EscapedLines(message.substr(at, found - at));
        if (found == std::string::npos) {
            break;
        }
        escaped += EscapedName(message.substr(found, length));
        at = found + length;
    }
    return escaped;
}

std::string PhotoRowText(const PhotoRecord& photo, CoordinateFormat format) {
    const MaybePosition& position = photo.position;
    std::string row = EscapedName(photo.fileName);
    row += '\t';
    row += FormatPhotoTime(photo.captureTime);
    row += '\t';
    row += position ? FormatCoordinate(position->latitude, format) : "";
    row += '\t';
    row += position ? FormatCoordinate(position->longitude, format) : "";
    row += '\t';
    row += photo.marked ? '1' : '0';
    return row;
}

}  // namespace geotal::cli

// What a command tells the user: a text and the kind of box that shows it.
#pragma once

#include <string>

namespace geotal {

// Message box type word: one button set plus one kind, as the platform defines them.
inline constexpr unsigned kMessageOk = 0x00;
inline constexpr unsigned kMessageYesNo = 0x04;
inline constexpr unsigned kMessageError = 0x10;
inline constexpr unsigned kMessageQuestion = 0x20;
inline constexpr unsigned kMessageWarning = 0x30;
inline constexpr unsigned kMessageInformation = 0x40;

struct Notice {
    std::string text;
    unsigned typeWord = kMessageOk;

    friend bool operator==(const Notice&, const Notice&) = default;
};

}  // namespace geotal
